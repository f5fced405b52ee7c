#include "UiLib/controls/UIWebBrowser.h"

#include <downloadmgr.h>
#include <exdispid.h>
#include <mshtml.h>
#include <mshtmdid.h>

#include "UiLib/Utils/ComObject.h"
#include "UiLib/controls/UIActiveXCtrl.h"
#include "UiLib/tree/ControlHost.h"
#include "UiLib/tree/ControlRegistry.h"

namespace UiLib {

UILIB_REGISTER_CONTROL(L"WebBrowser", CWebBrowserUI);

namespace {

using Microsoft::WRL::ComPtr;

// {8856F961-340A-11D0-A96B-00C04FD705A2}
constexpr CLSID kWebBrowserClass = {0x8856F961, 0x340A, 0x11D0, {0xA9, 0x6B, 0x00, 0xC0, 0x4F, 0xD7, 0x05, 0xA2}};
// {988934A4-064B-11D3-BB80-00104B35E7F9}: the download manager's service and interface id.
constexpr GUID kDownloadManager = {0x988934A4, 0x064B, 0x11D3, {0xBB, 0x80, 0x00, 0x10, 0x4B, 0x35, 0xE7, 0xF9}};
// {F38BC242-B950-11D1-8918-00C04FC2C836}: the document host's command group.
constexpr GUID kDocHostCommandHandler = {0xF38BC242, 0xB950, 0x11D1, {0x89, 0x18, 0x00, 0xC0, 0x4F, 0xC2, 0xC8, 0x36}};
// {3050F3F0-98B5-11CF-BB82-00AA00BDCE0B}
constexpr IID kCustomDoc = {0x3050F3F0, 0x98B5, 0x11CF, {0xBB, 0x82, 0x00, 0xAA, 0x00, 0xBD, 0xCE, 0x0B}};
// {34A715A0-6587-11D0-924A-0020AFC7AC4D}
constexpr IID kWebBrowserEvents2 = {0x34A715A0, 0x6587, 0x11D0, {0x92, 0x4A, 0x00, 0x20, 0xAF, 0xC7, 0xAC, 0x4D}};

constexpr DWORD kShowScriptError = 40;
constexpr UINT kLoadingHoldTimer = 1;

// Hands the browser's downloads to the control, which asks the event handler.
class DownloadManager : public CComObject<IDownloadManager> {
public:
    explicit DownloadManager(std::shared_ptr<CWebBrowserUI*> owner)
        : CComObject(kDownloadManager), owner_(std::move(owner)) {}

    STDMETHODIMP Download(IMoniker* moniker, IBindCtx* context, DWORD bindVerb, LONG bindFlags, BINDINFO* info,
                          LPCOLESTR headers, LPCOLESTR redirect, UINT codePage) override {
        // The browser may hold this object after the control is gone: then there is nobody to ask.
        CWebBrowserUI* owner = *owner_;
        return owner ? owner->DownloadFile(moniker, context, bindVerb, bindFlags, info, headers, redirect, codePage)
                     : S_OK;
    }

private:
    std::shared_ptr<CWebBrowserUI*> owner_;
};

// An event argument of the expected type; null when the browser sent something else.
VARIANT* Argument(DISPPARAMS* params, UINT fromEnd, VARTYPE type) {
    if (fromEnd >= params->cArgs) return nullptr;
    VARIANT* arg = &params->rgvarg[params->cArgs - 1 - fromEnd];
    return arg->vt == type ? arg : nullptr;
}

// The event's arguments in their declared order, each checked against its expected type.
template <size_t Count>
bool ReadArguments(DISPPARAMS* params, const VARTYPE (&types)[Count], VARIANT* (&args)[Count]) {
    if (!params || params->cArgs != Count || !params->rgvarg) return false;
    for (size_t i = 0; i < Count; ++i) {
        args[i] = Argument(params, static_cast<UINT>(i), types[i]);
        if (!args[i]) return false;
    }
    return true;
}

constexpr VARTYPE kVariantRef = VT_BYREF | VT_VARIANT;

std::wstring TextOf(const VARIANT* value) {
    return value && value->vt == VT_BSTR && value->bstrVal ? value->bstrVal : L"";
}

}  // namespace

CWebBrowserUI::CWebBrowserUI() { CreateControl(kWebBrowserClass); }

CWebBrowserUI::~CWebBrowserUI() {
    DeactivateControl();
    *downloadOwner_ = nullptr;
}

const wchar_t* CWebBrowserUI::GetClass() const { return L"WebBrowserUI"; }

void* CWebBrowserUI::GetInterface(const std::wstring& name) {
    if (name == L"WebBrowser") return this;
    return CActiveXUI::GetInterface(name);
}

const CAttributeTable& CWebBrowserUI::GetAttributeTable() const { return Attributes(); }

const CAttributeTable& CWebBrowserUI::Attributes() {
    using C = CWebBrowserUI;
    using V = const std::wstring&;
    static const CAttributeTable table = CAttributeTable::Of<C>(&CActiveXUI::Attributes(), {
        {L"homepage", [](C& c, V v) { c.SetHomePage(v); }},
        {L"autonavi", [](C& c, V v) { c.SetAutoNavigation(v == L"true"); }},
    });
    return table;
}

bool CWebBrowserUI::ActivateControl() {
    // Process-wide and before the first browser exists: its pages are boxed in from the start.
    LockDownWebContent();
    if (!CActiveXUI::ActivateControl()) return false;
    if (manager_) manager_->AddTranslateAccelerator(this);
    QueryControl(IID_IWebBrowser2, reinterpret_cast<void**>(browser_.ReleaseAndGetAddressOf()));
    // The sink first: a browser may report the home page's navigation before Navigate2 returns.
    ConnectEventSink();
    if (autoNavigate_ && !homePage_.empty()) NavigateUrl(homePage_);
    return true;
}

void CWebBrowserUI::DoEvent(UiEvent& event) {
    if (event.Type == UIEVENT_TIMER && event.wParam == kLoadingHoldTimer) {
        ReleaseLoadingHold();
        return;
    }
    CActiveXUI::DoEvent(event);
}

void CWebBrowserUI::DeactivateControl() {
    if (manager_) manager_->RemoveTranslateAccelerator(this);
    ReleaseLoadingHold();
    DisconnectEventSink();
    // The page may outlive this control: it is given its own host-UI handler back first.
    SetDocumentUIHandler(nullptr);
    browser_.Reset();
    // The previous browser goes too, so that a re-created control never leaves one behind.
    ReleaseControl();
}

void CWebBrowserUI::ConnectEventSink() {
    ComPtr<IConnectionPointContainer> container;
    ComPtr<IConnectionPoint> point;
    if (FAILED(QueryControl(IID_IConnectionPointContainer, reinterpret_cast<void**>(container.GetAddressOf()))))
        return;
    if (FAILED(container->FindConnectionPoint(kWebBrowserEvents2, point.GetAddressOf()))) return;
    point->Advise(static_cast<IDispatch*>(this), &eventCookie_);
}

void CWebBrowserUI::DisconnectEventSink() {
    if (eventCookie_ == 0) return;
    ComPtr<IConnectionPointContainer> container;
    ComPtr<IConnectionPoint> point;
    if (SUCCEEDED(QueryControl(IID_IConnectionPointContainer, reinterpret_cast<void**>(container.GetAddressOf()))) &&
        SUCCEEDED(container->FindConnectionPoint(kWebBrowserEvents2, point.GetAddressOf())))
        point->Unadvise(eventCookie_);
    eventCookie_ = 0;
}

void CWebBrowserUI::NavigateUrl(const std::wstring& url) {
    if (url.empty() || !browser_ || !navigationPolicy_.Permits(url, CNavigationPolicy::Origin::Program)) return;
    VARIANT address;
    ::VariantInit(&address);
    address.vt = VT_BSTR;
    address.bstrVal = ::SysAllocString(url.c_str());
    browser_->Navigate2(&address, nullptr, nullptr, nullptr, nullptr);
    ::VariantClear(&address);
}

bool CWebBrowserUI::IsTopLevel(IDispatch* dispatch) const {
    IWebBrowser2* own = browser_.Get();
    if (!own || !dispatch) return false;
    // COM identity: the same object answers IUnknown with the same pointer.
    IUnknown* ownIdentity = nullptr;
    IUnknown* eventIdentity = nullptr;
    own->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&ownIdentity));
    dispatch->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&eventIdentity));
    bool same = ownIdentity != nullptr && ownIdentity == eventIdentity;
    if (ownIdentity) ownIdentity->Release();
    if (eventIdentity) eventIdentity->Release();
    return same;
}

void CWebBrowserUI::Navigate(const std::wstring& url, CWebBrowserEventHandler* handler) {
    if (!browser_) {
        SetWebBrowserEventHandler(handler);
        ActivateControl();
    }
    if (!browser_ || !navigationPolicy_.Permits(url, CNavigationPolicy::Origin::Program)) return;
    BSTR address = ::SysAllocString(url.c_str());
    browser_->Navigate(address, nullptr, nullptr, nullptr, nullptr);
    ::SysFreeString(address);
}

void CWebBrowserUI::Navigate(const std::wstring& url, CWebBrowserEventHandler* handler,
                             std::shared_ptr<void> heldWhileLoading) {
    ReleaseLoadingHold();
    // A refused address loads nothing: its hold goes back at once.
    if (!navigationPolicy_.Permits(url, CNavigationPolicy::Origin::Program)) return;
    // Kept before the navigation starts: a download may end before Navigate returns.
    loadingHold_ = std::move(heldWhileLoading);
    if (manager_) manager_->SetTimer(this, kLoadingHoldTimer, kLongestLoadingHoldMs);
    Navigate(url, handler);
    if (!browser_) ReleaseLoadingHold();
}

void CWebBrowserUI::ReleaseLoadingHold() {
    if (!loadingHold_) return;
    if (manager_) manager_->KillTimer(this, kLoadingHoldTimer);
    loadingHold_.reset();
}

HRESULT CWebBrowserUI::DownloadFile(IMoniker* moniker, IBindCtx* context, DWORD bindVerb, LONG bindFlags,
                                    BINDINFO* info, LPCOLESTR headers, LPCOLESTR redirect, UINT codePage) {
    if (!eventHandler_) return S_OK;
    return eventHandler_->Download(moniker, context, bindVerb, bindFlags, info, headers, redirect, codePage);
}

STDMETHODIMP CWebBrowserUI::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (iid == IID_IUnknown || iid == IID_IDocHostUIHandler)
        *object = static_cast<IDocHostUIHandler*>(this);
    else if (iid == IID_IServiceProvider)
        *object = static_cast<IServiceProvider*>(this);
    else if (iid == IID_IOleCommandTarget)
        *object = static_cast<IOleCommandTarget*>(this);
    else if (iid == IID_IDispatch || iid == kWebBrowserEvents2)
        *object = static_cast<IDispatch*>(this);
    if (!*object) return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) CWebBrowserUI::AddRef() { return ::InterlockedIncrement(&refs_); }
STDMETHODIMP_(ULONG) CWebBrowserUI::Release() { return ::InterlockedDecrement(&refs_); }

STDMETHODIMP CWebBrowserUI::GetTypeInfoCount(UINT* count) {
    if (count) *count = 0;
    return E_NOTIMPL;
}

STDMETHODIMP CWebBrowserUI::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info) *info = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP CWebBrowserUI::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }

STDMETHODIMP CWebBrowserUI::Invoke(DISPID id, REFIID iid, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                                   UINT*) {
    if (iid != IID_NULL) return E_INVALIDARG;
    switch (id) {
    case DISPID_BEFORENAVIGATE2:
        return OnBeforeNavigate(params);
    case DISPID_NEWWINDOW2:
    case DISPID_NEWWINDOW3:
        return OnNewWindow(id, params);
    case DISPID_NAVIGATECOMPLETE2:
    case DISPID_NAVIGATEERROR:
    case DISPID_COMMANDSTATECHANGE:
        return RouteEvent(id, params);
    case DISPID_DOWNLOADCOMPLETE:
        ReleaseLoadingHold();
        return S_OK;
    case DISPID_STATUSTEXTCHANGE:
        return S_OK;
    default:
        return DISP_E_MEMBERNOTFOUND;
    }
}

HRESULT CWebBrowserUI::OnBeforeNavigate(DISPPARAMS* params) {
    VARIANT* a[7];
    const VARTYPE types[7] = {VT_DISPATCH, kVariantRef, kVariantRef, kVariantRef,
                              kVariantRef, kVariantRef, VT_BYREF | VT_BOOL};
    if (!ReadArguments(params, types, a)) return DISP_E_BADPARAMCOUNT;
    // The handler hears of every navigation (the offline page's retry link is one it cancels
    // itself); whatever it answers, a refused address is not loaded.
    if (eventHandler_)
        eventHandler_->OnBeforeNavigate(a[0]->pdispVal, a[1]->pvarVal, a[2]->pvarVal, a[3]->pvarVal, a[4]->pvarVal,
                                        a[5]->pvarVal, a[6]->pboolVal);
    if (!navigationPolicy_.Permits(TextOf(a[1]->pvarVal), CNavigationPolicy::Origin::Page))
        *a[6]->pboolVal = VARIANT_TRUE;
    return S_OK;
}

HRESULT CWebBrowserUI::OnNewWindow(DISPID id, DISPPARAMS* params) {
    VARIANT* cancel = nullptr;
    if (id == DISPID_NEWWINDOW2) {
        VARIANT* a[2];
        const VARTYPE types[2] = {VT_BYREF | VT_DISPATCH, VT_BYREF | VT_BOOL};
        if (!ReadArguments(params, types, a)) return DISP_E_BADPARAMCOUNT;
        cancel = a[1];
    } else {
        VARIANT* a[5];
        const VARTYPE types[5] = {VT_BYREF | VT_DISPATCH, VT_BYREF | VT_BOOL, VT_I4, VT_BSTR, VT_BSTR};
        if (!ReadArguments(params, types, a)) return DISP_E_BADPARAMCOUNT;
        // The handler may hand the address elsewhere; the window itself never opens.
        if (eventHandler_)
            eventHandler_->OnNewWindow(a[0]->ppdispVal, a[1]->pboolVal, static_cast<DWORD>(a[2]->lVal),
                                       a[3]->bstrVal, a[4]->bstrVal);
        cancel = a[1];
    }
    *cancel->pboolVal = VARIANT_TRUE;
    return S_OK;
}

HRESULT CWebBrowserUI::RouteEvent(DISPID id, DISPPARAMS* params) {
    if (!eventHandler_) return S_OK;
    if (id == DISPID_NAVIGATECOMPLETE2) {
        VARIANT* a[2];
        const VARTYPE types[2] = {VT_DISPATCH, kVariantRef};
        if (!ReadArguments(params, types, a)) return DISP_E_BADPARAMCOUNT;
        OnNavigateComplete(a[0]->pdispVal, a[1]->pvarVal);
    } else if (id == DISPID_NAVIGATEERROR) {
        VARIANT* a[5];
        const VARTYPE types[5] = {VT_DISPATCH, kVariantRef, kVariantRef, kVariantRef, VT_BYREF | VT_BOOL};
        if (!ReadArguments(params, types, a)) return DISP_E_BADPARAMCOUNT;
        eventHandler_->OnNavigateError(a[0]->pdispVal, a[1]->pvarVal, a[2]->pvarVal, a[3]->pvarVal, a[4]->pboolVal);
    } else {
        VARIANT* a[2];
        const VARTYPE types[2] = {VT_I4, VT_BOOL};
        if (!ReadArguments(params, types, a)) return DISP_E_BADPARAMCOUNT;
        eventHandler_->OnCommandStateChange(a[0]->lVal, a[1]->boolVal);
    }
    return S_OK;
}

void CWebBrowserUI::SetDocumentUIHandler(IDocHostUIHandler* handler) {
    ComPtr<IDispatch> document;
    ComPtr<ICustomDoc> custom;
    if (browser_ && SUCCEEDED(browser_->get_Document(document.GetAddressOf())) && document &&
        SUCCEEDED(document->QueryInterface(kCustomDoc, reinterpret_cast<void**>(custom.GetAddressOf()))))
        custom->SetUIHandler(handler);
}

void CWebBrowserUI::OnNavigateComplete(IDispatch* dispatch, VARIANT* url) {
    // The page's document takes this control's host-UI handler: no context menu, no script errors.
    SetDocumentUIHandler(static_cast<IDocHostUIHandler*>(this));
    eventHandler_->OnNavigateComplete(dispatch, url);
}

STDMETHODIMP CWebBrowserUI::ShowContextMenu(DWORD id, POINT* point, IUnknown* commandTarget, IDispatch* object) {
    return eventHandler_ ? eventHandler_->ShowContextMenu(id, point, commandTarget, object) : S_FALSE;
}

STDMETHODIMP CWebBrowserUI::GetHostInfo(DOCHOSTUIINFO* info) {
    return eventHandler_ ? eventHandler_->GetHostInfo(info) : E_NOTIMPL;
}

STDMETHODIMP CWebBrowserUI::ShowUI(DWORD id, IOleInPlaceActiveObject* activeObject, IOleCommandTarget* commandTarget,
                                   IOleInPlaceFrame* frame, IOleInPlaceUIWindow* document) {
    return eventHandler_ ? eventHandler_->ShowUI(id, activeObject, commandTarget, frame, document) : S_OK;
}

STDMETHODIMP CWebBrowserUI::HideUI() { return eventHandler_ ? eventHandler_->HideUI() : S_OK; }
STDMETHODIMP CWebBrowserUI::UpdateUI() { return eventHandler_ ? eventHandler_->UpdateUI() : S_OK; }

STDMETHODIMP CWebBrowserUI::EnableModeless(BOOL enable) {
    return eventHandler_ ? eventHandler_->EnableModeless(enable) : E_NOTIMPL;
}

STDMETHODIMP CWebBrowserUI::OnDocWindowActivate(BOOL activate) {
    return eventHandler_ ? eventHandler_->OnDocWindowActivate(activate) : E_NOTIMPL;
}

STDMETHODIMP CWebBrowserUI::OnFrameWindowActivate(BOOL activate) {
    return eventHandler_ ? eventHandler_->OnFrameWindowActivate(activate) : E_NOTIMPL;
}

STDMETHODIMP CWebBrowserUI::ResizeBorder(LPCRECT border, IOleInPlaceUIWindow* window, BOOL frameWindow) {
    return eventHandler_ ? eventHandler_->ResizeBorder(border, window, frameWindow) : E_NOTIMPL;
}

STDMETHODIMP CWebBrowserUI::TranslateAccelerator(LPMSG msg, const GUID* group, DWORD command) {
    return eventHandler_ ? eventHandler_->TranslateAccelerator(msg, group, command) : S_FALSE;
}

// The out pointers below are cleared before the handler runs, so that a handler that answers
// "done" without filling them never hands the browser an undefined pointer.
STDMETHODIMP CWebBrowserUI::GetOptionKeyPath(LPOLESTR* key, DWORD reserved) {
    if (key) *key = nullptr;
    return eventHandler_ ? eventHandler_->GetOptionKeyPath(key, reserved) : E_NOTIMPL;
}

STDMETHODIMP CWebBrowserUI::GetDropTarget(IDropTarget* dropTarget, IDropTarget** replacement) {
    if (replacement) *replacement = nullptr;
    return eventHandler_ ? eventHandler_->GetDropTarget(dropTarget, replacement) : S_FALSE;
}

STDMETHODIMP CWebBrowserUI::GetExternal(IDispatch** external) {
    if (external) *external = nullptr;
    return eventHandler_ ? eventHandler_->GetExternal(external) : S_FALSE;
}

STDMETHODIMP CWebBrowserUI::TranslateUrl(DWORD translate, OLECHAR* url, OLECHAR** translated) {
    if (translated) *translated = nullptr;
    return eventHandler_ ? eventHandler_->TranslateUrl(translate, url, translated) : E_NOTIMPL;
}

STDMETHODIMP CWebBrowserUI::FilterDataObject(IDataObject* object, IDataObject** replacement) {
    if (replacement) *replacement = nullptr;
    return eventHandler_ ? eventHandler_->FilterDataObject(object, replacement) : E_NOTIMPL;
}

STDMETHODIMP CWebBrowserUI::QueryService(REFGUID service, REFIID iid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (service == SID_SInternetSecurityManager) return CreateWebSecurityManager(iid, object);
    if (service != kDownloadManager || iid != kDownloadManager) return E_NOINTERFACE;
    *object = static_cast<IDownloadManager*>(new DownloadManager(downloadOwner_));
    return S_OK;
}

HRESULT CWebBrowserUI::QueryHostService(REFGUID service, REFIID iid, void** object) {
    return QueryService(service, iid, object);
}

bool CWebBrowserUI::GetAmbientProperty(DISPID id, VARIANT* value) {
    if (id != DISPID_AMBIENT_DLCONTROL) return false;
    value->vt = VT_I4;
    value->lVal = static_cast<LONG>(kWebDownloadControl);
    return true;
}

STDMETHODIMP CWebBrowserUI::QueryStatus(const GUID*, ULONG, OLECMD*, OLECMDTEXT*) { return OLECMDERR_E_NOTSUPPORTED; }

STDMETHODIMP CWebBrowserUI::Exec(const GUID* group, DWORD command, DWORD, VARIANT*, VARIANT* out) {
    if (!group || *group != kDocHostCommandHandler) return OLECMDERR_E_UNKNOWNGROUP;
    if (command != kShowScriptError) return OLECMDERR_E_NOTSUPPORTED;
    // Answering "true" keeps the page's scripts running and shows no error dialog.
    if (out) {
        ::VariantClear(out);
        out->vt = VT_BOOL;
        out->boolVal = VARIANT_TRUE;
    }
    return S_OK;
}

LRESULT CWebBrowserUI::TranslateAccelerator(MSG* msg) {
    if (!msg || msg->message < WM_KEYDOWN || msg->message > WM_KEYLAST) return S_FALSE;
    HWND host = GetHostWindow();
    if (!host || (msg->hwnd != host && !::IsChild(host, msg->hwnd))) return S_FALSE;
    if (!browser_) return E_NOTIMPL;
    ComPtr<IOleInPlaceActiveObject> active;
    if (FAILED(browser_.As(&active))) return S_FALSE;
    return active->TranslateAccelerator(msg);
}

}  // namespace UiLib
