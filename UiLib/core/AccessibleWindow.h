#pragma once
#include <windows.h>
#include <oleacc.h>

#include <memory>
#include <vector>

#include "UiLib/Utils/ComObject.h"

namespace UiLib {

class CControlUI;
class CPaintManagerUI;

// The accessible children of a window whose tree starts at `root`: the visible controls in tree
// order, layouts left out; a control's child id is its place in that list counted from 1.
std::vector<CControlUI*> AccessibleChildren(CControlUI* root);
LONG AccessibleChildId(CControlUI* root, const CControlUI* control);

// Tells screen readers that `control` of the window took the focus.
void AnnounceFocus(HWND window, CControlUI* root, const CControlUI* control);

// What a screen reader sees of a skinned window's client area: one accessible object whose
// children are the visible controls (simple elements, child ids 1..n in tree order), each with
// the role, name and state the control gives and its screen location. Clients may keep it
// longer than the window lives: the window disconnects it when it goes.
class CAccessibleWindow : public CComObject<IAccessible> {
public:
    explicit CAccessibleWindow(CPaintManagerUI& manager);
    void Disconnect() { manager_ = nullptr; }
    // The answer to WM_GETOBJECT for the client area.
    LRESULT Answer(WPARAM wParam);

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
    ~CAccessibleWindow() override = default;
    std::vector<CControlUI*> VisibleControls() const;
    // The control a child id names; null for CHILDID_SELF, an unknown id or a closed window.
    CControlUI* ControlOf(const VARIANT& child) const;
    // S_OK for the object itself or a known child id, else the reason.
    HRESULT Check(const VARIANT& child) const;

    CPaintManagerUI* manager_;
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
