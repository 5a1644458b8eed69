// One helper object per browser window: it sits on the browser's site,
// listens to its navigation events and hands captured URLs over.
#pragma once

#include "browserhelper/tavisk.h"

// clang-format off
#include <ocidl.h>
#include <exdisp.h>
// clang-format on

namespace tavisk {

// The dual interface of the object: IDispatch and nothing of its own. Its
// Invoke is also the sink of the browser's DWebBrowserEvents2.
struct IBrowserHelper : public IDispatch {};

class CBrowserHelper final : public IObjectWithSite, public IBrowserHelper {
  public:
    CBrowserHelper();
    CBrowserHelper(const CBrowserHelper&) = delete;
    CBrowserHelper& operator=(const CBrowserHelper&) = delete;

    // IUnknown.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IObjectWithSite.
    HRESULT STDMETHODCALLTYPE SetSite(IUnknown* site) override;
    HRESULT STDMETHODCALLTYPE GetSite(REFIID iid, void** out) override;

    // IDispatch.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid,
                                            DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags,
                                     DISPPARAMS* params, VARIANT* result, EXCEPINFO* excep,
                                     UINT* argError) override;

  private:
    ~CBrowserHelper();
    HRESULT Connect();
    HRESULT Disconnect();
    void ReleaseBrowser();
    void OnBeforeNavigate(DISPPARAMS& params);
    HWND ClipboardOwner();
    ITypeInfo* TypeInfo();

    LONG refs_ = 1;
    IWebBrowser2* browser_ = nullptr;
    IConnectionPointContainer* container_ = nullptr;
    DWORD cookie_ = 0;
    UINT lastFormat_ = 0;
    HWND frame_ = nullptr;      // the browser's frame window, the clipboard's owner
    HWND ownWindow_ = nullptr;  // stands in when the thread has no frame window
    ITypeInfo* typeInfo_ = nullptr;
};

}  // namespace tavisk
