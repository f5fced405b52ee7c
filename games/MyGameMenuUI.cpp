#include "games/MyGameMenuUI.h"

#include "UiLib/controls/UIControl.h"
#include "games/MyGameWndUI.h"

CMyGameMenuUI::CMyGameMenuUI(HWND mainWindow, CMyGameWndUI& page, GameRecord game)
    : CMenuWnd(mainWindow), page_(page), game_(std::move(game)) {}

void CMyGameMenuUI::OnMenuInit() {
    if (!game_.uninstallString.empty()) return;
    if (UiLib::CControlUI* item = paintManager_.FindControl(L"deletegame")) item->SetText(L"取消收藏");
}

void CMyGameMenuUI::OnItemClick(const std::wstring& name) {
    // The actions may run message loops (the shell's prompts, message boxes) in which this menu
    // closes and is deleted: they work on a copy.
    const GameRecord game = game_;
    if (name == L"startgame") page_.RunGame(game);
    else if (name == L"opendir") page_.OpenFolder(game);
    else if (name == L"deletegame") page_.DeleteGame(game);
}
