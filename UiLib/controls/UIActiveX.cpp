#include "UiLib/controls/UIActiveX.h"

#include <windowsx.h>

#include <algorithm>

#include "UiLib/Utils/LibraryFunction.h"
#include "UiLib/controls/UIActiveXCtrl.h"
#include "UiLib/controls/UIActiveXWnd.h"
#include "UiLib/tree/ControlHost.h"
#include "UiLib/tree/ControlRegistry.h"
#include "UiLib/tree/IContainerUI.h"

namespace UiLib {

UILIB_REGISTER_CONTROL(L"ActiveX", CActiveXUI);

namespace {

using Microsoft::WRL::ComPtr;
using GetClassObjectProc = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);

// Class id texts longer than this are cut, as the id field of a layout never needs more.
constexpr size_t kMaxClassIdText = 99;

bool IsZero(const CLSID& id) { return id == GUID_NULL; }

// HIMETRIC units (0.01 mm) of a length in screen pixels along the axis of `logPixelsIndex`.
LONG PixelsToHimetric(int pixels, int logPixelsIndex) {
    HDC screen = ::GetDC(nullptr);
    int perInch = screen ? ::GetDeviceCaps(screen, logPixelsIndex) : 96;
    if (screen) ::ReleaseDC(nullptr, screen);
    return ::MulDiv(2540, pixels, perInch > 0 ? perInch : 96);
}

bool IsMouseMessage(UINT message) { return message >= WM_MOUSEMOVE && message <= WM_XBUTTONDBLCLK; }
bool IsKeyMessage(UINT message) { return message >= WM_KEYDOWN && message <= WM_KEYLAST; }

}  // namespace

CActiveXUI::CActiveXUI() = default;

CActiveXUI::~CActiveXUI() { ReleaseControl(); }

const wchar_t* CActiveXUI::GetClass() const { return L"ActiveXUI"; }

void* CActiveXUI::GetInterface(const std::wstring& name) {
    if (name == L"ActiveX") return this;
    return CControlUI::GetInterface(name);
}

void CActiveXUI::SetDelayCreate(bool delay) {
    if (delayCreate_ == delay) return;
    delayCreate_ = delay;
    if (!delay && !created_ && !IsZero(clsid_)) ActivateControl();
}

bool CActiveXUI::CreateControl(const std::wstring& classId) {
    std::wstring text = classId.substr(0, kMaxClassIdText);
    CLSID id{};
    HRESULT parsed = !text.empty() && text[0] == L'{' ? ::CLSIDFromString(text.c_str(), &id)
                                                        : ::CLSIDFromProgID(text.c_str(), &id);
    if (FAILED(parsed)) return false;
    return CreateControl(id);
}

bool CActiveXUI::CreateControl(const CLSID& classId) {
    if (IsZero(classId)) return false;
    clsid_ = classId;
    created_ = false;
    if (!delayCreate_) ActivateControl();
    return true;
}

HRESULT CActiveXUI::QueryControl(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!control_) return E_PENDING;
    return control_->QueryInterface(iid, object);
}

bool CActiveXUI::CreateFromModule(ComPtr<IUnknown>& object) const {
    // A bare module name is a system library; a layout that means another names its full path.
    HMODULE module = LoadSystemLibrary(moduleName_.c_str());
    if (!module) return false;
    auto getClassObject = reinterpret_cast<GetClassObjectProc>(
        reinterpret_cast<void*>(::GetProcAddress(module, "DllGetClassObject")));
    ComPtr<IClassFactory> factory;
    if (!getClassObject ||
        FAILED(getClassObject(clsid_, IID_IClassFactory, reinterpret_cast<void**>(factory.GetAddressOf()))))
        return false;
    return SUCCEEDED(factory->CreateInstance(nullptr, IID_IOleObject, reinterpret_cast<void**>(object.GetAddressOf())));
}

bool CActiveXUI::InstantiateControl(ComPtr<IUnknown>& object) const {
    if (!moduleName_.empty() && CreateFromModule(object)) return true;
    object.Reset();
    return SUCCEEDED(::CoCreateInstance(clsid_, nullptr, CLSCTX_ALL, IID_IOleControl,
                                        reinterpret_cast<void**>(object.GetAddressOf())));
}

bool CActiveXUI::ActivateControl() {
    DeactivateControl();
    created_ = true;
    ComPtr<IUnknown> object;
    if (IsZero(clsid_) || !InstantiateControl(object)) return false;
    if (FAILED(object.As(&control_))) return false;

    site_ = new CActiveXCtrl(this);
    DWORD misc = 0;
    control_->GetMiscStatus(DVASPECT_CONTENT, &misc);
    if (misc & OLEMISC_SETCLIENTSITEFIRST) control_->SetClientSite(site_);
    ComPtr<IPersistStreamInit> persist;
    if (SUCCEEDED(control_.As(&persist))) {
        if (FAILED(persist->InitNew())) return false;
    }
    if ((misc & OLEMISC_SETCLIENTSITEFIRST) == 0) control_->SetClientSite(site_);
    site_->SetViewObject(control_.Get());
    control_->SetHostNames(L"UIActiveX", nullptr);
    if (manager_) manager_->SendNotify(this, L"showactivex");

    HRESULT verb = S_OK;
    if ((misc & OLEMISC_INVISIBLEATRUNTIME) == 0) {
        RECT rect = rcItem_;
        verb = control_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site_, 0,
                                manager_ ? manager_->GetPaintWindow() : nullptr, &rect);
    }
    ComPtr<IObjectWithSite> withSite;
    if (SUCCEEDED(control_.As(&withSite))) withSite->SetSite(static_cast<IOleClientSite*>(site_));
    return SUCCEEDED(verb);
}

void CActiveXUI::DeactivateControl() { ReleaseControl(); }

void CActiveXUI::ReleaseControl() {
    hostWindow_ = nullptr;
    hostCuts_.clear();
    hostCutSize_ = SIZE{};
    if (control_) {
        ComPtr<IObjectWithSite> withSite;
        if (SUCCEEDED(control_.As(&withSite))) withSite->SetSite(nullptr);
        if (site_) site_->UnlockRunning(control_.Get());
        control_->Close(OLECLOSE_NOSAVE);
        control_->SetClientSite(nullptr);
        control_.Reset();
    }
    if (site_) {
        site_->Detach();
        site_->Release();
        site_ = nullptr;
    }
    if (manager_) manager_->RemoveMessageFilter(this);
}

void CActiveXUI::ResizeControl() {
    if (!control_ || !site_) return;
    SIZEL extent{PixelsToHimetric(rcItem_.right - rcItem_.left, LOGPIXELSX),
                 PixelsToHimetric(rcItem_.bottom - rcItem_.top, LOGPIXELSY)};
    control_->SetExtent(DVASPECT_CONTENT, &extent);
    site_->SetObjectRects(rcItem_);
    if (!site_->IsWindowless() && site_->GetHostWindowObject() && site_->GetHostWindowObject()->GetHWND()) {
        HWND host = site_->GetHostWindowObject()->GetHWND();
        ::MoveWindow(host, rcItem_.left, rcItem_.top, rcItem_.right - rcItem_.left, rcItem_.bottom - rcItem_.top,
                     TRUE);
        // The controls after this one are placed later in the same layout pass.
        ::PostMessageW(host, CActiveXWnd::kClipMessage, 0, 0);
    }
}

void CActiveXUI::ClipHostWindow() {
    if (!site_ || site_->IsWindowless() || !site_->GetHostWindowObject()) return;
    HWND host = site_->GetHostWindowObject()->GetHWND();
    if (!host) return;
    std::vector<RECT> cuts;
    auto* parent = parent_ ? static_cast<IContainerUI*>(parent_->GetInterface(L"IContainer")) : nullptr;
    if (parent) {
        for (int i = parent->GetItemIndex(this) + 1; i > 0 && i < parent->GetCount(); ++i) {
            CControlUI* later = parent->GetItemAt(i);
            RECT overlap;
            if (!later->IsVisible() || !::IntersectRect(&overlap, &later->GetPos(), &rcItem_)) continue;
            ::OffsetRect(&overlap, -rcItem_.left, -rcItem_.top);
            cuts.push_back(overlap);
        }
    }
    // A region made for another size would not cover the host window's new area.
    const SIZE size{rcItem_.right - rcItem_.left, rcItem_.bottom - rcItem_.top};
    auto same = [](const RECT& a, const RECT& b) { return ::EqualRect(&a, &b) != FALSE; };
    if (size.cx == hostCutSize_.cx && size.cy == hostCutSize_.cy && cuts.size() == hostCuts_.size() &&
        std::equal(cuts.begin(), cuts.end(), hostCuts_.begin(), same))
        return;
    hostCuts_ = cuts;
    hostCutSize_ = size;
    HRGN region = nullptr;
    if (!cuts.empty()) {
        region = ::CreateRectRgn(0, 0, size.cx, size.cy);
        for (const RECT& cut : cuts) {
            HRGN hole = ::CreateRectRgnIndirect(&cut);
            ::CombineRgn(region, region, hole, RGN_DIFF);
            ::DeleteObject(hole);
        }
    }
    // The window owns the region from here on; none gives the whole window back.
    ::SetWindowRgn(host, region, TRUE);
}

void CActiveXUI::SetPos(RECT rect) {
    CControlUI::SetPos(rect);
    if (!created_) ActivateControl();
    ResizeControl();
}

namespace {

void ShowHostWindow(CActiveXCtrl* site, bool show) {
    if (!site || site->IsWindowless() || !site->GetHostWindowObject()) return;
    HWND window = site->GetHostWindowObject()->GetHWND();
    if (window) ::ShowWindow(window, show ? SW_SHOW : SW_HIDE);
}

}  // namespace

void CActiveXUI::SetVisible(bool visible) {
    CControlUI::SetVisible(visible);
    ShowHostWindow(site_, IsVisible());
}

void CActiveXUI::SetInternVisible(bool visible) {
    CControlUI::SetInternVisible(visible);
    ShowHostWindow(site_, IsVisible());
}

void CActiveXUI::DoPaint(HDC dc, const RECT& paint) {
    RECT overlap;
    if (!::IntersectRect(&overlap, &paint, &rcItem_)) return;
    if (!site_ || !site_->IsWindowless() || !site_->GetViewObject()) return;
    RECTL bounds{rcItem_.left, rcItem_.top, rcItem_.right, rcItem_.bottom};
    site_->GetViewObject()->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dc, &bounds, &bounds, nullptr, 0);
}

const CAttributeTable& CActiveXUI::GetAttributeTable() const { return Attributes(); }

const CAttributeTable& CActiveXUI::Attributes() {
    using C = CActiveXUI;
    using V = const std::wstring&;
    static const CAttributeTable table = CAttributeTable::Of<C>(&CControlUI::Attributes(), {
        {L"clsid", [](C& c, V v) { c.CreateControl(v); }},
        {L"modulename", [](C& c, V v) { c.SetModuleName(v); }},
        {L"delaycreate", [](C& c, V v) { c.SetDelayCreate(v == L"true"); }},
    });
    return table;
}

LRESULT CActiveXUI::MessageHandler(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
    if (!control_ || !site_ || !site_->IsInPlaceActive() || !site_->IsWindowless()) return 0;
    IOleInPlaceObjectWindowless* windowless = site_->GetWindowlessObject();
    if (!windowless) return 0;
    bool take = false;
    if (IsMouseMessage(message) || message == WM_SETCURSOR) {
        if (!IsVisible()) return 0;
        take = site_->IsCaptured();
        if (!take) {
            ComPtr<IViewObjectEx> view;
            POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            if (message == WM_SETCURSOR) {
                ::GetCursorPos(&point);
                ::ScreenToClient(hostWindow_, &point);
            }
            DWORD hit = HITRESULT_OUTSIDE;
            if (site_->GetViewObject() &&
                SUCCEEDED(site_->GetViewObject()->QueryInterface(IID_IViewObjectEx,
                                                                 reinterpret_cast<void**>(view.GetAddressOf()))))
                view->QueryHitPoint(DVASPECT_CONTENT, &rcItem_, point, 0, &hit);
            take = hit != HITRESULT_OUTSIDE;
        }
    } else if (IsKeyMessage(message)) {
        take = site_->IsFocused();
    } else if (message == WM_HELP || message == WM_CONTEXTMENU) {
        take = true;
    }
    if (!take) return 0;
    LRESULT result = 0;
    windowless->OnWindowMessage(message, wParam, lParam, &result);
    if (message != WM_SETCURSOR && message != WM_HELP && message != WM_CONTEXTMENU) handled = true;
    return result;
}

HRESULT CActiveXUI::QueryHostService(REFGUID, REFIID, void** object) {
    if (object) *object = nullptr;
    return E_NOINTERFACE;
}

bool CActiveXUI::GetAmbientProperty(DISPID, VARIANT*) { return false; }

}  // namespace UiLib
