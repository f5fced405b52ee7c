#include "games/MyGameMenuUI.h"

#include "UiLib/tree/UIControl.h"
#include "games/MyGamesController.h"

CMyGameMenuUI::CMyGameMenuUI(HWND mainWindow, MyGamesController& games, GameRecord game)
    : CMenuWnd(mainWindow), games_(games), game_(std::move(game)) {}

void CMyGameMenuUI::OnMenuInit() {
    if (!game_.uninstallString.empty()) return;
    if (UiLib::CControlUI* item = paintManager_.FindControl(L"deletegame")) item->SetText(L"取消收藏");
}

void CMyGameMenuUI::OnItemClick(const std::wstring& name) {
    // The actions may run message loops (the shell's prompts, message boxes) in which this menu
    // closes and is deleted: they work on a copy.
    const GameRecord game = game_;
    if (name == L"startgame") games_.Start(game);
    else if (name == L"opendir") games_.OpenFolder(game);
    else if (name == L"deletegame") games_.Delete(game);
}
