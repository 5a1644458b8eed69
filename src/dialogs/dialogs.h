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
#include <string>

#include "app/settings.h"
#include "base/project.h"

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

// "Download/Upload Options": edits the transfer settings of the record the
// main window keeps. The dialog opens with the record's values, except the
// don't-ask switch, which it reads from the settings file itself. On OK the
// twelve keys are set in the record in the file's order and the record is
// saved at once; the caller then publishes it (Settings::Publish) so workers
// see the new limit, wait and external program. Cancel changes nothing.
bool RunTransferOptionsDialog(HWND parent, Settings& settings);

// "&Set Current Download Folder..." and "&Set Current Folder...": the folder
// chooser titled "Kestrune" with the prompt "Download Folder", starting at
// folder; a confirmed folder replaces it.
bool RunSetCurrentFolderDialog(HWND parent, std::string& folder);

}  // namespace ks
