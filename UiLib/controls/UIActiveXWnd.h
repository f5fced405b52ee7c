#pragma once
#include <windows.h>

#include "UiLib/tree/UIWindowWnd.h"

namespace UiLib {

class CActiveXUI;
class CActiveXCtrl;

// The child window that carries a windowed control, placed over its owner's rectangle.
class CActiveXWnd : public CWindowWnd {
public:
    // Posted to the window after its owner is placed: the owner cuts what lies over it out of
    // the window (CActiveXUI::ClipHostWindow).
    static constexpr UINT kClipMessage = WM_USER + 1;

    CActiveXWnd(CActiveXUI* owner, CActiveXCtrl* site);
    // Creates the child of the paint manager's window; null when that fails.
    HWND Init(HWND parent);

protected:
    const wchar_t* GetWindowClassName() const override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void OnSetFocus();
    LRESULT OnMouseActivate(UINT message, WPARAM wParam, LPARAM lParam);

    CActiveXUI* owner_;
    CActiveXCtrl* site_;
};

}  // namespace UiLib
