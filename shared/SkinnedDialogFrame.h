#pragma once
#include <windows.h>

#include <memory>

#include "UiLib/core/CaptionHitTest.h"
#include "UiLib/core/UIWindowWnd.h"

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

// Creates a dialog over `owner` (its window then owns it), centres it and runs it modally; the
// close result, or 0 when no window came to be.
template <typename Dialog>
UINT RunModal(std::unique_ptr<Dialog> dialog, HWND owner, DWORD style) {
    Dialog* shown = UiLib::CWindowWnd::CreateOwned(std::move(dialog), [owner, style](Dialog& created) {
        return created.Create(owner, L"", style, 0, 0, 0, 0, 0);
    });
    if (!shown) return 0;
    shown->CenterWindow();
    return shown->ShowModal();
}

}  // namespace SkinnedDialogFrame
