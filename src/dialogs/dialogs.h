// The project dialogs, the transfer options dialog and the folder commands, as
// plain functions the main window and the job list call. Every function is
// modal, runs on the UI thread and returns true when the user pressed OK
// (for the folder chooser: confirmed a folder); on Cancel nothing passed in
// is changed and no file is written.
//
// While a project dialog runs, ks::captureSuspended (capture_suspend.h) is
// set, and restored to its earlier value when the dialog ends.
//
// Histories: the URL boxes fill their drop-down lists from the history texts
// in the context (newest first, "\r\n" between entries); OK adds the accepted
// URL to that history with AddToHistory, so callers need not add it again
// (adding twice is harmless: an entry already present is not repeated).
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "projects/project.h"

namespace ks {

struct DialogContext {
    // The program folder; new ".mir" and ".lst" files go to its "Projects".
    std::string programFolder;
    // Histories owned by the application object; null means none is kept.
    std::string* urlHistory = nullptr;
    std::string* uploadHistory = nullptr;
    // The project whose properties are edited (null for a new project). The
    // Download Settings dialog shows its mirror list and the progress of its
    // mirror lookup, and hands the edited list back to it on OK.
    CProject* project = nullptr;
    // How the options dialog reads and writes "kestrune.ini". When unset, the
    // file programFolder + "\kestrune.ini" is read and written directly.
    std::function<std::string(const char* section, const char* key, const char* def)> readSetting;
    std::function<void(const char* section, const char* key, const std::string& value)>
        writeSetting;
};

// "Enter URL": url and folder in and out. The view queues the URL itself.
bool RunEnterUrlDialog(HWND parent, std::string& url, std::string& folder, DialogContext& ctx);

// "Download Settings": every field the dialog shows (url, seqSuffix,
// seqDigits, seqFrom, seqTo, sequential, folder, segments, autoMirror,
// pingFastest, disabled). On OK the "Other sources" list is written to
// s.mirrorFile ("<programFolder>\Projects\<now>.mir" when it was empty) and,
// with ctx.project set, becomes that project's mirror list.
bool RunDownloadSettingsDialog(HWND parent, ProjectSettings& s, DialogContext& ctx);

// "URL List Grab": source, folder, segments, disabled.
bool RunUrlListGrabDialog(HWND parent, ProjectSettings& s, DialogContext& ctx);

// "FTP Upload": url, userName, password, uploadMode, disabled. The file list
// is read from s.source (the ".lst" path) and, on OK, written back to it in
// list order ("<programFolder>\Projects\<now>.lst" when s.source was empty).
bool RunFtpUploadDialog(HWND parent, ProjectSettings& s, DialogContext& ctx);

// The eleven values the main window keeps for the transfer options, plus the
// don't-ask switch the dialog itself reads from the settings file.
struct TransferOptions {
    bool limit = false;             // "Limits" "limit"
    std::int32_t maxFiles = 3;      // "Limits" "maxfiles"
    std::int32_t retryWait = 10;    // "Limits" "wait"
    bool useExt = false;            // "Download" "useExt"
    std::string extProg;            // "Download" "ExtProg"
    std::string extParams;          // "Download" "ExtParams"
    bool useWav = true;             // "Download" "useWav"
    std::string wavFile;            // "Download" "wavfile"
    std::int32_t segments = 1;      // "Download" "acceleration"
    bool autoMirror = true;         // "Download" "automirrorcheck"
    bool checkFast = true;          // "Download" "checkfast"
    bool dontAskMe = false;         // "Download" "dontaskme" (read by the dialog)
};

// "Download/Upload Options": on OK writes the twelve keys to the settings
// file (through ctx.writeSetting) at once and returns the values in o for the
// main window to take over.
bool RunTransferOptionsDialog(HWND parent, TransferOptions& o, DialogContext& ctx);

// "&Set Current Download Folder..." and "&Set Current Folder...": the folder
// chooser titled "Kestrune" with the prompt "Download Folder", starting at
// folder; a confirmed folder replaces it.
bool RunSetCurrentFolderDialog(HWND parent, std::string& folder);

}  // namespace ks
