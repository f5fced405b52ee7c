#include "UiLib/controls/UIActiveXCtrl.h"

#include "UiLib/controls/UIActiveX.h"
#include "UiLib/controls/UIActiveXEnum.h"
#include "UiLib/controls/UIActiveXFrameWnd.h"
#include "UiLib/controls/UIActiveXWnd.h"
#include "UiLib/tree/ControlHost.h"

namespace UiLib {

using Microsoft::WRL::ComPtr;

CActiveXCtrl::CActiveXCtrl(CActiveXUI* owner) : owner_(owner) {
    ACCEL none{};
    accelerators_.reset(::CreateAcceleratorTableW(&none, 1));
}

CActiveXCtrl::~CActiveXCtrl() { DestroyHostWindow(); }

void CActiveXCtrl::Detach() {
    windowlessObject_.Reset();
    inPlaceObject_.Reset();
    viewObject_.Reset();
    DestroyHostWindow();
    owner_ = nullptr;
}

void CActiveXCtrl::SetViewObject(IUnknown* control) {
    viewObject_.Reset();
    ComPtr<IViewObjectEx> extended;
    ComPtr<IViewObject2> second;
    if (SUCCEEDED(control->QueryInterface(IID_IViewObjectEx, reinterpret_cast<void**>(extended.GetAddressOf()))))
        viewObject_ = extended;
    else if (SUCCEEDED(control->QueryInterface(IID_IViewObject2, reinterpret_cast<void**>(second.GetAddressOf()))))
        viewObject_ = second;
    else
        control->QueryInterface(IID_IViewObject, reinterpret_cast<void**>(viewObject_.GetAddressOf()));
}

void CActiveXCtrl::SetObjectRects(const RECT& rect) {
    IOleInPlaceObject* object = windowlessObject_ ? windowlessObject_.Get() : inPlaceObject_.Get();
    if (!object) return;
    // A windowed control sits at the origin of its own host window.
    RECT position = rect;
    if (!windowless_) ::OffsetRect(&position, -position.left, -position.top);
    object->SetObjectRects(&position, &position);
}

HWND CActiveXCtrl::ManagerWindow() const {
    return owner_ && owner_->GetManager() ? owner_->GetManager()->GetPaintWindow() : nullptr;
}

HWND CActiveXCtrl::CreateHostWindow() {
    if (!owner_) return nullptr;
    if (!window_) {
        window_ = std::make_unique<CActiveXWnd>(owner_, this);
        if (!window_->Init(ManagerWindow())) {
            window_.reset();
            return nullptr;
        }
        RECT rect = owner_->GetPos();
        ::MoveWindow(window_->GetHWND(), rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, TRUE);
    }
    owner_->hostWindow_ = window_->GetHWND();
    return window_->GetHWND();
}

void CActiveXCtrl::DestroyHostWindow() {
    if (!window_) return;
    if (owner_ && owner_->hostWindow_ == window_->GetHWND()) owner_->hostWindow_ = nullptr;
    if (window_->GetHWND()) ::DestroyWindow(window_->GetHWND());
    window_.reset();
}

STDMETHODIMP CActiveXCtrl::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (iid == IID_IUnknown || iid == IID_IOleClientSite)
        *object = static_cast<IOleClientSite*>(this);
    else if (iid == IID_IOleInPlaceSiteWindowless || iid == IID_IOleInPlaceSiteEx || iid == IID_IOleInPlaceSite ||
             iid == IID_IOleWindow)
        *object = static_cast<IOleInPlaceSiteWindowless*>(this);
    else if (iid == IID_IOleControlSite)
        *object = static_cast<IOleControlSite*>(this);
    else if (iid == IID_IObjectWithSite)
        *object = static_cast<IObjectWithSite*>(this);
    else if (iid == IID_IOleContainer || iid == IID_IParseDisplayName)
        *object = static_cast<IOleContainer*>(this);
    else if (iid == IID_IServiceProvider && OffersHostServices())
        *object = static_cast<IServiceProvider*>(this);
    else if (iid == IID_IDispatch && OffersHostServices())
        *object = static_cast<IDispatch*>(this);
    if (!*object) return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

bool CActiveXCtrl::OffersHostServices() const { return owner_ && owner_->OffersHostServices(); }

STDMETHODIMP_(ULONG) CActiveXCtrl::AddRef() { return ::InterlockedIncrement(&refs_); }

STDMETHODIMP_(ULONG) CActiveXCtrl::Release() {
    LONG left = ::InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return left;
}

STDMETHODIMP CActiveXCtrl::SetSite(IUnknown* site) {
    site_ = site;
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::GetSite(REFIID iid, void** site) {
    if (!site) return E_POINTER;
    *site = nullptr;
    if (!site_) return E_FAIL;
    return site_->QueryInterface(iid, site);
}

STDMETHODIMP CActiveXCtrl::SaveObject() { return E_NOTIMPL; }

STDMETHODIMP CActiveXCtrl::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
    if (moniker) *moniker = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP CActiveXCtrl::GetContainer(IOleContainer** container) {
    if (!container) return E_POINTER;
    *container = nullptr;
    if (site_ && SUCCEEDED(site_->QueryInterface(IID_IOleContainer, reinterpret_cast<void**>(container))))
        return S_OK;
    return QueryInterface(IID_IOleContainer, reinterpret_cast<void**>(container));
}

STDMETHODIMP CActiveXCtrl::ShowObject() {
    if (!owner_ || !viewObject_) return E_UNEXPECTED;
    HDC dc = ::GetDC(owner_->hostWindow_);
    if (!dc) return E_FAIL;
    RECTL bounds;
    const RECT& rect = owner_->GetPos();
    bounds = RECTL{rect.left, rect.top, rect.right, rect.bottom};
    viewObject_->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dc, &bounds, &bounds, nullptr, 0);
    ::ReleaseDC(owner_->hostWindow_, dc);
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::OnShowWindow(BOOL) { return E_NOTIMPL; }
STDMETHODIMP CActiveXCtrl::RequestNewObjectLayout() { return E_NOTIMPL; }

STDMETHODIMP CActiveXCtrl::CanWindowlessActivate() { return S_OK; }
STDMETHODIMP CActiveXCtrl::GetCapture() { return captured_ ? S_OK : S_FALSE; }

STDMETHODIMP CActiveXCtrl::SetCapture(BOOL capture) {
    if (!owner_) return E_UNEXPECTED;
    captured_ = capture != FALSE;
    if (captured_)
        ::SetCapture(owner_->hostWindow_);
    else
        ::ReleaseCapture();
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::GetFocus() { return focused_ ? S_OK : S_FALSE; }

STDMETHODIMP CActiveXCtrl::SetFocus(BOOL focus) {
    if (!owner_) return E_UNEXPECTED;
    focused_ = focus != FALSE;
    if (focused_) owner_->SetFocus();
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::GetDC(LPCRECT, DWORD flags, HDC* dc) {
    if (!dc) return E_POINTER;
    *dc = nullptr;
    if (!owner_) return E_UNEXPECTED;
    *dc = ::GetDC(owner_->hostWindow_);
    if (!*dc) return E_FAIL;
    if (flags & OLEDC_PAINTBKGND) {
        RECT rect = owner_->GetPos();
        if (!windowless_) ::OffsetRect(&rect, -rect.left, -rect.top);
        ::FillRect(*dc, &rect, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
    }
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::ReleaseDC(HDC dc) {
    if (!owner_) return E_UNEXPECTED;
    ::ReleaseDC(owner_->hostWindow_, dc);
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::InvalidateRect(LPCRECT rect, BOOL erase) {
    if (!owner_ || !owner_->hostWindow_) return E_FAIL;
    return ::InvalidateRect(owner_->hostWindow_, rect, erase) ? S_OK : E_FAIL;
}

STDMETHODIMP CActiveXCtrl::InvalidateRgn(HRGN region, BOOL erase) {
    if (!owner_ || !owner_->hostWindow_) return E_FAIL;
    return ::InvalidateRgn(owner_->hostWindow_, region, erase) ? S_OK : E_FAIL;
}

STDMETHODIMP CActiveXCtrl::ScrollRect(INT, INT, LPCRECT, LPCRECT) { return S_OK; }
STDMETHODIMP CActiveXCtrl::AdjustRect(LPRECT) { return S_OK; }

STDMETHODIMP CActiveXCtrl::OnDefWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (!owner_) return E_UNEXPECTED;
    LRESULT value = ::DefWindowProcW(owner_->hostWindow_, message, wParam, lParam);
    if (result) *result = value;
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::OnInPlaceActivateEx(BOOL* noRedraw, DWORD flags) {
    if (!owner_ || !owner_->control_) return E_UNEXPECTED;
    if (noRedraw) *noRedraw = FALSE;
    // Held while the control is active; released as the control goes, or it would outlive it.
    if (!runningLocked_) runningLocked_ = SUCCEEDED(::OleLockRunning(owner_->control_.Get(), TRUE, FALSE));
    HRESULT result = E_FAIL;
    if (flags & ACTIVATE_WINDOWLESS) {
        windowless_ = true;
        result = owner_->control_->QueryInterface(IID_IOleInPlaceObjectWindowless,
                                                  reinterpret_cast<void**>(windowlessObject_.ReleaseAndGetAddressOf()));
        owner_->hostWindow_ = ManagerWindow();
        if (SUCCEEDED(result) && owner_->GetManager()) owner_->GetManager()->AddMessageFilter(owner_);
    } else {
        windowless_ = false;
        CreateHostWindow();
        result = owner_->control_->QueryInterface(IID_IOleInPlaceObject,
                                                  reinterpret_cast<void**>(inPlaceObject_.ReleaseAndGetAddressOf()));
    }
    SetObjectRects(owner_->GetPos());
    inPlaceActive_ = SUCCEEDED(result);
    return result;
}

void CActiveXCtrl::UnlockRunning(IUnknown* control) {
    if (!runningLocked_ || !control) return;
    runningLocked_ = false;
    ::OleLockRunning(control, FALSE, FALSE);
}

STDMETHODIMP CActiveXCtrl::OnInPlaceDeactivateEx(BOOL) {
    inPlaceActive_ = false;
    windowlessObject_.Reset();
    inPlaceObject_.Reset();
    DestroyHostWindow();
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::RequestUIActivate() { return S_OK; }
STDMETHODIMP CActiveXCtrl::CanInPlaceActivate() { return S_OK; }
STDMETHODIMP CActiveXCtrl::OnInPlaceActivate() { return OnInPlaceActivateEx(nullptr, 0); }

STDMETHODIMP CActiveXCtrl::OnUIActivate() {
    uiActive_ = true;
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                            LPRECT position, LPRECT clip, LPOLEINPLACEFRAMEINFO frameInfo) {
    if (!frame || !document || !position || !clip) return E_POINTER;
    *frame = nullptr;
    *document = nullptr;
    if (!owner_) return E_UNEXPECTED;
    HWND host = owner_->hostWindow_ ? owner_->hostWindow_ : ManagerWindow();
    *frame = new CActiveXFrameWnd(ManagerWindow());
    ::GetClientRect(host, position);
    ::GetClientRect(host, clip);
    if (frameInfo) {
        frameInfo->cb = sizeof(OLEINPLACEFRAMEINFO);
        frameInfo->fMDIApp = FALSE;
        frameInfo->hwndFrame = ManagerWindow();
        frameInfo->haccel = accelerators_.get();
        frameInfo->cAccelEntries = 1;
    }
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::Scroll(SIZE) { return E_NOTIMPL; }

STDMETHODIMP CActiveXCtrl::OnUIDeactivate(BOOL) {
    uiActive_ = false;
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::OnInPlaceDeactivate() { return OnInPlaceDeactivateEx(TRUE); }
STDMETHODIMP CActiveXCtrl::DiscardUndoState() { return E_NOTIMPL; }
STDMETHODIMP CActiveXCtrl::DeactivateAndUndo() { return E_NOTIMPL; }
STDMETHODIMP CActiveXCtrl::OnPosRectChange(LPCRECT) { return E_NOTIMPL; }

STDMETHODIMP CActiveXCtrl::GetWindow(HWND* window) {
    if (!window) return E_POINTER;
    *window = nullptr;
    if (!owner_) return E_UNEXPECTED;
    if (!owner_->hostWindow_ && !windowless_) CreateHostWindow();
    *window = owner_->hostWindow_;
    return *window ? S_OK : E_FAIL;
}

STDMETHODIMP CActiveXCtrl::ContextSensitiveHelp(BOOL) { return S_OK; }

STDMETHODIMP CActiveXCtrl::OnControlInfoChanged() { return S_OK; }

STDMETHODIMP CActiveXCtrl::LockInPlaceActive(BOOL) { return S_OK; }

STDMETHODIMP CActiveXCtrl::GetExtendedControl(IDispatch** dispatch) {
    if (!dispatch) return E_POINTER;
    *dispatch = nullptr;
    if (!owner_ || !owner_->control_) return E_UNEXPECTED;
    return owner_->control_->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(dispatch));
}

STDMETHODIMP CActiveXCtrl::TransformCoords(POINTL*, POINTF*, DWORD) { return S_OK; }
STDMETHODIMP CActiveXCtrl::TranslateAccelerator(MSG*, DWORD) { return S_FALSE; }

STDMETHODIMP CActiveXCtrl::OnFocus(BOOL gotFocus) {
    focused_ = gotFocus != FALSE;
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::ShowPropertyFrame() { return E_NOTIMPL; }

STDMETHODIMP CActiveXCtrl::EnumObjects(DWORD, IEnumUnknown** objects) {
    if (!objects) return E_POINTER;
    *objects = nullptr;
    if (!owner_ || !owner_->control_) return E_UNEXPECTED;
    *objects = new CActiveXEnum(owner_->control_.Get());
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::LockContainer(BOOL lock) {
    locked_ = lock != FALSE;
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::ParseDisplayName(IBindCtx*, LPOLESTR, ULONG*, IMoniker** moniker) {
    if (moniker) *moniker = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP CActiveXCtrl::QueryService(REFGUID service, REFIID iid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    // A detached site outlives its control's owner: it offers nothing any more.
    return owner_ ? owner_->QueryHostService(service, iid, object) : E_NOINTERFACE;
}

STDMETHODIMP CActiveXCtrl::GetTypeInfoCount(UINT* count) {
    if (count) *count = 0;
    return E_NOTIMPL;
}

STDMETHODIMP CActiveXCtrl::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info) *info = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP CActiveXCtrl::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }

STDMETHODIMP CActiveXCtrl::Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS*, VARIANT* result,
                                  EXCEPINFO*, UINT*) {
    if (iid != IID_NULL) return E_INVALIDARG;
    if (!(flags & DISPATCH_PROPERTYGET) || !result) return DISP_E_MEMBERNOTFOUND;
    ::VariantInit(result);
    return owner_ && owner_->GetAmbientProperty(id, result) ? S_OK : DISP_E_MEMBERNOTFOUND;
}

}  // namespace UiLib
