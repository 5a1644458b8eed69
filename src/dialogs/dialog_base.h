// A modal dialog as a small object: the dialog procedure forwards to virtual
// handlers of the instance that opened it. Nothing escapes a handler as an
// exception; a failure inside one cancels the dialog instead.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace ks::dlg {

class CDialog {
  public:
    explicit CDialog(int templateId) : templateId_(templateId) {}
    virtual ~CDialog() = default;
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // Runs the dialog modally; returns the id it ended with (IDOK, IDCANCEL),
    // or -1 when it could not be created.
    INT_PTR DoModal(HWND parent);
    HWND Hwnd() const { return hwnd_; }

  protected:
    virtual BOOL OnInit() { return TRUE; }
    // Return true when the command was handled.
    virtual bool OnCommand(int id, int code, HWND ctl) { return false; }
    virtual LRESULT OnNotify(NMHDR* nm) { return 0; }
    virtual void OnTimer(UINT_PTR id) {}
    virtual void OnDestroy() {}
    // OK pressed: validate and take the values over; false keeps the dialog open.
    virtual bool OnOk() { return true; }
    // Any other message (private WM_APP messages); true when handled.
    virtual bool OnMessage(UINT msg) { return false; }

    HWND Item(int id) const { return GetDlgItem(hwnd_, id); }
    std::string Text(int id) const;
    void SetText(int id, const std::string& s) const;
    // The field as a decimal integer; nullopt when it holds anything else.
    std::optional<long long> Int(int id) const;
    void SetInt(int id, long long v) const;
    bool Checked(int id) const { return IsDlgButtonChecked(hwnd_, id) == BST_CHECKED; }
    void SetCheck(int id, bool on) const {
        CheckDlgButton(hwnd_, id, on ? BST_CHECKED : BST_UNCHECKED);
    }
    void Enable(int id, bool on) const { EnableWindow(Item(id), on ? TRUE : FALSE); }
    int Message(const char* text, UINT flags) const;
    // Reads an integer field in [lo, hi]; tells the user and focuses the field
    // when it is out of range or not a number.
    bool IntInRange(int id, long long lo, long long hi, int& out) const;
    // Sets an up-down control's range and position.
    void SetupSpin(int spinId, int lo, int hi, int pos) const;

  private:
    static INT_PTR CALLBACK Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp);
    INT_PTR Handle(UINT msg, WPARAM wp, LPARAM lp);

    int templateId_;
    HWND hwnd_ = nullptr;
};

// The program's message box caption.
inline constexpr const char* kAppTitle = "Kestrune";

HINSTANCE ModuleInstance();

}  // namespace ks::dlg
