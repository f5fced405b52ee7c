#include "games/MyGamesController.h"

#include <algorithm>

#include "UiLib/tree/WindowTasks.h"
#include "games/DesktopShortcut.h"
#include "games/GameActions.h"
#include "games/GameButtonUI.h"
#include "games/GameList.h"
#include "games/GameOrder.h"
#include "games/PlaySession.h"
#include "online/ManagementService.h"

using namespace UiLib;

namespace {

// More games than a player runs at once; the rest of what a file says runs is taken as ended.
constexpr size_t kMostGamesResumed = 16;

}  // namespace

bool SameGame(const GameRecord& a, const GameRecord& b) {
    return a.name == b.name && a.path == b.path && a.uninstallString == b.uninstallString && a.id == b.id;
}

MyGamesController::MyGamesController(GameList& games, PlayHistory& history, std::shared_ptr<CWindowTasks> windowTasks)
    : strategyAddress([](int gameId) { return StrategyPageAddress(ManagementServiceHost(), gameId); }),
      games_(games),
      history_(history),
      windowTasks_(windowTasks),
      icons_(std::move(windowTasks), CGameButtonUI::kIconSize) {}

void MyGamesController::LoadGames() {
    shown_ = games_.games;
    searchNames_.clear();
}

// Read when the player first types, so that a start with thousands of games does not wait for them.
void MyGamesController::ReadSearchNames() {
    if (searchNames_.size() == shown_.size()) return;
    searchNames_.clear();
    searchNames_.reserve(shown_.size());
    for (const GameRecord& game : shown_) searchNames_.emplace_back(game.name);
}

void MyGamesController::LoadIcons(int size, const std::vector<std::wstring>& paths) {
    icons_.SetSize(size);
    icons_.Load(paths, [this](const std::wstring& path) { iconLoaded_.Emit(path); });
}

std::vector<size_t> MyGamesController::ColumnOrder() const { return ::ColumnOrder(shown_, history_); }

bool MyGamesController::Matches(size_t index) const {
    if (query_.empty()) return index < shown_.size();
    return index < searchNames_.size() && searchNames_[index].Matches(query_);
}

PlayRecord MyGamesController::SelectedPlay() const { return selected_ ? history_.Find(selected_->path) : PlayRecord{}; }

void MyGamesController::Search(const std::wstring& query) {
    query_ = GameQuery(query);
    if (!query_.empty()) ReadSearchNames();
    searchChanged_.Emit();
}

void MyGamesController::Select(const GameRecord& game) {
    selected_ = game;
    selectionChanged_.Emit();
    AskStrategyPage(game.id);
}

void MyGamesController::ShowNoGamePage() { AskStrategyPage(0); }

void MyGamesController::AskStrategyPage(int gameId) {
    const unsigned selection = ++selection_;
    RunPlayersJobInBackground(BackgroundLane::Network, [tasks = windowTasks_, controller = this,
                                                        address = strategyAddress, selection, gameId] {
        std::wstring url = address(gameId);
        if (url.empty()) return;
        // The page keeps this job's turn on the lane while it downloads.
        tasks->Post([controller, selection, url, hold = HoldNetworkLane()] {
            controller->ShowStrategyPage(selection, url, hold);
        });
    });
}

void MyGamesController::ShowStrategyPage(unsigned selection, const std::wstring& url, const NetworkLaneHold& hold) {
    if (selection == selection_) strategyPage_.Emit(url, hold);
}

void MyGamesController::Start(const GameRecord& game) {
    std::optional<ScopedHandle> process = StartGame(game.path);
    if (!process) problem_.Emit(GameProblem::FileMissing);
    // A null handle: started elsewhere (the system asked for elevation), with no process to time.
    else if (*process) TimeNewSession(game.path, std::move(*process));
}

void MyGamesController::TimeNewSession(const std::wstring& path, ScopedHandle process) {
    SessionProgress progress;
    progress.gamePath = path;
    progress.processId = GetProcessId(process.get());
    PlaySessionRecord session;
    session.started = UtcNow();
    // A process the system will not name is timed all the same; a later start cannot resume it.
    session.process = DescribeProcess(process.get()).value_or(GameProcess{progress.processId, 0, std::wstring()});
    session.awakeAtWrite = AwakeTimeNow();
    progress.started = history_.BeginSession(path, session);
    PlayChanged(path);
    TimeInBackground(std::move(process), progress);
}

void MyGamesController::ResumeRunningGames() {
    std::vector<SessionProgress> updates;
    std::vector<ScopedHandle> resumed;
    for (const RunningSession& running : history_.RunningSessions()) {
        // Timed by the program of the Windows session it runs in.
        if (RunsInAnotherWindowsSession(running.session.process->id)) continue;
        updates.push_back(CheckRunningSession(running, resumed));
    }
    if (updates.empty()) return;
    history_.UpdateSessions(updates);
    auto process = resumed.begin();
    for (const SessionProgress& progress : updates) {
        if (!progress.ended) TimeInBackground(std::move(*process++), progress);
        PlayChanged(progress.gamePath);
    }
}

SessionProgress MyGamesController::CheckRunningSession(const RunningSession& running,
                                                       std::vector<ScopedHandle>& resumed) const {
    const GameProcess& recorded = *running.session.process;
    SessionProgress progress{running.gamePath, running.session.started, recorded.id, running.session.seconds,
                             AwakeTimeNow(), false};
    // A process is timed once, and only so many: every one takes a worker.
    const bool timedAlready = std::any_of(resumed.begin(), resumed.end(), [&](const ScopedHandle& process) {
        return GetProcessId(process.get()) == recorded.id;
    });
    ScopedHandle process = resumed.size() < kMostGamesResumed && !timedAlready ? ReopenGameProcess(recorded) : nullptr;
    if (!process) {
        progress.ended = true;
        return progress;
    }
    const uint64_t now = UtcNow();
    const uint64_t age = now > recorded.created ? (now - recorded.created) / 10000000 : 0;
    progress.seconds = ResumedLength(running.session, progress.awakeNow, age);
    resumed.push_back(std::move(process));
    return progress;
}

void MyGamesController::TimeInBackground(ScopedHandle process, const SessionProgress& progress) {
    auto owned = std::make_shared<ScopedHandle>(std::move(process));
    RunLongInBackground([owned, progress, interval = history_.RunningWriteInterval(), tasks = windowTasks_,
                         controller = this] {
        TimeSession(owned->get(), progress, interval, AwakeTimeNow, [&](const SessionProgress& reached) {
            tasks->Post([controller, reached] { controller->SessionProgressed(reached); });
        });
    });
}

void MyGamesController::SessionProgressed(const SessionProgress& progress) {
    history_.UpdateSession(progress);
    PlayChanged(progress.gamePath);
}

void MyGamesController::StartSelected() {
    // A copy: the selection may change while the shell starts the game.
    if (std::optional<GameRecord> game = selected_) Start(*game);
}

bool MyGamesController::StartByName(const std::wstring& name) {
    for (const GameRecord& game : shown_) {
        if (game.name != name) continue;
        // A copy: the list may change while the shell starts the game.
        Start(GameRecord(game));
        return true;
    }
    return false;
}

void MyGamesController::MakeDesktopShortcut(const GameRecord& game, const std::wstring& program) {
    shortcut_.Emit(game, !CreateDesktopShortcut(game, program).empty());
}

void MyGamesController::PlayChanged(const std::wstring& path) {
    // Only while that game is selected: another may be by now.
    if (IsSelected(path)) playHistoryChanged_.Emit();
}

void MyGamesController::OpenFolder(const GameRecord& game) {
    if (!OpenGameFolder(game.path)) problem_.Emit(GameProblem::FileMissing);
}

void MyGamesController::Delete(const GameRecord& game) {
    if (game.uninstallString.empty()) {
        games_.RemoveUserGame(game);
        Remove(game);
        return;
    }
    bool missing = false;
    ScopedHandle uninstaller = StartUninstaller(game.uninstallString, missing);
    if (missing) problem_.Emit(GameProblem::FileMissing);
    else if (!uninstaller) problem_.Emit(GameProblem::UninstallerFailed);
    else WaitForUninstall(std::move(uninstaller), game);
}

void MyGamesController::WaitForUninstall(ScopedHandle uninstaller, const GameRecord& game) {
    // Each uninstall has its own wait, which owns the process handle.
    auto process = std::make_shared<ScopedHandle>(std::move(uninstaller));
    RunLongInBackground([process, tasks = windowTasks_, controller = this, game] {
        if (!::WaitForUninstall(process->get())) return;
        if (!GameFilesGone(game.path, game.uninstallString)) return;
        tasks->Post([controller, game] { controller->ForgetUninstalledGame(game); });
    });
}

void MyGamesController::ForgetUninstalledGame(const GameRecord& game) {
    Remove(game);
    games_.ForgetInstalledGame(game);
}

void MyGamesController::Remove(const GameRecord& game) {
    for (auto shown = shown_.begin(); shown != shown_.end(); ++shown) {
        if (!SameGame(*shown, game)) continue;
        const GameRecord removed = *shown;
        if (searchNames_.size() == shown_.size()) searchNames_.erase(searchNames_.begin() + (shown - shown_.begin()));
        shown_.erase(shown);
        gameRemoved_.Emit(removed);
        // The selected game's going clears the selection; another's leaves it as it is.
        if (IsSelected(removed.path)) {
            selected_.reset();
            selectionChanged_.Emit();
        }
        return;
    }
}

void MyGamesController::AddGameButton(GameRecord record) {
    if (searchNames_.size() == shown_.size()) searchNames_.emplace_back(record.name);
    shown_.push_back(std::move(record));
    gameAdded_.Emit(shown_.back());
}

void MyGamesController::ReorderColumn() { orderChanged_.Emit(); }

void MyGamesController::SetFavourite(const GameRecord& game, bool favourite) {
    history_.SetFavourite(game.path, favourite);
    orderChanged_.Emit();
}

CSubscription MyGamesController::OnGameAdded(std::function<void(const GameRecord&)> handler) {
    return gameAdded_.Connect(std::move(handler));
}

CSubscription MyGamesController::OnGameRemoved(std::function<void(const GameRecord&)> handler) {
    return gameRemoved_.Connect(std::move(handler));
}

CSubscription MyGamesController::OnSelectionChanged(std::function<void()> handler) {
    return selectionChanged_.Connect(std::move(handler));
}

CSubscription MyGamesController::OnPlayHistoryChanged(std::function<void()> handler) {
    return playHistoryChanged_.Connect(std::move(handler));
}

CSubscription MyGamesController::OnSearchChanged(std::function<void()> handler) {
    return searchChanged_.Connect(std::move(handler));
}

CSubscription MyGamesController::OnOrderChanged(std::function<void()> handler) {
    return orderChanged_.Connect(std::move(handler));
}

CSubscription MyGamesController::OnIconLoaded(std::function<void(const std::wstring& path)> handler) {
    return iconLoaded_.Connect(std::move(handler));
}

CSubscription MyGamesController::OnStrategyPage(
    std::function<void(const std::wstring& url, const NetworkLaneHold& hold)> handler) {
    return strategyPage_.Connect(std::move(handler));
}

CSubscription MyGamesController::OnShortcut(std::function<void(const GameRecord&, bool made)> handler) {
    return shortcut_.Connect(std::move(handler));
}

CSubscription MyGamesController::OnProblem(std::function<void(GameProblem)> handler) {
    return problem_.Connect(std::move(handler));
}
