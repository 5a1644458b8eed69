#include "capture/win32/clipboard_viewer.h"

#include <cstring>

namespace ks {

namespace {
// Opening fails while another process has the clipboard open (the copying
// program, or the browser helper placing its URL); it is held for moments.
constexpr int kOpenAttempts = 10;
constexpr DWORD kOpenRetryMs = 15;
// Text beyond this is no URL; reading it all would only cost time.
constexpr std::size_t kMaxClipboardText = 64 * 1024;
}  // namespace

std::string ReadClipboardText(HWND owner, UINT format) {
    if (format == 0 || !IsClipboardFormatAvailable(format)) return {};
    bool open = false;
    for (int i = 0; i < kOpenAttempts && !open; ++i) {
        open = OpenClipboard(owner) != FALSE;
        if (!open) Sleep(kOpenRetryMs);
    }
    if (!open) return {};
    std::string text;
    if (HANDLE data = GetClipboardData(format)) {
        SIZE_T size = GlobalSize(data);
        if (const char* p = static_cast<const char*>(GlobalLock(data))) {
            // The data need not be terminated within its block.
            std::size_t limit = size < kMaxClipboardText ? size : kMaxClipboardText;
            text.assign(p, strnlen(p, limit));
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

void CClipboardViewer::Join(HWND owner, UINT privateFormat) {
    owner_ = owner;
    privateFormat_ = privateFormat;
    // What the clipboard holds already was not copied for us to take.
    lastSequence_ = GetClipboardSequenceNumber();
    // The join itself sends the first notification; it is passed on only.
    next_ = SetClipboardViewer(owner);
    joined_ = true;
}

void CClipboardViewer::Leave() {
    if (!joined_) return;
    ChangeClipboardChain(owner_, next_);
    joined_ = false;
    ready_ = false;
    next_ = nullptr;
}

void CClipboardViewer::OnDraw(Checks checks, const std::vector<std::string>& types,
                              const Queue& queue) {
    // Notifications also come without a change (a viewer joining the chain,
    // another passing one on twice): the same content is never taken twice,
    // or a handed-over URL would become two downloads.
    const DWORD sequence = GetClipboardSequenceNumber();
    const bool changed = sequence != lastSequence_;
    if (ready_) lastSequence_ = sequence;
    if (ready_ && changed && (checks.text || checks.privateFormat)) {
        if (checks.text) {
            if (auto url = repeat_.Offer(ReadClipboardText(owner_, CF_TEXT), types)) queue(*url);
        }
        if (checks.privateFormat && privateFormat_ != 0) {
            if (auto url = CapturableUrl(ReadClipboardText(owner_, privateFormat_), types))
                queue(*url);
        }
    }
    if (next_ && IsWindow(next_)) SendMessageA(next_, WM_DRAWCLIPBOARD, 0, 0);
}

void CClipboardViewer::OnChangeChain(HWND leaving, HWND following) {
    if (leaving == next_)
        next_ = following;
    else if (next_ && IsWindow(next_))
        SendMessageA(next_, WM_CHANGECBCHAIN, reinterpret_cast<WPARAM>(leaving),
                     reinterpret_cast<LPARAM>(following));
}

}  // namespace ks
