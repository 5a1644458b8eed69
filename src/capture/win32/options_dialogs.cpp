// The Options dialog and the File types dialog it (and the Option menu) opens.
#include <windowsx.h>

#include "app/settings.h"
#include "capture/win32/capture_dialogs.h"
#include "capture_ids.h"
#include "dialogs/dialog_base.h"
#include "resource.h"

namespace ks {
namespace {

struct SettingsButton {
    int control;
    int command;
};
const SettingsButton kSettingsButtons[] = {
    {IDC_OPT_FILE_TYPES, ID_CAPTURE_FILETYPES}, {IDC_OPT_KEEP_ALIVE, ID_OPTION_KEEPALIVE},
    {IDC_OPT_CONNECTION, ID_OPTION_CONNECTION}, {IDC_OPT_SCHEDULER, ID_OPTION_SCHEDULER},
    {IDC_OPT_TRANSFER, ID_OPTION_TRANSFER},     {IDC_OPT_SEARCH, ID_OPTION_SEARCH},
};

struct SwitchBox {
    int control;
    bool CaptureSwitches::*flag;
};
const SwitchBox kSwitchBoxes[] = {
    {IDC_OPT_CAPTURE, &CaptureSwitches::capture},
    {IDC_OPT_IMMEDIATE, &CaptureSwitches::immediate},
    {IDC_OPT_CAPTURE_IE, &CaptureSwitches::captureIE},
    {IDC_OPT_CAPTURE_NETSCAPE, &CaptureSwitches::captureNetscape},
};

class COptionsDialog : public dlg::CDialog {
  public:
    COptionsDialog(CaptureSwitches s, const std::function<void(HWND, int)>& open)
        : CDialog(IDD_CAPTURE_OPTIONS), switches_(s), open_(open) {}
    CaptureSwitches switches_;

  protected:
    BOOL OnInit() override {
        for (const SwitchBox& b : kSwitchBoxes) SetCheck(b.control, switches_.*b.flag);
        return TRUE;
    }
    bool OnCommand(int id, int code, HWND) override {
        if (code != BN_CLICKED) return false;
        for (const SettingsButton& b : kSettingsButtons) {
            if (b.control != id) continue;
            if (open_) open_(Hwnd(), b.command);
            return true;
        }
        return false;
    }
    bool OnOk() override {
        for (const SwitchBox& b : kSwitchBoxes) switches_.*b.flag = Checked(b.control);
        return true;
    }

  private:
    const std::function<void(HWND, int)>& open_;
};

std::string WithoutDots(const std::string& s) {
    std::string out;
    for (char c : s)
        if (c != '.') out += c;
    return out;
}

class CFileTypesDialog : public dlg::CDialog {
  public:
    explicit CFileTypesDialog(std::vector<std::string> types)
        : CDialog(IDD_FILE_TYPES), types_(std::move(types)) {}
    std::vector<std::string> types_;

  protected:
    BOOL OnInit() override {
        Fill(types_);
        return TRUE;
    }
    bool OnCommand(int id, int code, HWND) override {
        if (code != BN_CLICKED) return false;
        if (id == IDC_TYPES_ADD) {
            Add();
        } else if (id == IDC_TYPES_DELETE) {
            int sel = ListBox_GetCurSel(Item(IDC_TYPES_LIST));
            if (sel != LB_ERR) ListBox_DeleteString(Item(IDC_TYPES_LIST), sel);
        } else if (id == IDC_TYPES_DEFAULT) {
            Fill(DefaultCaptureFileTypes());
        } else {
            return false;
        }
        return true;
    }
    bool OnOk() override {
        HWND list = Item(IDC_TYPES_LIST);
        types_.clear();
        for (int i = 0, n = ListBox_GetCount(list); i < n; ++i) {
            int len = ListBox_GetTextLen(list, i);
            if (len <= 0) continue;
            std::string s(static_cast<std::size_t>(len) + 1, '\0');
            ListBox_GetText(list, i, s.data());
            s.resize(static_cast<std::size_t>(len));
            s = WithoutDots(s);
            if (!s.empty()) types_.push_back(s);
        }
        return true;
    }

  private:
    void Fill(const std::vector<std::string>& types) {
        HWND list = Item(IDC_TYPES_LIST);
        ListBox_ResetContent(list);
        for (const std::string& t : types) ListBox_AddString(list, t.c_str());
    }
    void Add() {
        std::string text = Text(IDC_TYPES_EDIT);
        if (text.empty()) return;
        // The list box's own prefix search, case-insensitive: "zi" is refused
        // while "zip" is listed.
        if (ListBox_FindString(Item(IDC_TYPES_LIST), -1, text.c_str()) != LB_ERR) return;
        text = WithoutDots(text);
        if (text.empty()) return;
        ListBox_AddString(Item(IDC_TYPES_LIST), text.c_str());
        SetText(IDC_TYPES_EDIT, "");
    }
};

}  // namespace

bool RunCaptureOptionsDialog(HWND parent, CaptureSwitches& switches,
                             const std::function<void(HWND parent, int command)>& openSettings) {
    COptionsDialog d(switches, openSettings);
    if (d.DoModal(parent) != IDOK) return false;
    switches = d.switches_;
    return true;
}

bool RunFileTypesDialog(HWND parent, std::vector<std::string>& types) {
    CFileTypesDialog d(types);
    if (d.DoModal(parent) != IDOK) return false;
    types = d.types_;
    return true;
}

}  // namespace ks
