#pragma once
#include <windows.h>
#include <oleacc.h>

#include <memory>
#include <vector>

#include "UiLib/Utils/ComObject.h"

namespace UiLib {

class CControlUI;
class CPaintManagerUI;
class IAccessibleRowsUI;

// What a screen reader sees of a window whose tree starts at `root`: the visible controls, plain
// layouts left out; a layout counts when it has a role (a list, a page tab list, a menu) or the
// skin names it, and then holds the elements inside it. All shown elements, in tree order:
std::vector<CControlUI*> AccessibleElements(CControlUI* root);
// The element an element is inside: another element, or `root` itself.
CControlUI* AccessibleParent(CControlUI* root, const CControlUI* element);
// The elements directly inside `scope` (an element or `root`); a child id is a place in it counted from 1.
std::vector<CControlUI*> AccessibleChildren(CControlUI* root, const CControlUI* scope);
// The child id the window's object answers to for `control` (CHILDID_SELF when it is no element):
// its place among the window's own elements, or for one inside another element, minus its place
// among all elements.
LONG AccessibleChildId(CControlUI* root, const CControlUI* control);

// Tells screen readers that `control` of the window took the focus.
void AnnounceFocus(HWND window, CControlUI* root, const CControlUI* control);
// Tells screen readers of another change (EVENT_OBJECT_...) to an element of the window.
void AnnounceEvent(HWND window, CControlUI* root, const CControlUI* control, DWORD event);

// What a screen reader sees of a skinned window's client area: one accessible object whose
// children are its elements, each with the role, name, description and state the control gives
// and its screen location. An element that holds others (a list, a tab list, a menu) is also an
// object of its own with them as children; a list of rows (IAccessibleRowsUI) has every row as a
// child, first, whether or not it has a control, and then its other elements. Clients may keep the objects longer than the window
// or the element lives: they are disconnected when it goes.
class CAccessibleWindow : public CComObject<IAccessible> {
public:
    explicit CAccessibleWindow(CPaintManagerUI& manager);
    void Disconnect() { manager_ = nullptr; }
    // The answer to WM_GETOBJECT for the client area.
    LRESULT Answer(WPARAM wParam);

    // Child objects are handed out as IDispatch, which is asked for too.
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;

    // IDispatch: names are reached through IAccessible only.
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override;

    STDMETHODIMP get_accParent(IDispatch** parent) override;
    STDMETHODIMP get_accChildCount(LONG* count) override;
    STDMETHODIMP get_accChild(VARIANT child, IDispatch** dispatch) override;
    STDMETHODIMP get_accName(VARIANT child, BSTR* name) override;
    STDMETHODIMP get_accValue(VARIANT child, BSTR* value) override;
    STDMETHODIMP get_accDescription(VARIANT child, BSTR* description) override;
    STDMETHODIMP get_accRole(VARIANT child, VARIANT* role) override;
    STDMETHODIMP get_accState(VARIANT child, VARIANT* state) override;
    STDMETHODIMP get_accHelp(VARIANT child, BSTR* help) override;
    STDMETHODIMP get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override;
    STDMETHODIMP get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override;
    STDMETHODIMP get_accFocus(VARIANT* focus) override;
    STDMETHODIMP get_accSelection(VARIANT* selection) override;
    STDMETHODIMP get_accDefaultAction(VARIANT child, BSTR* action) override;
    STDMETHODIMP accSelect(LONG flags, VARIANT child) override;
    STDMETHODIMP accLocation(LONG* left, LONG* top, LONG* width, LONG* height, VARIANT child) override;
    STDMETHODIMP accNavigate(LONG direction, VARIANT start, VARIANT* end) override;
    STDMETHODIMP accHitTest(LONG left, LONG top, VARIANT* child) override;
    STDMETHODIMP accDoDefaultAction(VARIANT child) override;
    STDMETHODIMP put_accName(VARIANT child, BSTR name) override;
    STDMETHODIMP put_accValue(VARIANT child, BSTR value) override;

private:
    // The object of an element holding others; it keeps the window's object alive.
    CAccessibleWindow(CAccessibleWindow& window, const CControlUI& group);
    ~CAccessibleWindow() override;

    CPaintManagerUI* Manager() const;
    CControlUI* Root() const;
    // The element this object stands for while it is shown; null for the window's object.
    CControlUI* Group() const;
    // The window has gone, or the element this object stands for is no longer shown.
    bool Gone() const;
    // This object's children by id, from 1: the rows of a list of rows, then the other elements.
    struct Child {
        CControlUI* control = nullptr;  // null for a row without a control, or an unknown id
        int row = -1;                   // -1 for an element that is no row
    };
    class ChildList {
    public:
        ChildList(IAccessibleRowsUI* rows, std::vector<CControlUI*> elements);
        LONG Count() const;
        Child At(LONG id) const;
        // 0 for a control that is none of these children.
        LONG IdOf(const CControlUI* control) const;

    private:
        IAccessibleRowsUI* rows_;
        int rowCount_;
        std::vector<CControlUI*> others_;
    };
    ChildList Children() const;
    // The rows of this object's element when it is a list of rows; null otherwise.
    IAccessibleRowsUI* Rows() const;
    // The control a child id names; this object's element for CHILDID_SELF (null for the window),
    // null for an unknown id and a row without a control.
    CControlUI* ControlOf(const VARIANT& child) const;
    // The row a child id names, -1 for anything else.
    int RowOf(const VARIANT& child) const;
    // The control a reader acts on: a row without one is brought into view for it.
    CControlUI* ControlToActOn(const VARIANT& child) const;
    // `child` in a VARIANT: the object of an element holding others, else its id.
    void AnswerChild(const Child& child, LONG id, VARIANT* out);
    // S_OK for the object itself or a known child id, else the reason.
    HRESULT Check(const VARIANT& child) const;
    // `element` as a child in a VARIANT: the object of one that holds others, else its child id.
    void AnswerChild(CControlUI* element, LONG id, VARIANT* out);
    // The object of an element holding others, or of the window for the root.
    IDispatch* ObjectOf(CControlUI* element);

    CPaintManagerUI* manager_ = nullptr;   // the window's object: its window, null once it is gone
    CAccessibleWindow* window_ = nullptr;  // an element's object: the window's object, referenced
    const CControlUI* group_ = nullptr;    // an element's object: compared, followed only once found shown
};

// The window's own reference: dropping it disconnects the object, whatever clients still hold.
struct CAccessibleWindowRelease {
    void operator()(CAccessibleWindow* object) const {
        object->Disconnect();
        object->Release();
    }
};
using AccessibleWindowPtr = std::unique_ptr<CAccessibleWindow, CAccessibleWindowRelease>;

}  // namespace UiLib
