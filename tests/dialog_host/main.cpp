// Opens one dialog on a given program folder and reports what it returned, so
// GUI tests can drive the dialogs without the whole program:
//
//   kestrune_dialog_host DIALOG PROGRAM_FOLDER OUT_FILE [field=value ...]
//
// DIALOG is enterurl, download, urllist, ftpupload, options, folder or one of
// the connection dialogs (dialog_host_connection.h); the
// fields preset the project settings (url, folder, source, segments, ...).
// OUT_FILE receives "result=ok" or "result=cancel" and then one field=value
// line per setting. "walk PATH check|create OUT_FILE" writes the folder rule
// result instead; "listurls FILE OUT_FILE" the other sources a list file gives.
// clang-format off
#include <windows.h>
#include <objbase.h>
// clang-format on

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>

#include "app/settings.h"
#include "dialog_host_connection.h"
#include "dialogs/dialogs.h"
#include "dialogs/folder_chooser.h"
#include "dialogs/list_file_urls.h"
#include "dialogs/search_dialogs.h"
#include "base/project.h"

namespace {

LONG WINAPI Crashed(EXCEPTION_POINTERS*) {
    TerminateProcess(GetCurrentProcess(), 3);
    return EXCEPTION_EXECUTE_HANDLER;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream o;
    o << in.rdbuf();
    return o.str();
}

void WriteAll(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

int ToInt(const std::map<std::string, std::string>& f, const char* key, int def) {
    auto it = f.find(key);
    return it == f.end() ? def : std::atoi(it->second.c_str());
}

std::string ToText(const std::map<std::string, std::string>& f, const char* key) {
    auto it = f.find(key);
    return it == f.end() ? std::string() : it->second;
}

ks::ProjectSettings Preset(const std::map<std::string, std::string>& f) {
    ks::ProjectSettings s;
    s.url = ToText(f, "url");
    s.folder = ToText(f, "folder");
    s.source = ToText(f, "source");
    s.mirrorFile = ToText(f, "mirrorFile");
    s.seqSuffix = ToText(f, "seqSuffix");
    s.userName = ToText(f, "userName");
    s.password = ToText(f, "password");
    s.seqDigits = ToInt(f, "seqDigits", 1);
    s.seqFrom = ToInt(f, "seqFrom", 1);
    s.seqTo = ToInt(f, "seqTo", 1);
    s.segments = ToInt(f, "segments", 1);
    s.autoMirror = ToInt(f, "autoMirror", 1);
    s.pingFastest = ToInt(f, "pingFastest", 1);
    s.uploadMode = ToInt(f, "uploadMode", 0);
    return s;
}

std::string Describe(const ks::ProjectSettings& s) {
    std::ostringstream o;
    o << "url=" << s.url << "\nseqSuffix=" << s.seqSuffix << "\nseqDigits=" << s.seqDigits.load()
      << "\nseqFrom=" << s.seqFrom.load() << "\nseqTo=" << s.seqTo.load()
      << "\nsequential=" << s.sequential.load() << "\nfolder=" << s.folder
      << "\nsegments=" << s.segments.load() << "\nautoMirror=" << s.autoMirror.load()
      << "\npingFastest=" << s.pingFastest.load() << "\ndisabled=" << s.disabled.load()
      << "\nsource=" << s.source << "\nmirrorFile=" << s.mirrorFile << "\nuserName=" << s.userName
      << "\npassword=" << s.password << "\nuploadMode=" << s.uploadMode.load() << "\n";
    return o.str();
}

// The Search dialog; with running=1 it watches a search whose worker reports
// a finished engine every 800 ms and ends after six of them.
std::string RunSearch(const std::string& home, const std::map<std::string, std::string>& f,
                      bool& ok) {
    std::string history = ReadAll(home + "\\searchhistory.txt");
    ks::SearchDialogData d;
    d.keywords = ToText(f, "keywords");
    d.category = ToInt(f, "category", 0);
    d.method = ToInt(f, "method", 0);
    d.copies = ToInt(f, "copies", 0) != 0;
    d.history = &history;
    ks::CProject project;
    std::thread worker;
    if (ToInt(f, "running", 0)) {
        d.project = &project;
        project.workerRunning = true;
        worker = std::thread([&project] {
            std::string done;
            for (int i = 1; i <= 6; ++i) {
                project.SetSearchStatus(done, "e" + std::to_string(i) + ":  ...searching...\r\n");
                Sleep(800);
                done += "e" + std::to_string(i) + ":  ---(" + std::to_string(i) + ")\r\n";
            }
            project.SetSearchStatus(done, "");
            project.workerRunning = false;
        });
    }
    ok = ks::RunSearchDialog(nullptr, d, home + "\\search.ini");
    if (worker.joinable()) worker.join();
    std::ostringstream o;
    o << "keywords=" << d.keywords << "\ncategory=" << d.category << "\nmethod=" << d.method
      << "\ncopies=" << d.copies << "\nsearchNow=" << d.searchNow << "\n";
    return o.str();
}

}  // namespace

int main(int argc, char** argv) {
    SetUnhandledExceptionFilter(&Crashed);
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    if (argc >= 5 && std::string(argv[1]) == "walk") {
        auto mode = std::string(argv[3]) == "create" ? ks::dlg::FolderWalkMode::Create
                                                     : ks::dlg::FolderWalkMode::Check;
        WriteAll(argv[4], std::to_string(ks::dlg::FolderPathWalk(argv[2], mode)) + "\n");
        return 0;
    }
    if (argc >= 4 && std::string(argv[1]) == "listurls") {
        std::string out;
        for (const std::string& u : ks::dlg::ReadListFileUrls(argv[2])) out += u + "\n";
        WriteAll(argv[3], out);
        return 0;
    }
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s DIALOG PROGRAM_FOLDER OUT_FILE [field=value ...]\n",
                     argv[0]);
        return 2;
    }
    CoInitialize(nullptr);
    const std::string dialog = argv[1], home = argv[2], outFile = argv[3];
    std::map<std::string, std::string> fields;
    for (int i = 4; i < argc; ++i) {
        std::string a = argv[i];
        std::string::size_type eq = a.find('=');
        if (eq != std::string::npos) fields[a.substr(0, eq)] = a.substr(eq + 1);
    }

    std::string urlHistory = ReadAll(home + "\\history.txt");
    std::string uploadHistory = ReadAll(home + "\\uploadhistory.txt");
    ks::DialogContext ctx;
    ctx.programFolder = home;
    ctx.urlHistory = &urlHistory;
    ctx.uploadHistory = &uploadHistory;

    bool ok = false;
    std::string report;
    ks::ProjectSettings s = Preset(fields);
    if (dialog == "enterurl") {
        ok = ks::RunEnterUrlDialog(nullptr, s.url, s.folder, ctx);
        report = Describe(s);
    } else if (dialog == "download") {
        ok = ks::RunDownloadSettingsDialog(nullptr, s, ctx);
        report = Describe(s);
    } else if (dialog == "urllist") {
        ok = ks::RunUrlListGrabDialog(nullptr, s, ctx);
        report = Describe(s);
    } else if (dialog == "ftpupload") {
        ok = ks::RunFtpUploadDialog(nullptr, s, ctx);
        report = Describe(s);
    } else if (dialog == "options") {
        ks::Settings settings = ks::Settings::Load(home + "\\kestrune.ini", home);
        ok = ks::RunTransferOptionsDialog(nullptr, settings);
    } else if (dialog == "folder") {
        ok = ks::RunSetCurrentFolderDialog(nullptr, s.folder);
        report = "folder=" + s.folder + "\n";
    } else if (dialog == "search") {
        report = RunSearch(home, fields, ok);
    } else if (dialog == "searchengines") {
        ok = ks::RunSearchEnginesDialog(nullptr, ToInt(fields, "category", 0),
                                        home + "\\search.ini");
    } else if (dialog == "searchsettings") {
        ok = ks::RunSearchSettingsDialog(nullptr, home + "\\search.ini");
    } else if (!RunConnectionDialog(dialog, home, fields, ok, report)) {
        std::fprintf(stderr, "unknown dialog %s\n", dialog.c_str());
        return 2;
    }
    if (ok) {
        WriteAll(home + "\\history.txt", urlHistory);
        WriteAll(home + "\\uploadhistory.txt", uploadHistory);
    }
    WriteAll(outFile, std::string("result=") + (ok ? "ok" : "cancel") + "\n" + report);
    CoUninitialize();
    return 0;
}
