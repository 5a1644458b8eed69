#include "projects/win32/url_drop_target.h"

#include <cstring>

namespace ks {

namespace {
// Longer texts are not URLs anyone drags; they are refused unread.
constexpr std::size_t kMaxDropText = 1024;
}  // namespace

UrlDropTarget* UrlDropTarget::Register(HWND w, Handler handler) {
    auto* t = new UrlDropTarget(std::move(handler));
    if (FAILED(RegisterDragDrop(w, t))) {
        t->Release();
        return nullptr;
    }
    return t;
}

void UrlDropTarget::Revoke(HWND w, UrlDropTarget* target) {
    if (!target) return;
    RevokeDragDrop(w);
    target->Release();
}

HRESULT UrlDropTarget::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDropTarget)) {
        *out = static_cast<IDropTarget*>(this);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

ULONG UrlDropTarget::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&refs_));
}

ULONG UrlDropTarget::Release() {
    LONG n = InterlockedDecrement(&refs_);
    if (n == 0) delete this;
    return static_cast<ULONG>(n);
}

bool UrlDropTarget::ReadText(IDataObject* data, std::string& out) {
    FORMATETC fmt{CF_TEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    if (!data || FAILED(data->GetData(&fmt, &medium))) return false;
    bool ok = false;
    if (const char* p = static_cast<const char*>(GlobalLock(medium.hGlobal))) {
        SIZE_T size = GlobalSize(medium.hGlobal);
        std::size_t len = strnlen(p, size);
        if (len <= kMaxDropText) {
            out.assign(p, len);
            ok = true;
        }
        GlobalUnlock(medium.hGlobal);
    }
    ReleaseStgMedium(&medium);
    return ok;
}

HRESULT UrlDropTarget::DragEnter(IDataObject* data, DWORD, POINTL, DWORD* effect) {
    // Nothing may unwind into the caller's COM code: a failed test refuses.
    try {
        std::string text;
        acceptable_ = ReadText(data, text) && handler_ && handler_(text, false) == 1;
    } catch (...) {
        acceptable_ = false;
    }
    *effect = acceptable_ ? DROPEFFECT_COPY : DROPEFFECT_NONE;
    return S_OK;
}

HRESULT UrlDropTarget::DragOver(DWORD, POINTL, DWORD* effect) {
    *effect = acceptable_ ? DROPEFFECT_COPY : DROPEFFECT_NONE;
    return S_OK;
}

HRESULT UrlDropTarget::DragLeave() {
    acceptable_ = false;
    return S_OK;
}

HRESULT UrlDropTarget::Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) {
    bool ok = false;
    try {
        std::string text;
        ok = acceptable_ && ReadText(data, text) && handler_(text, true) == 1;
    } catch (...) {
        ok = false;
    }
    *effect = ok ? DROPEFFECT_COPY : DROPEFFECT_NONE;
    acceptable_ = false;
    return S_OK;
}

}  // namespace ks
