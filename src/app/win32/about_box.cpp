#include "app/win32/about_box.h"

// windows.h must come before the headers that use its types.
// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on

#include "app/version.h"
#include "dialogs/win_util.h"
#include "resource.h"

#if __has_include("dialogs/hyperlink.h")
#include "dialogs/hyperlink.h"
#define KS_HAVE_HYPERLINK 1
#endif

namespace ks {

namespace {
const char kSite[] = "http://www.kestrune.example/";

INT_PTR CALLBACK AboutProc(HWND dlg, UINT msg, WPARAM wp, LPARAM) {
#ifdef KS_HAVE_HYPERLINK
    static dlg::CHyperLink* link = nullptr;
#endif
    switch (msg) {
        case WM_INITDIALOG:
            SetDlgItemTextA(dlg, IDC_ABOUT_PRODUCT, ProductTitle());
            SetDlgItemTextA(dlg, IDC_ABOUT_LINK, kSite);
#ifdef KS_HAVE_HYPERLINK
            link = new dlg::CHyperLink();
            link->SetUrl(kSite);
            link->Attach(GetDlgItem(dlg, IDC_ABOUT_LINK));
#endif
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL) {
                EndDialog(dlg, LOWORD(wp));
                return TRUE;
            }
#ifndef KS_HAVE_HYPERLINK
            if (LOWORD(wp) == IDC_ABOUT_LINK && HIWORD(wp) == STN_CLICKED) {
                ShellExecuteA(dlg, "open", kSite, nullptr, nullptr, SW_SHOWNORMAL);
                return TRUE;
            }
#endif
            break;
        case WM_DESTROY:
#ifdef KS_HAVE_HYPERLINK
            delete link;
            link = nullptr;
#endif
            break;
    }
    return FALSE;
}
}  // namespace

void RunAboutBox(HWND owner) {
    DialogBoxParamA(win::Instance(), MAKEINTRESOURCEA(IDD_ABOUTBOX), owner, AboutProc, 0);
}

}  // namespace ks
