// Accepts URL text dragged onto a window from other programs. The text is
// tested before the drop is offered, so plain words get no drop effect.
#pragma once

// windows.h must come before the headers that use its types.
// clang-format off
#include <windows.h>
#include <ole2.h>
// clang-format on

#include <functional>
#include <string>

namespace ks {

class UrlDropTarget : public IDropTarget {
  public:
    // handle(text, add): 1 if text is an acceptable URL; with add, queue it.
    using Handler = std::function<int(const std::string& text, bool add)>;
    explicit UrlDropTarget(Handler handler) : handler_(std::move(handler)) {}

    // Registers a new target on w; returns it (released by Revoke).
    static UrlDropTarget* Register(HWND w, Handler handler);
    static void Revoke(HWND w, UrlDropTarget* target);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keys, POINTL pt,
                                        DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragOver(DWORD keys, POINTL pt, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragLeave() override;
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keys, POINTL pt,
                                   DWORD* effect) override;

  private:
    virtual ~UrlDropTarget() = default;
    static bool ReadText(IDataObject* data, std::string& out);

    LONG refs_ = 1;
    Handler handler_;
    bool acceptable_ = false;
};

}  // namespace ks
