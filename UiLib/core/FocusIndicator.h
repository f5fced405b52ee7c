#pragma once
#include <windows.h>

#include "UiLib/Utils/UiColor.h"
#include "UiLib/render/DpiScale.h"

namespace UiLib {

class CControlUI;

// Shows which control of a window has the keyboard focus, as Windows does for its own controls:
// only once the player uses the keyboard. The window's UI state (UISF_HIDEFOCUS) starts hidden, a
// click hides it again and Tab or an arrow key clears it. Each change goes to the window as
// WM_UPDATEUISTATE, for its children; the window keeps its own copy of the state, as Wine keeps
// none to answer WM_QUERYUISTATE with.
// The indicator is a rectangle inset into the focused control: in the control's focus colour, else
// the window's, else the system's dotted focus rectangle. A control that draws a focus border of
// its own (a border size and a focus colour) gets no second one.
class CFocusIndicator {
public:
    // In the skin's 96-DPI pixels, from each edge of the control.
    static constexpr RECT kDefaultInset{2, 2, 2, 2};

    // The window starts with its focus hidden.
    void Attach(HWND window);
    void ShowForKeyboard() { SetHidden(false); }
    void HideForPointer() { SetHidden(true); }
    bool IsShown() const { return !hidden_; }
    // WM_UPDATEUISTATE reached the window, from this indicator or from the system.
    void OnUpdateUiState(WPARAM wParam);

    UiColor GetColor() const { return color_; }
    void SetColor(UiColor color) { color_ = color; }
    RECT GetInset() const { return inset_; }
    void SetInset(RECT inset) { inset_ = inset; }

    // Draws the indicator of `control`, clipped to `paint` and to the containers it is seen in.
    void Paint(HDC dc, const RECT& paint, const CControlUI& control, const CDpiScale& scale) const;

private:
    void SetHidden(bool hidden);

    HWND window_ = nullptr;
    bool hidden_ = true;
    UiColor color_ = 0;
    RECT inset_ = kDefaultInset;
};

// True for the keys that move the focus (Tab, the arrows): they make the focus visible.
bool IsFocusNavigationKey(UINT message, WPARAM wParam);

}  // namespace UiLib
