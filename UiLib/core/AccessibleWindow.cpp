#include "UiLib/core/AccessibleWindow.h"

#include <algorithm>
#include <string>

#include "UiLib/Utils/LibraryFunction.h"
#include "UiLib/core/UIManager.h"
#include "UiLib/tree/IAccessibleRowsUI.h"
#include "UiLib/tree/UIContainer.h"
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

bool HoldsControls(CControlUI* control) { return control->GetInterface(L"IContainer") != nullptr; }

// The root stands for the window itself unless it is a single control.
bool IsElement(CControlUI* control, const CControlUI* root) {
    if (!control->IsVisible()) return false;
    if (control == root) return !HoldsControls(control);
    return !HoldsControls(control) || control->GetAccessibleRole() != ROLE_SYSTEM_CLIENT ||
           !control->GetAccessibleName().empty();
}

// A shown element and the element (or the root) it is inside.
struct Placed {
    CControlUI* element;
    CControlUI* parent;
};

// In tree order, each container's scroll bars after its items; `parent` is the nearest element above.
void CollectElements(CControlUI* control, CControlUI* root, CControlUI* parent, std::vector<Placed>& elements) {
    if (!control->IsVisible()) return;
    if (IsElement(control, root)) {
        elements.push_back({control, parent});
        parent = control;
    }
    auto* container = static_cast<CContainerUI*>(control->GetInterface(L"Container"));
    if (!container) return;
    for (int i = 0; i < container->GetCount(); ++i) CollectElements(container->GetItemAt(i), root, parent, elements);
    for (CScrollBarUI* bar : {container->GetVerticalScrollBar(), container->GetHorizontalScrollBar()})
        if (bar) CollectElements(bar, root, parent, elements);
}

std::vector<Placed> PlacedElements(CControlUI* root) {
    std::vector<Placed> elements;
    if (root) CollectElements(root, root, root, elements);
    return elements;
}

// What a click does is offered to every control that takes the focus, to list and menu items and to links.
bool HasDefaultAction(CControlUI* control) {
    const DWORD role = control->GetAccessibleRole();
    return (control->GetControlFlags() & UIFLAG_TABSTOP) || role == ROLE_SYSTEM_LISTITEM || role == ROLE_SYSTEM_MENUITEM ||
           role == ROLE_SYSTEM_LINK;
}

const wchar_t* DefaultActionName(CControlUI* control) {
    switch (control->GetAccessibleRole()) {
    case ROLE_SYSTEM_PAGETAB: return L"Switch";
    case ROLE_SYSTEM_LISTITEM: return L"Select";
    case ROLE_SYSTEM_MENUITEM: return L"Execute";
    case ROLE_SYSTEM_LINK: return L"Jump";
    case ROLE_SYSTEM_RADIOBUTTON: return L"Check";
    case ROLE_SYSTEM_CHECKBUTTON:
        return (control->GetAccessibleState() & STATE_SYSTEM_CHECKED) ? L"Uncheck" : L"Check";
    default: return L"Press";
    }
}

}  // namespace

std::vector<CControlUI*> AccessibleElements(CControlUI* root) {
    std::vector<CControlUI*> elements;
    for (const Placed& placed : PlacedElements(root)) elements.push_back(placed.element);
    return elements;
}

CControlUI* AccessibleParent(CControlUI* root, const CControlUI* element) {
    for (const Placed& placed : PlacedElements(root))
        if (placed.element == element) return placed.parent;
    return root;
}

std::vector<CControlUI*> AccessibleChildren(CControlUI* root, const CControlUI* scope) {
    std::vector<CControlUI*> children;
    for (const Placed& placed : PlacedElements(root))
        if (placed.parent == scope) children.push_back(placed.element);
    return children;
}

LONG AccessibleChildId(CControlUI* root, const CControlUI* control) {
    const std::vector<Placed> elements = PlacedElements(root);
    LONG amongOwn = 0;
    for (size_t i = 0; i < elements.size(); ++i) {
        const bool own = elements[i].parent == root;
        if (own) ++amongOwn;
        if (elements[i].element == control) return own ? amongOwn : -static_cast<LONG>(i + 1);
    }
    return CHILDID_SELF;
}

void AnnounceFocus(HWND window, CControlUI* root, const CControlUI* control) {
    ::NotifyWinEvent(EVENT_OBJECT_FOCUS, window, OBJID_CLIENT, AccessibleChildId(root, control));
}

void AnnounceEvent(HWND window, CControlUI* root, const CControlUI* control, DWORD event) {
    const LONG id = AccessibleChildId(root, control);
    if (id != CHILDID_SELF) ::NotifyWinEvent(event, window, OBJID_CLIENT, id);
}

CAccessibleWindow::CAccessibleWindow(CPaintManagerUI& manager)
    : CComObject<IAccessible>(IID_IAccessible), manager_(&manager) {}

CAccessibleWindow::CAccessibleWindow(CAccessibleWindow& window, const CControlUI& group)
    : CComObject<IAccessible>(IID_IAccessible), window_(&window), group_(&group) {
    window_->AddRef();
}

CAccessibleWindow::~CAccessibleWindow() {
    if (window_) window_->Release();
}

STDMETHODIMP CAccessibleWindow::QueryInterface(REFIID iid, void** object) {
    // Child objects travel as IDispatch.
    if (iid != IID_IDispatch || !object) return CComObject<IAccessible>::QueryInterface(iid, object);
    *object = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
}

LRESULT CAccessibleWindow::Answer(WPARAM wParam) {
    return LresultFor(static_cast<IAccessible*>(this), wParam);
}

CPaintManagerUI* CAccessibleWindow::Manager() const { return window_ ? window_->Manager() : manager_; }

CControlUI* CAccessibleWindow::Root() const {
    CPaintManagerUI* manager = Manager();
    return manager ? manager->GetRoot() : nullptr;
}

CControlUI* CAccessibleWindow::Group() const {
    if (!group_) return nullptr;
    for (CControlUI* element : AccessibleElements(Root()))
        if (element == group_) return element;
    return nullptr;
}

bool CAccessibleWindow::Gone() const { return !Manager() || (group_ && !Group()); }

CAccessibleWindow::ChildList::ChildList(IAccessibleRowsUI* rows, std::vector<CControlUI*> elements)
    : rows_(rows), rowCount_(rows ? rows->AccessibleRowCount() : 0) {
    // The controls of rows are counted among the rows.
    for (CControlUI* element : elements)
        if (!rows || rows->AccessibleRowOf(element) < 0) others_.push_back(element);
}

LONG CAccessibleWindow::ChildList::Count() const { return rowCount_ + static_cast<LONG>(others_.size()); }

CAccessibleWindow::Child CAccessibleWindow::ChildList::At(LONG id) const {
    if (id >= 1 && id <= rowCount_) return Child{rows_->AccessibleRowControl(id - 1), id - 1};
    const LONG other = id - rowCount_ - 1;
    if (other >= 0 && other < static_cast<LONG>(others_.size())) return Child{others_[static_cast<size_t>(other)], -1};
    return Child{};
}

LONG CAccessibleWindow::ChildList::IdOf(const CControlUI* control) const {
    if (!control) return 0;
    if (rows_) {
        const int row = rows_->AccessibleRowOf(control);
        if (row >= 0) return row + 1;
    }
    auto found = std::find(others_.begin(), others_.end(), control);
    return found == others_.end() ? 0 : rowCount_ + static_cast<LONG>(found - others_.begin()) + 1;
}

IAccessibleRowsUI* CAccessibleWindow::Rows() const {
    CControlUI* group = Group();
    return group ? static_cast<IAccessibleRowsUI*>(group->GetInterface(L"AccessibleRows")) : nullptr;
}

CAccessibleWindow::ChildList CAccessibleWindow::Children() const {
    CControlUI* root = Root();
    CControlUI* scope = group_ ? Group() : root;
    return ChildList(Rows(), scope ? AccessibleChildren(root, scope) : std::vector<CControlUI*>());
}

CControlUI* CAccessibleWindow::ControlOf(const VARIANT& child) const {
    if (child.vt != VT_I4) return nullptr;
    if (child.lVal == CHILDID_SELF) return Group();
    if (child.lVal > 0) return Children().At(child.lVal).control;
    // Ids below zero name any element of the window, as events do.
    std::vector<CControlUI*> candidates = group_ ? std::vector<CControlUI*>() : AccessibleElements(Root());
    const size_t index = static_cast<size_t>(-child.lVal) - 1;
    return index < candidates.size() ? candidates[index] : nullptr;
}

int CAccessibleWindow::RowOf(const VARIANT& child) const {
    if (child.vt != VT_I4 || child.lVal <= 0 || !Rows()) return -1;
    return Children().At(child.lVal).row;
}

CControlUI* CAccessibleWindow::ControlToActOn(const VARIANT& child) const {
    if (CControlUI* control = ControlOf(child)) return control;
    const int row = RowOf(child);
    return row >= 0 ? Rows()->ShowAccessibleRow(row) : nullptr;
}

HRESULT CAccessibleWindow::Check(const VARIANT& child) const {
    if (Gone()) return kWindowGone;
    if (child.vt != VT_I4) return E_INVALIDARG;
    return IsSelf(child) || ControlOf(child) || RowOf(child) >= 0 ? S_OK : E_INVALIDARG;
}

IDispatch* CAccessibleWindow::ObjectOf(CControlUI* element) {
    CAccessibleWindow& window = window_ ? *window_ : *this;
    if (element == Root()) {
        window.AddRef();
        return &window;
    }
    return new CAccessibleWindow(window, *element);
}

void CAccessibleWindow::AnswerChild(const Child& child, LONG id, VARIANT* out) {
    if (child.control) {
        AnswerChild(child.control, id, out);
        return;
    }
    SetChildId(out, id);
}

void CAccessibleWindow::AnswerChild(CControlUI* element, LONG id, VARIANT* out) {
    if (!HoldsControls(element)) {
        SetChildId(out, id);
        return;
    }
    out->vt = VT_DISPATCH;
    out->pdispVal = ObjectOf(element);
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
    if (Gone()) return kWindowGone;
    // The window's frame, as the system describes it.
    if (!group_) return WindowObject(Manager()->GetPaintWindow(), parent);
    *parent = ObjectOf(AccessibleParent(Root(), Group()));
    return S_OK;
}

STDMETHODIMP CAccessibleWindow::get_accChildCount(LONG* count) {
    if (!count) return E_POINTER;
    *count = 0;
    if (Gone()) return kWindowGone;
    *count = Children().Count();
    return S_OK;
}

STDMETHODIMP CAccessibleWindow::get_accChild(VARIANT child, IDispatch** dispatch) {
    if (!dispatch) return E_POINTER;
    *dispatch = nullptr;
    HRESULT valid = Check(child);
    if (FAILED(valid)) return valid;
    // Other controls are simple elements: the client asks this object about them by id.
    CControlUI* control = ControlOf(child);
    if (IsSelf(child) || !control || !HoldsControls(control)) return S_FALSE;
    *dispatch = ObjectOf(control);
    return S_OK;
}

STDMETHODIMP CAccessibleWindow::get_accName(VARIANT child, BSTR* name) {
    if (!name) return E_POINTER;
    *name = nullptr;
    HRESULT valid = Check(child);
    if (FAILED(valid)) return valid;
    if (CControlUI* control = ControlOf(child)) return ToBstr(control->GetAccessibleName(), name);
    if (const int row = RowOf(child); row >= 0) return ToBstr(Rows()->AccessibleRowName(row), name);
    wchar_t title[256] = {};
    ::GetWindowTextW(Manager()->GetPaintWindow(), title, 256);
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
    if (FAILED(valid)) return valid;
    CControlUI* control = ControlOf(child);
    return control ? ToBstr(control->GetAccessibleDescription(), description) : S_FALSE;
}

STDMETHODIMP CAccessibleWindow::get_accRole(VARIANT child, VARIANT* role) {
    if (!role) return E_POINTER;
    ::VariantInit(role);
    HRESULT valid = Check(child);
    if (FAILED(valid)) return valid;
    // The window's own role is its root layout's: a menu window is a menu.
    CControlUI* control = ControlOf(child);
    if (!control && RowOf(child) >= 0) {
        SetChildId(role, ROLE_SYSTEM_LISTITEM);
        return S_OK;
    }
    if (CControlUI* root = Root(); !control && root && HoldsControls(root)) control = root;
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
    const int row = control ? -1 : RowOf(child);
    if (control) flags = static_cast<LONG>(control->GetAccessibleState());
    else if (row >= 0)
        flags |= STATE_SYSTEM_SELECTABLE | STATE_SYSTEM_OFFSCREEN |
                 (Rows()->IsAccessibleRowSelected(row) ? STATE_SYSTEM_SELECTED : 0);
    else if (::GetFocus() == Manager()->GetPaintWindow()) flags |= STATE_SYSTEM_FOCUSED;
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
    if (Gone()) return kWindowGone;
    CPaintManagerUI* manager = Manager();
    if (::GetFocus() != manager->GetPaintWindow()) return S_FALSE;
    CControlUI* control = manager->GetFocus();
    if (!group_) {
        SetChildId(focus, control ? AccessibleChildId(Root(), control) : CHILDID_SELF);
        return S_OK;
    }
    if (control == Group()) {
        SetChildId(focus, CHILDID_SELF);
        return S_OK;
    }
    const LONG id = Children().IdOf(control);
    if (id == 0) return S_FALSE;
    AnswerChild(control, id, focus);
    return S_OK;
}

STDMETHODIMP CAccessibleWindow::get_accSelection(VARIANT* selection) {
    if (!selection) return E_POINTER;
    ::VariantInit(selection);
    if (Gone()) return kWindowGone;
    // The controls here select one item at a time.
    const ChildList children = Children();
    IAccessibleRowsUI* rows = Rows();
    for (LONG id = 1; id <= children.Count(); ++id) {
        const Child each = children.At(id);
        const bool selected = each.row >= 0 ? rows->IsAccessibleRowSelected(each.row)
                                            : (each.control->GetAccessibleState() & STATE_SYSTEM_SELECTED) != 0;
        if (selected) {
            AnswerChild(each, id, selection);
            return S_OK;
        }
    }
    return S_FALSE;
}

STDMETHODIMP CAccessibleWindow::get_accDefaultAction(VARIANT child, BSTR* action) {
    if (!action) return E_POINTER;
    *action = nullptr;
    HRESULT valid = Check(child);
    if (FAILED(valid)) return valid;
    CControlUI* control = ControlOf(child);
    if (!control && RowOf(child) >= 0) return ToBstr(L"Select", action);
    if (!control || !HasDefaultAction(control)) return S_FALSE;
    return ToBstr(DefaultActionName(control), action);
}

STDMETHODIMP CAccessibleWindow::accSelect(LONG flags, VARIANT child) {
    HRESULT valid = Check(child);
    if (FAILED(valid)) return valid;
    CControlUI* control = ControlToActOn(child);
    if (!control) return S_FALSE;
    bool done = false;
    if (flags & SELFLAG_TAKEFOCUS) {
        control->SetFocus();
        done = true;
    }
    if (flags & SELFLAG_TAKESELECTION) done = control->AccessibleSelect() || done;
    return done ? S_OK : S_FALSE;
}

STDMETHODIMP CAccessibleWindow::accLocation(LONG* left, LONG* top, LONG* width, LONG* height, VARIANT child) {
    if (!left || !top || !width || !height) return E_POINTER;
    *left = *top = *width = *height = 0;
    HRESULT valid = Check(child);
    if (FAILED(valid)) return valid;
    HWND window = Manager()->GetPaintWindow();
    RECT area{};
    CControlUI* control = ControlOf(child);
    // A row away from the view has no place on the screen.
    if (!control && RowOf(child) >= 0) return S_FALSE;
    if (control) area = control->GetPos();
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
    const ChildList children = Children();
    const LONG count = children.Count();
    // The place of the start among this object's children, from 1; 0 for the object itself.
    LONG from = 0;
    if (!IsSelf(start)) {
        from = start.lVal > 0 ? start.lVal : children.IdOf(ControlOf(start));
        if (from == 0) return S_FALSE;
    }
    LONG target = 0;
    switch (direction) {
    case NAVDIR_FIRSTCHILD:
        if (from == 0) target = count > 0 ? 1 : 0;
        break;
    case NAVDIR_LASTCHILD:
        if (from == 0) target = count;
        break;
    case NAVDIR_NEXT:
        if (from > 0 && from < count) target = from + 1;
        break;
    case NAVDIR_PREVIOUS:
        if (from > 1) target = from - 1;
        break;
    default:
        return E_NOTIMPL;
    }
    if (target == 0) return S_FALSE;
    AnswerChild(children.At(target), target, end);
    return S_OK;
}

STDMETHODIMP CAccessibleWindow::accHitTest(LONG left, LONG top, VARIANT* child) {
    if (!child) return E_POINTER;
    ::VariantInit(child);
    if (Gone()) return kWindowGone;
    HWND window = Manager()->GetPaintWindow();
    POINT point{left, top};
    ::ScreenToClient(window, &point);
    RECT area{};
    if (CControlUI* group = Group()) area = group->GetPos();
    else ::GetClientRect(window, &area);
    if (!::PtInRect(&area, point)) return S_FALSE;
    // The last child in tree order under the point is the one drawn on top.
    const ChildList children = Children();
    for (LONG id = children.Count(); id >= 1; --id) {
        const Child each = children.At(id);
        if (each.control && ::PtInRect(&each.control->GetPos(), point)) {
            AnswerChild(each, id, child);
            return S_OK;
        }
    }
    SetChildId(child, CHILDID_SELF);
    return S_OK;
}

STDMETHODIMP CAccessibleWindow::accDoDefaultAction(VARIANT child) {
    HRESULT valid = Check(child);
    if (FAILED(valid)) return valid;
    CControlUI* control = ControlToActOn(child);
    if (!control || !HasDefaultAction(control)) return DISP_E_MEMBERNOTFOUND;
    // What a click does: a list or menu item is selected by the button going down before its
    // going up activates it.
    const DWORD role = control->GetAccessibleRole();
    if (role == ROLE_SYSTEM_LISTITEM || role == ROLE_SYSTEM_MENUITEM) control->AccessibleSelect();
    control->Activate();
    return S_OK;
}

STDMETHODIMP CAccessibleWindow::put_accName(VARIANT, BSTR) { return E_NOTIMPL; }
STDMETHODIMP CAccessibleWindow::put_accValue(VARIANT, BSTR) { return E_NOTIMPL; }

}  // namespace UiLib
