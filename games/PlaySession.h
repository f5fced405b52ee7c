#pragma once
#include <windows.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "games/PlayHistory.h"
#include "shared/ScopedHandle.h"

// The timing of a game's run: time counts while its process runs and the PC is awake.

// The PC's awake time in FILETIME units (100 ns), from the interrupt time without the time spent
// asleep or hibernating: a run that spans a night with the lid shut does not count the night, and
// moving the system clock changes nothing.
uint64_t AwakeTimeNow();
using AwakeClock = std::function<uint64_t()>;

// What names the process of `process` for a later start of the program; none when the system
// will not tell its creation time or executable.
std::optional<GameProcess> DescribeProcess(HANDLE process);

// Whether the process of id `processId` runs in another Windows session of the PC, whose own
// program times it.
bool RunsInAnotherWindowsSession(DWORD processId);

// The process `recorded` names, opened to wait for it, when it still runs in this Windows session
// and is the same process: its creation time and its executable must match, so that a process
// that took over the id of a game gone meanwhile is never timed. Null otherwise.
ScopedHandle ReopenGameProcess(const GameProcess& recorded);

// The length a running session of the file has reached by the awake time `awakeNow`: what was
// written, with the awake time since it was written (the game ran on while no program timed it),
// but never more than the process has existed, `processAgeSeconds`.
uint64_t ResumedLength(const PlaySessionRecord& session, uint64_t awakeNow, uint64_t processAgeSeconds);

// Times a session until its process ends, on the calling thread: `progress` names the session
// and holds its length when timing starts. Every `interval` of the process's life, and once at its
// end (then with `ended` set), `report` receives the length reached by the awake clock.
void TimeSession(HANDLE process, SessionProgress progress, std::chrono::milliseconds interval,
                 const AwakeClock& awakeNow, const std::function<void(const SessionProgress&)>& report);
