#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "UiLib/Utils/Signal.h"
#include "games/GameButtonHost.h"
#include "games/GameIcons.h"
#include "games/GameRecord.h"
#include "games/GameSearch.h"
#include "games/PlayHistory.h"
#include "shared/BackgroundWork.h"
#include "shared/ScopedHandle.h"

class GameList;

namespace UiLib {
class CWindowTasks;
}

// What the player is told went wrong with a game action.
enum class GameProblem {
    FileMissing,        // the game's file or its uninstaller's is gone
    UninstallerFailed,  // the uninstaller is there but would not start
};

// The my-games page's logic, without the page: the games it shows in list order, which one is
// selected, the search, the play history of the selected game, the games' icons, and what the
// player does with a game (start it, open its folder, take it off the list, uninstall it, read its
// strategy page). Its workers hand their results back through the window's task queue, so it
// lives as long as that window; the page may come and go, it only subscribes to the signals.
// Used on the window thread only.
class MyGamesController final : public IGameButtonHost {
public:
    // Finds the strategy page address of a game (0: the page of no game); runs on a worker.
    using StrategyAddressFunction = std::function<std::wstring(int gameId)>;

    MyGamesController(GameList& games, PlayHistory& history, std::shared_ptr<UiLib::CWindowTasks> windowTasks);
    MyGamesController(const MyGamesController&) = delete;
    MyGamesController& operator=(const MyGamesController&) = delete;

    // Replaceable before the first selection; tests put their own in.
    StrategyAddressFunction strategyAddress;

    // The games of the list, taken once when the window is built.
    void LoadGames();
    // Reads the icons of these games' files at `size` pixels, on a worker: those of the games in view.
    void LoadIcons(int size, const std::vector<std::wstring>& paths);

    // What the page shows.
    GameList& Library() { return games_; }
    const std::vector<GameRecord>& Games() const { return shown_; }
    // Indices into Games(), in the column's order: the favourites first, each part in the
    // history's order.
    std::vector<size_t> ColumnOrder() const;
    // Whether Games()[index] answers the search.
    bool Matches(size_t index) const;
    bool IsFavourite(const GameRecord& game) const { return history_.IsFavourite(game.path); }
    const std::optional<GameRecord>& Selected() const { return selected_; }
    PlayRecord SelectedPlay() const;
    bool IsIconKnown(const std::wstring& path) const { return icons_.IsKnown(path); }
    HICON Icon(const std::wstring& path) const { return icons_.Find(path); }

    // What the player does.
    void Search(const std::wstring& query);
    // The game becomes the selected one and its strategy page is asked for.
    void Select(const GameRecord& game);
    // The strategy page of no game, leaving the selection as it is: the browser's first page.
    void ShowNoGamePage();
    // Starts the game and records its play.
    void Start(const GameRecord& game);
    // Goes on timing the games that the history says still run and that do; the others' runs
    // end with what was written.
    void ResumeRunningGames();
    void StartSelected();
    // Starts the first game whose whole name is `name`; false when no game has that name.
    bool StartByName(const std::wstring& name);
    // A shortcut on the player's desktop that starts the game through `program`.
    void MakeDesktopShortcut(const GameRecord& game, const std::wstring& program);
    void OpenFolder(const GameRecord& game);
    // A game added by hand leaves the list; an installed game's uninstaller runs, and the game
    // leaves the list once its files are gone.
    void Delete(const GameRecord& game);
    // Takes the game off the page; nothing when it is gone already.
    void Remove(const GameRecord& game);
    // The add-game dialog stored this game: the page shows it at the end.
    void AddGameButton(GameRecord record) override;
    // The order of the column changed (the history's setting).
    void ReorderColumn();
    // Pins the game to the top of the column, or no longer; kept in the history.
    void SetFavourite(const GameRecord& game, bool favourite);

    // What the page follows.
    [[nodiscard]] UiLib::CSubscription OnGameAdded(std::function<void(const GameRecord&)> handler);
    [[nodiscard]] UiLib::CSubscription OnGameRemoved(std::function<void(const GameRecord&)> handler);
    // The selected game, or none, changed; so does its play history then.
    [[nodiscard]] UiLib::CSubscription OnSelectionChanged(std::function<void()> handler);
    [[nodiscard]] UiLib::CSubscription OnPlayHistoryChanged(std::function<void()> handler);
    [[nodiscard]] UiLib::CSubscription OnSearchChanged(std::function<void()> handler);
    [[nodiscard]] UiLib::CSubscription OnOrderChanged(std::function<void()> handler);
    [[nodiscard]] UiLib::CSubscription OnIconLoaded(std::function<void(const std::wstring& path)> handler);
    // The browser loads this address; the network lane stays held while it downloads.
    [[nodiscard]] UiLib::CSubscription OnStrategyPage(
        std::function<void(const std::wstring& url, const NetworkLaneHold& hold)> handler);
    [[nodiscard]] UiLib::CSubscription OnProblem(std::function<void(GameProblem)> handler);
    // A desktop shortcut was made for the game (`made`), or could not be.
    [[nodiscard]] UiLib::CSubscription OnShortcut(std::function<void(const GameRecord&, bool made)> handler);

private:
    void AskStrategyPage(int gameId);
    void ShowStrategyPage(unsigned selection, const std::wstring& url, const NetworkLaneHold& hold);
    void WaitForUninstall(ScopedHandle uninstaller, const GameRecord& game);
    void ForgetUninstalledGame(const GameRecord& game);
    void TimeNewSession(const std::wstring& path, ScopedHandle process);
    // The running session's progress as taken over (its process joins `resumed`) or ended.
    SessionProgress CheckRunningSession(const RunningSession& running, std::vector<ScopedHandle>& resumed) const;
    // Times the session on a worker of its own, which owns the process.
    void TimeInBackground(ScopedHandle process, const SessionProgress& progress);
    void SessionProgressed(const SessionProgress& progress);
    void PlayChanged(const std::wstring& path);
    bool IsSelected(const std::wstring& path) const { return selected_ && selected_->path == path; }
    void ReadSearchNames();

    GameList& games_;
    PlayHistory& history_;
    std::shared_ptr<UiLib::CWindowTasks> windowTasks_;
    std::vector<GameRecord> shown_;
    // The names of shown_ as the search reads them: none until the first search, then one per game.
    std::vector<SearchableName> searchNames_;
    std::optional<GameRecord> selected_;
    GameQuery query_;
    GameIcons icons_;
    // Counts the strategy requests, so that a late reply for an earlier one is dropped.
    unsigned selection_ = 0;

    UiLib::CSignal<const GameRecord&> gameAdded_;
    UiLib::CSignal<const GameRecord&> gameRemoved_;
    UiLib::CSignal<> selectionChanged_;
    UiLib::CSignal<> playHistoryChanged_;
    UiLib::CSignal<> searchChanged_;
    UiLib::CSignal<> orderChanged_;
    UiLib::CSignal<const std::wstring&> iconLoaded_;
    UiLib::CSignal<const std::wstring&, const NetworkLaneHold&> strategyPage_;
    UiLib::CSignal<GameProblem> problem_;
    UiLib::CSignal<const GameRecord&, bool> shortcut_;
};

// Two records name the same game when they agree on every field the player can see or use.
bool SameGame(const GameRecord& a, const GameRecord& b);
