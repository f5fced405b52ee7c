#include "UiLib/core/AccessibleWindow.h"

#include <algorithm>
#include <string>

#include "UiLib/Utils/LibraryFunction.h"
#include "UiLib/core/UIManager.h"
#include "UiLib/tree/UIControl.h"

namespace UiLib {

namespace {

// A window that is gone answers every call so; the client then drops the object.
constexpr HRESULT kWindowGone = CO_E_OBJNOTCONNECTED;

bool IsSelf(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }

HRESULT ToBstr(const std::wstring& text, BSTR* out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (text.empty()) return S_FALSE;
    *out = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

// The accessibility library is not among the libraries the system always takes from its own
// folder: it is loaded from there by hand, never from beside the program.
LRESULT LresultFor(IAccessible* object, WPARAM wParam) {
    using Function = LRESULT(WINAPI*)(REFIID, WPARAM, LPUNKNOWN);
    static const auto lresultFromObject = LibraryFunction<Function>(L"oleacc.dll", "LresultFromObject");
    return lresultFromObject ? lresultFromObject(IID_IAccessible, wParam, object) : 0;
}

HRESULT WindowObject(HWND window, IDispatch** object) {
    using Function = HRESULT(WINAPI*)(HWND, DWORD, REFIID, void**);
    static const auto objectFromWindow = LibraryFunction<Function>(L"oleacc.dll", "AccessibleObjectFromWindow");
    if (!objectFromWindow) return E_NOTIMPL;
    return objectFromWindow(window, static_cast<DWORD>(OBJID_WINDOW), IID_IDispatch, reinterpret_cast<void**>(object));
}

void SetChildId(VARIANT* out, LONG id) {
    out->vt = VT_I4;
    out->lVal = id;
}

CControlUI* CALLBACK CollectVisible(CControlUI* control, void* data) {
    if (!control->GetInterface(L"IContainer"))
        static_cast<std::vector<CControlUI*>*>(data)->push_back(control);
    return nullptr;
}

}  // namespace

std::vector<CControlUI*> AccessibleChildren(CControlUI* root) {
    std::vector<CControlUI*> controls;
    if (root) root->FindControl(&CollectVisible, &controls, UIFIND_VISIBLE);
    return controls;
}

LONG AccessibleChildId(CControlUI* root, const CControlUI* control) {
    std::vector<CControlUI*> controls = AccessibleChildren(root);
    auto found = std::find(controls.begin(), controls.end(), control);
    return found == controls.end() ? CHILDID_SELF : static_cast<LONG>(found - controls.begin()) + 1;
}

void AnnounceFocus(HWND window, CControlUI* root, const CControlUI* control) {
    ::NotifyWinEvent(EVENT_OBJECT_FOCUS, window, OBJID_CLIENT, AccessibleChildId(root, control));
}

CAccessibleWindow::CAccessibleWindow(CPaintManagerUI& manager)
    : CComObject<IAccessible>(IID_IAccessible), manager_(&manager) {}

LRESULT CAccessibleWindow::Answer(WPARAM wParam) {
    return LresultFor(static_cast<IAccessible*>(this), wParam);
}

std::vector<CControlUI*> CAccessibleWindow::VisibleControls() const {
    return AccessibleChildren(manager_ ? manager_->GetRoot() : nullptr);
}

CControlUI* CAccessibleWindow::ControlOf(const VARIANT& child) const {
    if (child.vt != VT_I4 || child.lVal <= CHILDID_SELF) return nullptr;
    std::vector<CControlUI*> controls = VisibleControls();
    size_t index = static_cast<size_t>(child.lVal) - 1;
    return index < controls.size() ? controls[index] : nullptr;
}

HRESULT CAccessibleWindow::Check(const VARIANT& child) const {
    if (!manager_) return kWindowGone;
    if (child.vt != VT_I4) return E_INVALIDARG;
    return IsSelf(child) || ControlOf(child) ? S_OK : E_INVALIDARG;
}

STDMETHODIMP CAccessibleWindow::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}
STDMETHODIMP CAccessibleWindow::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info) *info = nullptr;
    return E_NOTIMPL;
}
STDMETHODIMP CAccessibleWindow::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }
STDMETHODIMP CAccessibleWindow::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) {
    return E_NOTIMPL;
}

STDMETHODIMP CAccessibleWindow::get_accParent(IDispatch** parent) {
    if (!parent) return E_POINTER;
    *parent = nullptr;
    if (!manager_) return kWindowGone;
    // The window's frame, as the system describes it.
    return WindowObject(manager_->GetPaintWindow(), parent);
}

STDMETHODIMP CAccessibleWindow::get_accChildCount(LONG* count) {
    if (!count) return E_POINTER;
    *count = 0;
    if (!manager_) return kWindowGone;
    *count = static_cast<LONG>(VisibleControls().size());
    return S_OK;
}

STDMETHODIMP CAccessibleWindow::get_accChild(VARIANT child, IDispatch** dispatch) {
    if (!dispatch) return E_POINTER;
    *dispatch = nullptr;
    HRESULT valid = Check(child);
    // Controls are simple elements: the client asks this object about them by id.
    return FAILED(valid) ? valid : S_FALSE;
}

STDMETHODIMP CAccessibleWindow::get_accName(VARIANT child, BSTR* name) {
    if (!name) return E_POINTER;
    *name = nullptr;
    HRESULT valid = Check(child);
    if (FAILED(valid)) return valid;
    if (CControlUI* control = ControlOf(child)) return ToBstr(control->GetAccessibleName(), name);
    wchar_t title[256] = {};
    ::GetWindowTextW(manager_->GetPaintWindow(), title, 256);
    return ToBstr(title, name);
}

STDMETHODIMP CAccessibleWindow::get_accValue(VARIANT child, BSTR* value) {
    if (!value) return E_POINTER;
    *value = nullptr;
    HRESULT valid = Check(child);
    if (FAILED(valid)) return valid;
    // Editable text tells its content as its value too.
    CControlUI* control = ControlOf(child);
    if (control && control->GetAccessibleRole() == ROLE_SYSTEM_TEXT) return ToBstr(control->GetText(), value);
    return DISP_E_MEMBERNOTFOUND;
}

STDMETHODIMP CAccessibleWindow::get_accDescription(VARIANT child, BSTR* description) {
    if (!description) return E_POINTER;
    *description = nullptr;
    HRESULT valid = Check(child);
    return FAILED(valid) ? valid : DISP_E_MEMBERNOTFOUND;
}

STDMETHODIMP CAccessibleWindow::get_accRole(VARIANT child, VARIANT* role) {
    if (!role) return E_POINTER;
    ::VariantInit(role);
    HRESULT valid = Check(child);
    if (FAILED(valid)) return valid;
    CControlUI* control = ControlOf(child);
    SetChildId(role, static_cast<LONG>(control ? control->GetAccessibleRole() : ROLE_SYSTEM_CLIENT));
    return S_OK;
}

STDMETHODIMP CAccessibleWindow::get_accState(VARIANT child, VARIANT* state) {
    if (!state) return E_POINTER;
    ::VariantInit(state);
    HRESULT valid = Check(child);
    if (FAILED(valid)) return valid;
    CControlUI* control = ControlOf(child);
    LONG flags = STATE_SYSTEM_FOCUSABLE;
    if (control) flags = static_cast<LONG>(control->GetAccessibleState());
    else if (::GetFocus() == manager_->GetPaintWindow()) flags |= STATE_SYSTEM_FOCUSED;
    SetChildId(state, flags);
    return S_OK;
}

STDMETHODIMP CAccessibleWindow::get_accHelp(VARIANT child, BSTR* help) {
    if (!help) return E_POINTER;
    *help = nullptr;
    HRESULT valid = Check(child);
    return FAILED(valid) ? valid : DISP_E_MEMBERNOTFOUND;
}

STDMETHODIMP CAccessibleWindow::get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) {
    if (!file || !topic) return E_POINTER;
    *file = nullptr;
    *topic = 0;
    HRESULT valid = Check(child);
    return FAILED(valid) ? valid : DISP_E_MEMBERNOTFOUND;
}

STDMETHODIMP CAccessibleWindow::get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) {
    if (!shortcut) return E_POINTER;
    *shortcut = nullptr;
    HRESULT valid = Check(child);
    if (FAILED(valid)) return valid;
    CControlUI* control = ControlOf(child);
    if (!control || !control->GetShortcut()) return S_FALSE;
    return ToBstr(std::wstring(L"Alt+") + control->GetShortcut(), shortcut);
}

STDMETHODIMP CAccessibleWindow::get_accFocus(VARIANT* focus) {
    if (!focus) return E_POINTER;
    ::VariantInit(focus);
    if (!manager_) return kWindowGone;
    if (::GetFocus() != manager_->GetPaintWindow()) return S_FALSE;
    CControlUI* control = manager_->GetFocus();
    SetChildId(focus, control ? AccessibleChildId(manager_->GetRoot(), control) : CHILDID_SELF);
    return S_OK;
}

STDMETHODIMP CAccessibleWindow::get_accSelection(VARIANT* selection) {
    if (!selection) return E_POINTER;
    ::VariantInit(selection);
    return manager_ ? S_FALSE : kWindowGone;
}

STDMETHODIMP CAccessibleWindow::get_accDefaultAction(VARIANT child, BSTR* action) {
    if (!action) return E_POINTER;
    *action = nullptr;
    HRESULT valid = Check(child);
    if (FAILED(valid)) return valid;
    CControlUI* control = ControlOf(child);
    if (!control || !(control->GetControlFlags() & UIFLAG_TABSTOP)) return S_FALSE;
    return ToBstr(L"Press", action);
}

STDMETHODIMP CAccessibleWindow::accSelect(LONG flags, VARIANT child) {
    HRESULT valid = Check(child);
    if (FAILED(valid)) return valid;
    CControlUI* control = ControlOf(child);
    if (!control || !(flags & SELFLAG_TAKEFOCUS)) return S_FALSE;
    control->SetFocus();
    return S_OK;
}

STDMETHODIMP CAccessibleWindow::accLocation(LONG* left, LONG* top, LONG* width, LONG* height, VARIANT child) {
    if (!left || !top || !width || !height) return E_POINTER;
    *left = *top = *width = *height = 0;
    HRESULT valid = Check(child);
    if (FAILED(valid)) return valid;
    HWND window = manager_->GetPaintWindow();
    RECT area{};
    if (CControlUI* control = ControlOf(child)) area = control->GetPos();
    else ::GetClientRect(window, &area);
    ::MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&area), 2);
    *left = area.left;
    *top = area.top;
    *width = area.right - area.left;
    *height = area.bottom - area.top;
    return S_OK;
}

STDMETHODIMP CAccessibleWindow::accNavigate(LONG direction, VARIANT start, VARIANT* end) {
    if (!end) return E_POINTER;
    ::VariantInit(end);
    HRESULT valid = Check(start);
    if (FAILED(valid)) return valid;
    const LONG count = static_cast<LONG>(VisibleControls().size());
    LONG target = CHILDID_SELF;
    switch (direction) {
    case NAVDIR_FIRSTCHILD:
        if (IsSelf(start)) target = count > 0 ? 1 : CHILDID_SELF;
        break;
    case NAVDIR_LASTCHILD:
        if (IsSelf(start)) target = count;
        break;
    case NAVDIR_NEXT:
        if (!IsSelf(start) && start.lVal < count) target = start.lVal + 1;
        break;
    case NAVDIR_PREVIOUS:
        if (!IsSelf(start) && start.lVal > 1) target = start.lVal - 1;
        break;
    default:
        return E_NOTIMPL;
    }
    if (target == CHILDID_SELF) return S_FALSE;
    SetChildId(end, target);
    return S_OK;
}

STDMETHODIMP CAccessibleWindow::accHitTest(LONG left, LONG top, VARIANT* child) {
    if (!child) return E_POINTER;
    ::VariantInit(child);
    if (!manager_) return kWindowGone;
    HWND window = manager_->GetPaintWindow();
    POINT point{left, top};
    ::ScreenToClient(window, &point);
    RECT client{};
    ::GetClientRect(window, &client);
    if (!::PtInRect(&client, point)) return S_FALSE;
    // The last control in tree order under the point is the one drawn on top.
    std::vector<CControlUI*> controls = VisibleControls();
    for (size_t i = controls.size(); i-- > 0;) {
        if (::PtInRect(&controls[i]->GetPos(), point)) {
            SetChildId(child, static_cast<LONG>(i) + 1);
            return S_OK;
        }
    }
    SetChildId(child, CHILDID_SELF);
    return S_OK;
}

STDMETHODIMP CAccessibleWindow::accDoDefaultAction(VARIANT child) {
    HRESULT valid = Check(child);
    if (FAILED(valid)) return valid;
    CControlUI* control = ControlOf(child);
    if (!control || !(control->GetControlFlags() & UIFLAG_TABSTOP)) return DISP_E_MEMBERNOTFOUND;
    // What a click does.
    control->Activate();
    return S_OK;
}

STDMETHODIMP CAccessibleWindow::put_accName(VARIANT, BSTR) { return E_NOTIMPL; }
STDMETHODIMP CAccessibleWindow::put_accValue(VARIANT, BSTR) { return E_NOTIMPL; }

}  // namespace UiLib
