#pragma once
#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "UiLib/controls/WebBrowserEventHandler.h"
#include "UiLib/core/UIMessageFilter.h"
#include "UiLib/core/WindowTasks.h"
#include "UiLib/layouts/UIContainer.h"
#include "games/GameButtonHost.h"
#include "games/GameIcons.h"
#include "games/GameRecord.h"
#include "shared/BackgroundWork.h"

class CGameButtonUI;

class GameList;
class PlayHistory;

namespace UiLib {
class CControlUI;
class CEditUI;
class CPaintManagerUI;
class CWebBrowserUI;
}  // namespace UiLib

// The my-games page, the first page of the main window's tabs: the search field "gamesearch" above
// a column with one button per game (its icon and name) above "moregame", the add button, the start
// area with the selected game's name and the start button, and the selected game's strategy page in
// the browser "ie7". It also carries out what the player does with a game: start it, open its
// folder, take it off the list or uninstall it. From the keyboard, Up and Down move the selection
// through the games shown, Enter starts the selected one and Ctrl+F goes to the search field.
// The start area shows when the selected game was last played and for how long.
class CMyGameWndUI : public UiLib::CContainerUI,
                     public UiLib::CWebBrowserEventHandler,
                     public IGameButtonHost,
                     public UiLib::IMessageFilterUI {
public:
    static constexpr const wchar_t* kClassName = L"MyGameWndUI";
    static constexpr const wchar_t* kLayout = L"MyGameListWnd.xml";

    // Builds the page's content into `manager`, the main window's. `windowTasks` is the main
    // window's task queue, through which the page's own workers hand their results back.
    CMyGameWndUI(UiLib::CPaintManagerUI* manager, GameList& games, PlayHistory& history,
                 std::shared_ptr<UiLib::CWindowTasks> windowTasks);
    ~CMyGameWndUI() override;

    const wchar_t* GetClass() const override { return kClassName; }
    void* GetInterface(const std::wstring& name) override;

    // One button per game of the list, in the history's column order, above "moregame"; their
    // icons follow.
    void BuildGameButtons();
    // Puts the buttons there are in the history's column order, keeping the selection.
    void ArrangeGameButtons();
    void AddGameButton(GameRecord record) override;
    // Takes the game's button off the column; nothing when it is gone already.
    void RemoveGameButton(const GameRecord& game);
    // The game of a button of the column.
    std::optional<GameRecord> GameOf(const UiLib::CControlUI* button) const;

    // Adds the browser "ie7" into "gameweblayout" and shows the page of no game.
    void AddBrowser();
    // Fills the start area with the game of `button` (none: nothing changes there) and asks for
    // its strategy page.
    void ShowSelectedGame(UiLib::CControlUI* button);
    // Loads an address into the browser "ie7".
    void Navigate(const std::wstring& url, NetworkLaneHold heldWhileLoading = nullptr);

    // Shows only the buttons of the games whose names answer the search field.
    void FilterGames();
    // Ctrl+F while the page is shown.
    LRESULT MessageHandler(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

    // The game menu's actions.
    void RunGame(const GameRecord& game);
    void OpenFolder(const GameRecord& game);
    void DeleteGame(const GameRecord& game);

private:
    struct GameButton {
        CGameButtonUI* button;
        GameRecord game;
    };

    UiLib::CControlUI* FindSubControl(const wchar_t* name) const;
    UiLib::CWebBrowserUI* Browser() const;
    void TellFileMissing();
    // Asks the service for the page of `gameId` on a worker; the answer is shown only while the
    // game it was asked for is still the selected one.
    void ShowStrategyPage(int gameId);
    void UninstallWaitThread(HANDLE uninstaller, const GameRecord& game);
    // Starts the game and records its play; false when its file is missing.
    // By value: the start button's text may change while the shell starts the game.
    bool PlayGame(std::wstring path);
    // The start area is given to the game with this path.
    bool StartAreaShows(const std::wstring& path) const;
    // The last played and time played labels for the game of `path`; empty for none.
    void ShowPlayHistory(const std::wstring& path);
    void RefreshPlayHistory(const std::wstring& path);
    // The game was uninstalled: its button and its record go.
    void ForgetUninstalledGame(const GameRecord& game);
    bool OnAddGame(void* param);
    bool OnStartGame(void* param);
    bool OnSearchNotify(void* param);
    bool OnGameButtonNotify(void* param);
    CGameButtonUI* AppendButton(GameRecord record);
    void ShowIcon(GameButton& entry) const;
    // Asks for the icons of `paths`; each button of such a path shows its icon once it is read.
    void LoadIcons(const std::vector<std::wstring>& paths);
    // Selects and focuses the shown game `step` places from `from` (null: before the first).
    void MoveSelection(const UiLib::CControlUI* from, int step);

    GameList& games_;
    PlayHistory& history_;
    std::shared_ptr<UiLib::CWindowTasks> windowTasks_;
    UiLib::CControlUI* content_ = nullptr;
    UiLib::CContainerUI* column_ = nullptr;
    UiLib::CControlUI* gameName_ = nullptr;
    UiLib::CControlUI* startButton_ = nullptr;
    UiLib::CEditUI* search_ = nullptr;
    UiLib::CControlUI* lastPlayed_ = nullptr;
    UiLib::CControlUI* playedTime_ = nullptr;
    std::vector<GameButton> buttons_;
    GameIcons icons_;
    // Counts the selections, so that a late strategy reply for an earlier one is dropped.
    unsigned selection_ = 0;
};
