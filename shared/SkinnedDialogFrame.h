#pragma once
#include <windows.h>

#include <memory>

#include "UiLib/core/SkinnedWindow.h"

// What the program's skinned dialogs share: the program's skin, a frame the skin draws, and modal
// showing over an owner.
namespace SkinnedDialogFrame {

// The program's skin archive: module resource 130 of type "ZIPRES".
constexpr int kProgramSkinResource = 130;

// Registers the program's skin archive unless one is registered
// already; false when the program carries none.
bool SelectProgramSkin();

// A dialog of the program's skin: the layout file, the native frame bits its skin replaces and
// the controls of its caption band that take clicks. Without the skin, or when the layout cannot
// be built, the dialog stays empty.
UiLib::SkinnedWindowOptions ProgramDialog(const wchar_t* layout, LONG removedStyle, UiLib::CaptionClicks clicks);

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
