#pragma once
#include <windows.h>

#include "UiLib/core/CaptionHitTest.h"

// The frame rules shared by the program's skinned dialogs: the skin draws the whole window, the
// caption band drags it, and the layout's round corners cut its region.
namespace SkinnedDialogFrame {

// The program's skin archive: module resource 130 of type "ZIPRES".
constexpr int kProgramSkinResource = 130;

// Handles the frame messages (WM_SIZE, WM_NCCALCSIZE, WM_NCPAINT, WM_NCHITTEST, WM_NCACTIVATE).
// True with `result` when the message is answered; false when it goes on to the paint manager
// and the default procedure (WM_SIZE always goes on after the region is set).
bool HandleMessage(HWND window, UiLib::CPaintManagerUI& manager, UiLib::CaptionClicks clicks, UINT message, WPARAM wParam,
                   LPARAM lParam, LRESULT& result);

// Registers the program's skin archive unless one is registered
// already; false when the program carries none.
bool SelectProgramSkin();

// The style of a dialog once `removed` bits of its native frame are gone.
LONG FramelessStyle(HWND window, LONG removed);

}  // namespace SkinnedDialogFrame
