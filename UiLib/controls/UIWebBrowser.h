#pragma once
#include <windows.h>
#include <exdisp.h>
#include <mshtmhst.h>
#include <servprov.h>
#include <wrl/client.h>

#include <memory>
#include <string>

#include "UiLib/controls/UIActiveX.h"
#include "UiLib/controls/WebBrowserEventHandler.h"
#include "UiLib/controls/WebContentSecurity.h"
#include "UiLib/tree/UIMessageFilter.h"

namespace UiLib {

// The platform's web browser as a control: creates the browser, listens to its events and hands
// them, with its host-UI questions, to the application's event handler. Whatever the handler does,
// the browser goes only where its navigation policy permits, opens no new window, and hands its
// pages the framework's security manager and download control (WebContentSecurity.h).
class CWebBrowserUI : public CActiveXUI,
                      public IDocHostUIHandler,
                      public IServiceProvider,
                      public IOleCommandTarget,
                      public IDispatch,
                      public ITranslateAccelerator {
public:
    CWebBrowserUI();
    ~CWebBrowserUI() override;

    const wchar_t* GetClass() const override;
    void* GetInterface(const std::wstring& name) override;
    static const CAttributeTable& Attributes();
    const CAttributeTable& GetAttributeTable() const override;

    void DoEvent(UiEvent& event) override;
    bool ActivateControl() override;
    void DeactivateControl() override;
    virtual HRESULT DownloadFile(IMoniker* moniker, IBindCtx* context, DWORD bindVerb, LONG bindFlags,
                                 BINDINFO* info, LPCOLESTR headers, LPCOLESTR redirect, UINT codePage);

    // Lets the browser go to one more address beyond the web: a page of the host's own (by exact
    // address, e.g. its offline page in the program's resources).
    void AllowPage(const std::wstring& address) { navigationPolicy_.AllowPage(address); }

    // Navigation asked by the program; an address the policy refuses is not loaded.
    void NavigateUrl(const std::wstring& url);
    // Navigates without flags, target or headers; a browser object that does not exist yet is
    // created first, with `handler` taking its events. Nothing without a browser object or for
    // an address the policy refuses.
    void Navigate(const std::wstring& url, CWebBrowserEventHandler* handler);
    // Navigates as above and keeps `heldWhileLoading` until the browser reports the download done
    // or failed, the next navigation given a hold, the browser's end or kLongestLoadingHoldMs,
    // whichever comes first: whoever gave it learns when the page stops using the network.
    void Navigate(const std::wstring& url, CWebBrowserEventHandler* handler, std::shared_ptr<void> heldWhileLoading);
    static constexpr UINT kLongestLoadingHoldMs = 3000;
    void SetHomePage(const std::wstring& url) { homePage_ = url; }
    const std::wstring& GetHomePage() const { return homePage_; }
    void SetAutoNavigation(bool on) { autoNavigate_ = on; }
    bool IsAutoNavigation() const { return autoNavigate_; }
    // Set before the browser is created; the handler must outlive this control's browser.
    void SetWebBrowserEventHandler(CWebBrowserEventHandler* handler) { eventHandler_ = handler; }
    CWebBrowserEventHandler* GetWebBrowserEventHandler() const { return eventHandler_; }
    IWebBrowser2* GetWebBrowser2() const { return browser_.Get(); }
    // True when a browser event's object is this browser itself, not one of its page's frames.
    bool IsTopLevel(IDispatch* dispatch) const;
    bool IsEventSinkConnected() const { return eventCookie_ != 0; }

    // The site's questions: the download manager and the security manager; the download control.
    bool OffersHostServices() const override { return true; }
    HRESULT QueryHostService(REFGUID service, REFIID iid, void** object) override;
    bool GetAmbientProperty(DISPID id, VARIANT* value) override;

    // IUnknown: the control's lifetime belongs to its parent, not to the reference count.
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IDispatch: the browser's events.
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exception, UINT* argError) override;

    // IDocHostUIHandler
    STDMETHODIMP ShowContextMenu(DWORD id, POINT* point, IUnknown* commandTarget, IDispatch* object) override;
    STDMETHODIMP GetHostInfo(DOCHOSTUIINFO* info) override;
    STDMETHODIMP ShowUI(DWORD id, IOleInPlaceActiveObject* activeObject, IOleCommandTarget* commandTarget,
                        IOleInPlaceFrame* frame, IOleInPlaceUIWindow* document) override;
    STDMETHODIMP HideUI() override;
    STDMETHODIMP UpdateUI() override;
    STDMETHODIMP EnableModeless(BOOL enable) override;
    STDMETHODIMP OnDocWindowActivate(BOOL activate) override;
    STDMETHODIMP OnFrameWindowActivate(BOOL activate) override;
    STDMETHODIMP ResizeBorder(LPCRECT border, IOleInPlaceUIWindow* window, BOOL frameWindow) override;
    STDMETHODIMP TranslateAccelerator(LPMSG msg, const GUID* group, DWORD command) override;
    STDMETHODIMP GetOptionKeyPath(LPOLESTR* key, DWORD reserved) override;
    STDMETHODIMP GetDropTarget(IDropTarget* dropTarget, IDropTarget** replacement) override;
    STDMETHODIMP GetExternal(IDispatch** external) override;
    STDMETHODIMP TranslateUrl(DWORD translate, OLECHAR* url, OLECHAR** translated) override;
    STDMETHODIMP FilterDataObject(IDataObject* object, IDataObject** replacement) override;

    // IServiceProvider: the download manager and the security manager.
    STDMETHODIMP QueryService(REFGUID service, REFIID iid, void** object) override;

    // IOleCommandTarget: keeps page scripts running without an error dialog.
    STDMETHODIMP QueryStatus(const GUID* group, ULONG count, OLECMD* commands, OLECMDTEXT* text) override;
    STDMETHODIMP Exec(const GUID* group, DWORD command, DWORD options, VARIANT* in, VARIANT* out) override;

    // ITranslateAccelerator: the browser's own keys while it has the focus.
    LRESULT TranslateAccelerator(MSG* msg) override;

private:
    HRESULT RouteEvent(DISPID id, DISPPARAMS* params);
    HRESULT OnBeforeNavigate(DISPPARAMS* params);
    HRESULT OnNewWindow(DISPID id, DISPPARAMS* params);
    void OnNavigateComplete(IDispatch* dispatch, VARIANT* url);
    void ReleaseLoadingHold();
    void SetDocumentUIHandler(IDocHostUIHandler* handler);
    void ConnectEventSink();
    void DisconnectEventSink();

    Microsoft::WRL::ComPtr<IWebBrowser2> browser_;
    CNavigationPolicy navigationPolicy_;
    std::wstring homePage_;
    bool autoNavigate_ = false;
    CWebBrowserEventHandler* eventHandler_ = nullptr;
    DWORD eventCookie_ = 0;
    std::shared_ptr<void> loadingHold_;
    LONG refs_ = 1;
    // The download managers handed to the browser reach this control through it while it lives.
    std::shared_ptr<CWebBrowserUI*> downloadOwner_ = std::make_shared<CWebBrowserUI*>(this);
};

}  // namespace UiLib
