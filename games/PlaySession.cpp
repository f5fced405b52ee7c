#include "games/PlaySession.h"

#include <chrono>
#include <thread>

#include "games/GameActions.h"
#include "games/PlayHistory.h"

bool StartRecordedGame(const std::wstring& path, PlayHistory& history,
                       std::shared_ptr<UiLib::CWindowTasks> windowTasks, std::function<void()> ended) {
    std::optional<ScopedHandle> process = StartGame(path);
    if (!process) return false;
    if (!*process) return true;
    history.RecordStart(path, UtcNow());
    // A steady clock: moving the system clock while the game runs changes no time played.
    std::thread([process = std::move(*process), tasks = std::move(windowTasks), &history, path,
                 ended = std::move(ended), started = std::chrono::steady_clock::now()] {
        WaitForSingleObject(process.get(), INFINITE);
        const auto played = std::chrono::steady_clock::now() - started;
        const auto seconds = static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::seconds>(played).count());
        tasks->Post([&history, path, seconds, ended] {
            history.RecordPlayed(path, seconds);
            ended();
        });
    }).detach();
    return true;
}
