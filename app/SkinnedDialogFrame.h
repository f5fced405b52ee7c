#pragma once
#include <windows.h>

namespace UiLib {
class CPaintManagerUI;
}

// The frame rules shared by the program's skinned dialogs: the skin draws the whole window, the
// caption band drags it, and the layout's round corners cut its region.
namespace SkinnedDialogFrame {

// Which controls in the caption band take clicks instead of dragging the window.
enum class CaptionClicks {
    ButtonsOnly,              // "ButtonUI"
    ButtonsOptionsAndText,    // "ButtonUI", "OptionUI" and "TextUI", as the window base has it
};

// Handles the frame messages (WM_SIZE, WM_NCCALCSIZE, WM_NCPAINT, WM_NCHITTEST, WM_NCACTIVATE).
// True with `result` when the message is answered; false when it goes on to the paint manager
// and the default procedure (WM_SIZE always goes on after the region is set).
bool HandleMessage(HWND window, UiLib::CPaintManagerUI& manager, CaptionClicks clicks, UINT message, WPARAM wParam,
                   LPARAM lParam, LRESULT& result);

// Registers the program's skin archive (resource 130 of type "ZIPRES") unless one is registered
// already; false when the program carries none.
bool SelectProgramSkin();

// The style of a dialog once `removed` bits of its native frame are gone.
LONG FramelessStyle(HWND window, LONG removed);

}  // namespace SkinnedDialogFrame
