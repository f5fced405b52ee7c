#pragma once
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "UiLib/Utils/Signal.h"
#include "UiLib/controls/WebBrowserEventHandler.h"
#include "UiLib/tree/UIContainer.h"
#include "UiLib/tree/UIMessageFilter.h"
#include "games/GameRecord.h"
#include "shared/BackgroundWork.h"

class CGameButtonUI;
class MyGamesController;
enum class GameProblem;

namespace UiLib {
class CButtonUI;
class CControlUI;
class CEditUI;
class CLabelUI;
class CWebBrowserUI;
}  // namespace UiLib

// The my-games page, the first page of the main window's tabs: the search field "gamesearch" above
// a column with one button per game (its icon and name) above "moregame", the add button, the start
// area with the selected game's name, when it was last played and for how long, and the start
// button, and the selected game's strategy page in the browser "ie7". It shows a MyGamesController
// and hands it what the player does: from the keyboard, Up and Down move the selection through the
// games shown, Enter starts the selected one and Ctrl+F goes to the search field.
// Created empty from its layout tag; its content comes once it is in a window, its games once it is
// bound to its controller.
class CMyGameWndUI : public UiLib::CContainerUI,
                     public UiLib::CWebBrowserEventHandler,
                     public UiLib::IMessageFilterUI {
public:
    static constexpr const wchar_t* kClassName = L"MyGameWndUI";
    static constexpr const wchar_t* kLayout = L"MyGameListWnd.xml";

    CMyGameWndUI() = default;
    ~CMyGameWndUI() override;

    const wchar_t* GetClass() const override { return kClassName; }
    void* GetInterface(const std::wstring& name) override;
    void DoInit() override;
    // Also where a window moved to a display of another DPI is laid out again: the games' icons
    // are read again at the size of the new DPI.
    void SetPos(RECT rect) override;

    // Shows the controller's games and follows it; the controller outlives the page's window.
    void Bind(MyGamesController& controller);

    // Adds the browser "ie7" into "gameweblayout" and shows the page of no game.
    void AddBrowser();

    // The game of a button of the column.
    std::optional<GameRecord> GameOf(const UiLib::CControlUI* button) const;

    // Ctrl+F while the page is shown.
    LRESULT MessageHandler(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

private:
    struct GameButton {
        CGameButtonUI* button;
        GameRecord game;
        // End with the entry: a button taken off the page tells it nothing more.
        std::vector<UiLib::CSubscription> subscriptions;
    };

    // The control of that name in the page's content as a T; a miss is reported.
    template <typename T>
    T* FindSubControl(const wchar_t* name) const;
    void SubscribeToControls();
    void Subscribe();
    void Navigate(const std::wstring& url, NetworkLaneHold heldWhileLoading = nullptr);

    // Puts the buttons in the controller's column order, keeping the selection, and marks the favourites.
    void ArrangeGameButtons();
    CGameButtonUI* AppendButton(const GameRecord& record);
    void RemoveGameButton(const GameRecord& game);
    void ShowIcon(GameButton& entry) const;
    void ShowIconsOf(const std::wstring& path);
    // Shows only the buttons of the games that answer the search.
    void FilterGames();
    // The start area shows the selected game, or is empty and its button off.
    void ShowSelection();
    void ShowPlayHistory();
    void Tell(GameProblem problem);
    // Selects and focuses the shown game `step` places from `from` (null: before the first).
    void MoveSelection(const UiLib::CControlUI* from, int step);
    // At `at`, in client coordinates: where the player right-clicked, or below the button for the menu key.
    void OpenGameMenu(const UiLib::CControlUI* button, POINT at);

    void OnAddGame();
    void OnSearchKey(UINT key);
    void OnGameSelected(const CGameButtonUI* button);
    void OnGameKey(const CGameButtonUI* button, UINT key);

    MyGamesController* controller_ = nullptr;
    // The size the games' icons were last asked for at; 0 until they first are.
    int iconSize_ = 0;
    std::vector<UiLib::CSubscription> subscriptions_;
    std::vector<UiLib::CSubscription> controlSubscriptions_;
    UiLib::CControlUI* content_ = nullptr;
    UiLib::CContainerUI* column_ = nullptr;
    UiLib::CLabelUI* gameName_ = nullptr;
    UiLib::CButtonUI* startButton_ = nullptr;
    UiLib::CEditUI* search_ = nullptr;
    UiLib::CLabelUI* lastPlayed_ = nullptr;
    UiLib::CLabelUI* playedTime_ = nullptr;
    UiLib::CWebBrowserUI* browser_ = nullptr;
    // In the controller's list order; the column may show them in another.
    std::vector<GameButton> buttons_;
};
