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
    if (name == L"startgame") page_.RunGame(game_);
    else if (name == L"opendir") page_.OpenFolder(game_);
    else if (name == L"deletegame") page_.DeleteGame(game_);
}
