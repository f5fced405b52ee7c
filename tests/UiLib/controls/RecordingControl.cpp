#include "tests/UiLib/controls/RecordingControl.h"

#include <string>

const CLSID CLSID_RecordingControl = {0x6B1F3C52, 0x7E4A, 0x4C1B, {0x9D, 0x2E, 0x5A, 0x8F, 0x0C, 0x3B, 0x7D, 0x11}};

ControlRecord RecordingControl::record;
bool RecordingControl::wantWindowless = true;
DWORD RecordingControl::miscStatus = 0;
COLORREF RecordingControl::paintColor = RGB(255, 0, 0);
Microsoft::WRL::ComPtr<IOleClientSite> RecordingControl::lastSite;

namespace {

const wchar_t kChildClass[] = L"RecordingControlWindow";

LRESULT CALLBACK ChildProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = ::BeginPaint(window, &ps);
        HBRUSH brush = ::CreateSolidBrush(RecordingControl::paintColor);
        RECT client;
        ::GetClientRect(window, &client);
        ::FillRect(dc, &client, brush);
        ::DeleteObject(brush);
        ::EndPaint(window, &ps);
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

HWND CreateChild(HWND parent, const RECT& rect) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = ChildProc;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kChildClass;
    ::RegisterClassW(&windowClass);
    return ::CreateWindowExW(0, kChildClass, L"", WS_CHILD | WS_VISIBLE, rect.left, rect.top, rect.right - rect.left,
                             rect.bottom - rect.top, parent, nullptr, ::GetModuleHandleW(nullptr), nullptr);
}

class Factory : public IClassFactory {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        if (iid != IID_IUnknown && iid != IID_IClassFactory) return E_NOINTERFACE;
        *object = this;
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
        if (outer) return CLASS_E_NOAGGREGATION;
        auto* control = new RecordingControl;
        HRESULT result = control->QueryInterface(iid, object);
        control->Release();
        return result;
    }
    STDMETHODIMP LockServer(BOOL) override { return S_OK; }
};

Factory factory;

}  // namespace

RecordingControl::RecordingControl() { ++record.liveObjects; }
RecordingControl::~RecordingControl() { --record.liveObjects; }

STDMETHODIMP RecordingControl::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (iid == IID_IUnknown || iid == IID_IOleObject)
        *object = static_cast<IOleObject*>(this);
    else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceObject || iid == IID_IOleInPlaceObjectWindowless)
        *object = static_cast<IOleInPlaceObjectWindowless*>(this);
    else if (iid == IID_IViewObject || iid == IID_IViewObject2 || iid == IID_IViewObjectEx)
        *object = static_cast<IViewObjectEx*>(this);
    else if (iid == IID_IOleControl)
        *object = static_cast<IOleControl*>(this);
    else if (iid == IID_IObjectWithSite)
        *object = static_cast<IObjectWithSite*>(this);
    else if (iid == IID_IPersistStreamInit)
        *object = static_cast<IPersistStreamInit*>(this);
    else if (iid == IID_IRunnableObject)
        *object = static_cast<IRunnableObject*>(this);
    if (!*object) return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) RecordingControl::AddRef() { return ++refs_; }

STDMETHODIMP_(ULONG) RecordingControl::Release() {
    LONG left = --refs_;
    if (left == 0) delete this;
    return left;
}

STDMETHODIMP RecordingControl::SetClientSite(IOleClientSite* site) {
    site_ = site;
    if (site) lastSite = site;
    if (!site) record.clientSiteCleared = true;
    return S_OK;
}

STDMETHODIMP RecordingControl::GetClientSite(IOleClientSite** site) {
    *site = site_.Get();
    if (*site) (*site)->AddRef();
    return S_OK;
}

STDMETHODIMP RecordingControl::SetHostNames(LPCOLESTR container, LPCOLESTR) {
    record.containerName = container ? container : L"";
    return S_OK;
}

STDMETHODIMP RecordingControl::Close(DWORD option) {
    record.closedNoSave = option == OLECLOSE_NOSAVE;
    InPlaceDeactivate();
    return S_OK;
}

STDMETHODIMP RecordingControl::DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND parent, LPCRECT rect) {
    record.verbs.push_back(verb);
    record.verbParent = parent;
    if (rect) record.verbRect = *rect;
    if (verb != OLEIVERB_INPLACEACTIVATE || active_) return S_OK;
    if (!site || FAILED(site->QueryInterface(IID_IOleInPlaceSiteWindowless,
                                             reinterpret_cast<void**>(windowlessSite_.ReleaseAndGetAddressOf()))))
        return E_UNEXPECTED;
    if (windowlessSite_->CanInPlaceActivate() != S_OK) return E_FAIL;
    BOOL noRedraw = FALSE;
    windowless_ = wantWindowless && windowlessSite_->CanWindowlessActivate() == S_OK;
    record.activation = windowlessSite_->OnInPlaceActivateEx(&noRedraw, windowless_ ? ACTIVATE_WINDOWLESS : 0);
    if (FAILED(record.activation)) return record.activation;
    windowlessSite_->GetWindow(&record.parentWindow);
    Microsoft::WRL::ComPtr<IOleInPlaceFrame> frame;
    Microsoft::WRL::ComPtr<IOleInPlaceUIWindow> document;
    RECT position{}, clip{};
    record.frameInfo.cb = sizeof(OLEINPLACEFRAMEINFO);
    record.gotFrame = SUCCEEDED(windowlessSite_->GetWindowContext(frame.GetAddressOf(), document.GetAddressOf(),
                                                                  &position, &clip, &record.frameInfo)) &&
                      frame;
    if (!windowless_) window_ = CreateChild(record.parentWindow, position);
    active_ = true;
    return S_OK;
}

STDMETHODIMP RecordingControl::GetUserClassID(CLSID* id) {
    *id = CLSID_RecordingControl;
    return S_OK;
}

STDMETHODIMP RecordingControl::SetExtent(DWORD aspect, SIZEL* size) {
    if (aspect == DVASPECT_CONTENT && size) record.extents.push_back(*size);
    return S_OK;
}

STDMETHODIMP RecordingControl::GetMiscStatus(DWORD, DWORD* status) {
    *status = miscStatus;
    return S_OK;
}

STDMETHODIMP RecordingControl::GetWindow(HWND* window) {
    *window = window_;
    return window_ ? S_OK : E_FAIL;
}

STDMETHODIMP RecordingControl::InPlaceDeactivate() {
    if (!active_) return S_OK;
    active_ = false;
    if (window_) ::DestroyWindow(window_);
    window_ = nullptr;
    if (windowlessSite_) windowlessSite_->OnInPlaceDeactivateEx(TRUE);
    windowlessSite_.Reset();
    return S_OK;
}

STDMETHODIMP RecordingControl::SetObjectRects(LPCRECT position, LPCRECT) {
    record.objectRects.push_back(*position);
    position_ = *position;
    if (window_)
        ::MoveWindow(window_, position->left, position->top, position->right - position->left,
                     position->bottom - position->top, TRUE);
    return S_OK;
}

STDMETHODIMP RecordingControl::OnWindowMessage(UINT message, WPARAM, LPARAM, LRESULT* result) {
    record.windowMessages.push_back(message);
    if (result) *result = 0;
    return S_OK;
}

STDMETHODIMP RecordingControl::GetDropTarget(IDropTarget** target) {
    *target = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP RecordingControl::Draw(DWORD aspect, LONG index, void*, DVTARGETDEVICE*, HDC, HDC dc, LPCRECTL bounds,
                                    LPCRECTL, BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) {
    if (aspect != DVASPECT_CONTENT || index != -1 || !bounds) return E_INVALIDARG;
    record.draws.push_back(*bounds);
    RECT rect{bounds->left, bounds->top, bounds->right, bounds->bottom};
    HBRUSH brush = ::CreateSolidBrush(paintColor);
    ::FillRect(dc, &rect, brush);
    ::DeleteObject(brush);
    return S_OK;
}

STDMETHODIMP RecordingControl::GetViewStatus(DWORD* status) {
    *status = VIEWSTATUS_OPAQUE;
    return S_OK;
}

STDMETHODIMP RecordingControl::QueryHitPoint(DWORD, LPCRECT bounds, POINT point, LONG, DWORD* hit) {
    *hit = ::PtInRect(bounds, point) ? HITRESULT_HIT : HITRESULT_OUTSIDE;
    return S_OK;
}

STDMETHODIMP RecordingControl::SetSite(IUnknown* site) {
    if (site) record.siteSet = true;
    else record.siteCleared = true;
    return S_OK;
}

STDMETHODIMP RecordingControl::InitNew() {
    record.initNewCalled = true;
    record.siteBeforeInitNew = site_ != nullptr;
    return S_OK;
}

RecordingControlClass::RecordingControlClass() {
    ::CoRegisterClassObject(CLSID_RecordingControl, &factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie_);
}

RecordingControlClass::~RecordingControlClass() { ::CoRevokeClassObject(cookie_); }
