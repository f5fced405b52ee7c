#include "games/PlaySession.h"

#include <algorithm>

#include "games/GameActions.h"

namespace {

constexpr uint64_t kTicksPerSecond = 10000000;

uint64_t FromFileTime(const FILETIME& time) {
    return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

uint64_t CreationTime(HANDLE process) {
    FILETIME created{}, exited{}, kernel{}, user{};
    return GetProcessTimes(process, &created, &exited, &kernel, &user) ? FromFileTime(created) : 0;
}

std::wstring ImagePath(HANDLE process) {
    wchar_t path[MAX_PATH] = {};
    DWORD length = MAX_PATH;
    return QueryFullProcessImageNameW(process, 0, path, &length) ? std::wstring(path, length) : std::wstring();
}

std::optional<DWORD> WindowsSessionOf(DWORD processId) {
    DWORD session = 0;
    if (!ProcessIdToSessionId(processId, &session)) return std::nullopt;
    return session;
}

}  // namespace

bool RunsInAnotherWindowsSession(DWORD processId) {
    const std::optional<DWORD> theirs = WindowsSessionOf(processId);
    return theirs && theirs != WindowsSessionOf(GetCurrentProcessId());
}

uint64_t AwakeTimeNow() {
    ULONGLONG awake = 0;
    QueryUnbiasedInterruptTime(&awake);
    return awake;
}

std::optional<GameProcess> DescribeProcess(HANDLE process) {
    GameProcess described{GetProcessId(process), CreationTime(process), ImagePath(process)};
    if (described.id == 0 || described.created == 0 || described.image.empty()) return std::nullopt;
    return described;
}

ScopedHandle ReopenGameProcess(const GameProcess& recorded) {
    if (recorded.id == 0 || recorded.created == 0 || recorded.image.empty() || RunsInAnotherWindowsSession(recorded.id))
        return nullptr;
    ScopedHandle process(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, recorded.id));
    if (!process || WaitForSingleObject(process.get(), 0) != WAIT_TIMEOUT) return nullptr;
    const std::optional<GameProcess> now = DescribeProcess(process.get());
    if (!now || now->created != recorded.created || PathKey(now->image) != PathKey(recorded.image)) return nullptr;
    return process;
}

uint64_t ResumedLength(const PlaySessionRecord& session, uint64_t awakeNow, uint64_t processAgeSeconds) {
    // A reading from before a restart of the PC would be later than now; the process's age bounds
    // whatever the file says.
    const uint64_t unwritten = awakeNow > session.awakeAtWrite ? (awakeNow - session.awakeAtWrite) / kTicksPerSecond : 0;
    const uint64_t written = std::min(session.seconds, processAgeSeconds);
    return std::min(written + std::min(unwritten, processAgeSeconds), processAgeSeconds);
}

void TimeSession(HANDLE process, SessionProgress progress, std::chrono::milliseconds interval,
                 const AwakeClock& awakeNow, const std::function<void(const SessionProgress&)>& report) {
    const uint64_t lengthAtStart = progress.seconds;
    const uint64_t awakeAtStart = awakeNow();
    const DWORD waitMs = static_cast<DWORD>(std::max<long long>(interval.count(), 1));
    for (;;) {
        // A wait that fails ends the session as the process's end would.
        progress.ended = WaitForSingleObject(process, waitMs) != WAIT_TIMEOUT;
        progress.awakeNow = awakeNow();
        progress.seconds = lengthAtStart + (progress.awakeNow - awakeAtStart) / kTicksPerSecond;
        report(progress);
        if (progress.ended) return;
    }
}
