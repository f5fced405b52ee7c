#pragma once
#include <windows.h>

namespace UiLib {

class CPaintManagerUI;

// Which controls in a window's caption band take clicks instead of dragging the window.
enum class CaptionClicks {
    Buttons,                 // buttons
    ButtonsAndOptions,       // buttons and options
    ButtonsOptionsAndText,   // buttons, options and wrapping text
};

// The answer to WM_NCHITTEST at a point in screen coordinates: HTCAPTION on the caption band of
// the manager's layout, but for the controls that take clicks there; HTCLIENT everywhere else.
LRESULT CaptionHitTest(HWND window, CPaintManagerUI& manager, POINT screenPoint, CaptionClicks clicks);

}  // namespace UiLib
