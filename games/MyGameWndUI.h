#pragma once
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "UiLib/Utils/Signal.h"
#include "UiLib/controls/WebBrowserEventHandler.h"
#include "UiLib/tree/UIContainer.h"
#include "UiLib/tree/UIMessageFilter.h"
#include "games/GameColumnUI.h"
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
// area with the selected game's name, when it was last played, that run's length, its time played in
// all and the start button, and the selected game's strategy page in the browser "ie7". It shows a
// MyGamesController and hands it what the player does: from the keyboard, Up, Down, Home, End, Page
// Up and Page Down move the selection through the games shown, Enter starts the selected one and
// Ctrl+F goes to the search field. The column's rows are the games that answer the search, in the
// column's order; only those near the view have a button (CGameColumnUI).
// Created empty from its layout tag; its content comes once it is in a window, its games once it is
// bound to its controller.
class CMyGameWndUI : public UiLib::CContainerUI,
                     public UiLib::CWebBrowserEventHandler,
                     public UiLib::IMessageFilterUI,
                     private IGameColumnRows {
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
    // The column's rows.
    int RowCount() const override { return static_cast<int>(rows_.size()); }
    std::unique_ptr<CGameButtonUI> MakeGameButton() override;
    void ShowRow(CGameButtonUI& button, int row) override;
    std::wstring RowName(int row) const override { return GameAt(row).name; }
    bool IsRowSelected(int row) const override;
    void RowsShown() override;

    // The control of that name in the page's content as a T; a miss is reported.
    template <typename T>
    T* FindSubControl(const wchar_t* name) const;
    void SubscribeToControls();
    void Subscribe();
    void Navigate(const std::wstring& url, NetworkLaneHold heldWhileLoading = nullptr);

    // The column order again, then the rows: the order is sorted only when the games or the order
    // change, not at each keystroke of the search.
    void OrderRows();
    // The rows again: the games that answer the search, in the column order.
    void ListRows();
    const GameRecord& GameAt(int row) const;
    // The row of the selected game; -1 when it has none.
    int SelectedRow() const;
    void ShowIcon(CGameButtonUI& button, const GameRecord& game) const;
    void ShowIconsOf(const std::wstring& path);
    // Reads the icons of the rows with a button, once the window was first painted.
    void LoadIconsInView();
    // The start area shows the selected game, or is empty and its button off.
    void ShowSelection();
    void ShowPlayHistory();
    void Tell(GameProblem problem);
    void TellShortcut(const GameRecord& game, bool made);
    // Selects and focuses the game a game key moves to from row `from` (-1: before the first).
    void MoveSelection(int from, UINT key);
    // At `at`, in client coordinates: where the player right-clicked, or below the button for the menu key.
    void OpenGameMenu(const UiLib::CControlUI* button, POINT at);

    void OnAddGame();
    void OnSearchKey(UINT key);
    void OnGameSelected(const CGameButtonUI* button);
    void OnGameKey(int row, UINT key);

    MyGamesController* controller_ = nullptr;
    // The size the games' icons were last asked for at; 0 until they first are.
    int iconSize_ = 0;
    std::vector<UiLib::CSubscription> subscriptions_;
    std::vector<UiLib::CSubscription> controlSubscriptions_;
    UiLib::CControlUI* content_ = nullptr;
    CGameColumnUI* column_ = nullptr;
    UiLib::CLabelUI* gameName_ = nullptr;
    UiLib::CButtonUI* startButton_ = nullptr;
    UiLib::CEditUI* search_ = nullptr;
    UiLib::CLabelUI* lastPlayed_ = nullptr;
    UiLib::CLabelUI* playedTime_ = nullptr;
    UiLib::CLabelUI* lastSession_ = nullptr;
    UiLib::CWebBrowserUI* browser_ = nullptr;
    // Indices into the controller's games, one per row of the column.
    std::vector<size_t> rows_;
    // Indices into the controller's games, all of them, in the column's order.
    std::vector<size_t> order_;
    // While a row is put on a button, its selected look is no choice of the player.
    bool showingRow_ = false;
    // Of the column's buttons, which end with the page; those of a button no longer in the column
    // are dropped when the next one is made.
    std::vector<std::pair<const CGameButtonUI*, UiLib::CSubscription>> buttonSubscriptions_;
};
