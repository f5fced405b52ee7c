#include "games/MyGameMenuUI.h"

#include <vector>

#include "UiLib/tree/UIControl.h"
#include "games/MyGamesController.h"

namespace {

// The shortcut starts the program that made it.
std::wstring ProgramPath() {
    std::vector<wchar_t> path(32768);
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    return std::wstring(path.data(), length);
}

}  // namespace

CMyGameMenuUI::CMyGameMenuUI(HWND mainWindow, MyGamesController& games, GameRecord game)
    : CMenuWnd(mainWindow), games_(games), game_(std::move(game)) {}

void CMyGameMenuUI::OnMenuInit() {
    if (UiLib::CControlUI* item = paintManager_.FindControl(L"deletegame"); item && game_.uninstallString.empty())
        item->SetText(L"取消收藏");
    if (UiLib::CControlUI* item = paintManager_.FindControl(L"favourite"); item && games_.IsFavourite(game_))
        item->SetText(L"不再收藏");
}

void CMyGameMenuUI::OnItemClick(const std::wstring& name) {
    // The actions may run message loops (the shell's prompts, message boxes) in which this menu
    // closes and is deleted: they work on a copy.
    const GameRecord game = game_;
    if (name == L"startgame") games_.Start(game);
    else if (name == L"opendir") games_.OpenFolder(game);
    else if (name == L"deletegame") games_.Delete(game);
    else if (name == L"favourite") games_.SetFavourite(game, !games_.IsFavourite(game));
    else if (name == L"desktopshortcut") games_.MakeDesktopShortcut(game, ProgramPath());
}
