#pragma once
#include <functional>
#include <memory>
#include <string>

#include "UiLib/tree/WindowTasks.h"

class PlayHistory;

// Starts the game at `path` and records the start in `history`. A worker of its own owns the
// game's process and waits for it to end; the time played then reaches `history` through
// `windowTasks` on the window thread, where `ended` runs after it is recorded. False when the
// game's executable is missing. `history` outlives the window.
bool StartRecordedGame(const std::wstring& path, PlayHistory& history,
                       std::shared_ptr<UiLib::CWindowTasks> windowTasks, std::function<void()> ended);
