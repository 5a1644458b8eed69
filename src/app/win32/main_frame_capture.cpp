// The main window's share of URL capture: its place in the clipboard-viewer
// chain, the browsers' hand-overs (the helper object's registry switch and
// the DDE browser's protocol), the drop window, the download confirmation,
// the Options and File types dialogs, and the pending URLs kept over a
// restart.
#include "app/registry_values.h"
#include "app/win32/main_frame.h"
#include "app/win32/search_commands.h"
#include "dialogs/win_util.h"
#include "capture/browser_switches.h"
#include "capture/capture_rules.h"
#include "capture/dde_items.h"
#include "capture/drop_shape.h"
#include "capture/pending_urls.h"
#include "capture/win32/capture_dialogs.h"
#include "capture/win32/netscape_dde.h"
#include "capture_ids.h"
#include "dialogs/capture_suspend.h"
#include "dialogs/dialogs.h"
#include "resource.h"

namespace ks {

namespace {
// Posted from the DDE callback: the browser's DDE service has just started.
constexpr UINT WM_KS_BROWSER_STARTED = WM_APP + 0x140;
constexpr char kNetscapeRestartNote[] =
    "You may need to close and restart the Netscape web browsers for changes to take effect.";
}  // namespace

void CMainFrame::StartCapture() {
    clipboard_.Join(hwnd_, captureFormat_);
    SetBrowserHelperListed(settings_.download.captureIE);

    AttachBrowserTopics();
    if (settings_.download.captureNetscape) {
        ClaimAutomationProtocols();
        RegisterBrowserProtocols();
    }

    CDropWindow::Host host;
    host.main = hwnd_;
    host.openCommand = ID_TRAY_OPEN;
    host.handleCommandLine = [this](const std::string& t, bool add) {
        return HandleCommandLine(t, add);
    };
    host.onMoved = [this](int x, int y) {
        settings_.download.dropX = x;
        settings_.download.dropY = y;
    };
    Settings::Download& d = settings_.download;
    DropPosition p = StartupDropPosition({d.dropX, d.dropY}, GetSystemMetrics(SM_CXSCREEN),
                                         GetSystemMetrics(SM_CYSCREEN));
    d.dropX = p.x;
    d.dropY = p.y;
    if (drop_.Create(std::move(host))) PlaceDropWindow();

    // What was captured but not yet added when the program last ended.
    for (const std::string& url : TakeSavedPendingUrls(app_.programFolder)) QueuePendingUrl(url);
}

void CMainFrame::StopCapture() {
    for (BrowserScheme s : {BrowserScheme::Http, BrowserScheme::Ftp})
        UnregisterProtocol(kDdeService, s);
    settings_.download.captureIE = false;  // the ini key stays: the next start turns it on
    SetBrowserHelperListed(false);
    drop_.Hide();
    // The URL still being confirmed comes first: it was captured first.
    std::vector<std::string> pending;
    if (confirming_) pending.push_back(confirmingUrl_);
    while (std::optional<std::string> url = queue_.TakePendingUrl())
        pending.push_back(std::move(*url));
    SavePendingUrls(app_.programFolder, pending);
}

void CMainFrame::AttachBrowserTopics() {
    dde_.SetOtherTopicHandler([this](UINT type, UINT, HCONV, const std::string& topic,
                                     const std::string& item, HDDEDATA) -> HDDEDATA {
        if (type == XTYP_REGISTER) {
            // For this transaction the first string is the base service name.
            // Registering from inside the DDE callback is not allowed: later.
            if (IsNetscapeService(topic)) PostMessageA(hwnd_, WM_KS_BROWSER_STARTED, 0, 0);
            return nullptr;
        }
        if (type != XTYP_REQUEST || lstrcmpiA(topic.c_str(), kDdeOpenUrlTopic) != 0) return nullptr;
        OpenUrlRequest request = ParseOpenUrlItem(item);
        bool taken = NetscapeOpenUrl(request.url);
        return OpenUrlAnswerData(dde_.Instance(), item, OpenUrlAnswer(request, taken));
    });
}

bool CMainFrame::NetscapeOpenUrl(const std::string& url) {
    if (!settings_.download.captureNetscape) return false;
    std::optional<std::string> taken = CapturableUrl(url, settings_.captureFileTypes);
    if (!taken) return false;
    QueuePendingUrl(*taken);
    return true;
}

void CMainFrame::RegisterBrowserProtocols() {
    for (BrowserScheme s : {BrowserScheme::Http, BrowserScheme::Ftp})
        RegisterProtocol(kDdeService, s);
}

void CMainFrame::SwitchNetscape(bool on) {
    for (BrowserScheme s : {BrowserScheme::Http, BrowserScheme::Ftp})
        UnregisterProtocol(kDdeService, s);
    if (!on) return;
    ClaimAutomationProtocols();
    RegisterBrowserProtocols();
    win::Message(hwnd_, kNetscapeRestartNote, MB_OK | MB_ICONINFORMATION);
}

void CMainFrame::OnCaptureSwitch(bool Settings::Download::*flag) {
    const Settings::Download& d = settings_.download;
    if (flag == &Settings::Download::captureIE) SetBrowserHelperListed(d.captureIE);
    if (flag == &Settings::Download::captureNetscape) SwitchNetscape(d.captureNetscape);
    if (flag == &Settings::Download::showDrop) PlaceDropWindow();
}

void CMainFrame::PlaceDropWindow() {
    if (settings_.download.showDrop)
        drop_.PlaceAt(settings_.download.dropX, settings_.download.dropY);
    else
        drop_.Hide();
}

bool CMainFrame::OnCaptureMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_DRAWCLIPBOARD: {
            const Settings::Download& d = settings_.download;
            CClipboardViewer::Checks checks;
            checks.text = d.capture && !captureSuspended.load();
            checks.privateFormat = d.captureIE;
            clipboard_.OnDraw(checks, settings_.captureFileTypes,
                              [this](const std::string& url) { QueuePendingUrl(url); });
            return true;
        }
        case WM_CHANGECBCHAIN:
            clipboard_.OnChangeChain(reinterpret_cast<HWND>(wp), reinterpret_cast<HWND>(lp));
            return true;
        case WM_KS_BROWSER_STARTED:
            RegisterBrowserProtocols();
            return true;
        case WM_SHOWWINDOW:
            // Showing or hiding the main window must not bury the drop window.
            if (settings_.download.showDrop) PlaceDropWindow();
            return false;
        default:
            return false;
    }
}

bool CMainFrame::ConfirmDownload(std::string& folder, const std::string& url) {
    bool dontAsk = settings_.download.dontAskMe;
    confirming_ = true;
    confirmingUrl_ = url;
    bool ok = RunConfirmDownloadDialog(hwnd_, url, folder, dontAsk);
    confirming_ = false;
    // "E&xit" inside the dialog: the URL was saved with the pending ones.
    if (quitRequested_) return false;
    settings_.download.dontAskMe = dontAsk;
    IniWrite(settings_.iniPath, "Download", "dontaskme", FormatIniFlag(dontAsk));
    ApplyQueueOptions();
    return ok;
}

// ---- Options and File types ------------------------------------------------------

void CMainFrame::OpenSettingsFrom(HWND parent, int command) {
    switch (command) {
        case ID_CAPTURE_FILETYPES: {
            std::vector<std::string> types = settings_.captureFileTypes;
            if (!RunFileTypesDialog(parent, types)) return;
            settings_.captureFileTypes = types;
            // Only the list's section: other keys may have been written since
            // the record was read.
            IniFile ini;
            ini.Load(settings_.iniPath);
            ini.DeleteSection("File Types");
            ini.Set("File Types", "total", std::to_string(types.size()));
            for (std::size_t i = 0; i < types.size(); ++i)
                ini.Set("File Types", "type" + std::to_string(i + 1), types[i]);
            ini.Save();
            settings_.Publish();
            WriteFileTypes(types);
            return;
        }
        case ID_OPTION_SEARCH:
            SearchSettingsCommand(parent);
            return;
        case ID_OPTION_TRANSFER:
            if (!RunTransferOptionsDialog(parent, settings_)) return;
            settings_.Publish();
            ApplyQueueOptions();
            return;
        default:
            // The other settings dialogs are the main window's commands.
            SendMessageA(hwnd_, WM_COMMAND, command, 0);
            return;
    }
}

void CMainFrame::CmdFileTypes() {
    OpenSettingsFrom(hwnd_, ID_CAPTURE_FILETYPES);
}

void CMainFrame::CmdCaptureOptions() {
    const Settings::Download& d = settings_.download;
    CaptureSwitches s{d.capture, d.immediate, d.captureIE, d.captureNetscape};
    const CaptureSwitches before = s;
    if (!RunCaptureOptionsDialog(
            hwnd_, s, [this](HWND parent, int command) { OpenSettingsFrom(parent, command); }))
        return;
    struct Change {
        UINT id;
        bool CaptureSwitches::*value;
    };
    const Change changes[] = {
        {ID_CAPTURE_CLIPBOARD, &CaptureSwitches::capture},
        {ID_CAPTURE_IMMEDIATE, &CaptureSwitches::immediate},
        {ID_CAPTURE_IE, &CaptureSwitches::captureIE},
        {ID_CAPTURE_NETSCAPE, &CaptureSwitches::captureNetscape},
    };
    // Each switch goes through its menu command's routine: key, registry,
    // browser registration and menu check alike.
    for (const Change& c : changes)
        if (s.*c.value != before.*c.value) SetSwitch(*FindSwitch(c.id), s.*c.value);
}

}  // namespace ks
