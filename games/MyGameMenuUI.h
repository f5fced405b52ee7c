#pragma once
#include <windows.h>

#include <string>

#include "UiLib/menu/MenuWnd.h"
#include "games/GameRecord.h"

class MyGamesController;

// The menu of a game button: run the game, open its folder, uninstall it or, for a game added by
// hand, take it off the list ("取消收藏"); pin it to the top of the column ("收藏") or no longer
// ("不再收藏"); put a shortcut that starts it on the desktop.
class CMyGameMenuUI : public UiLib::CMenuWnd {
public:
    static constexpr const wchar_t* kLayout = L"MyGameMenu.xml";

    // The controller lives as long as the main window, which owns the menu.
    CMyGameMenuUI(HWND mainWindow, MyGamesController& games, GameRecord game);

    void OnItemClick(const std::wstring& name) override;
    void OnMenuInit() override;

private:
    MyGamesController& games_;
    const GameRecord game_;
};
