#pragma once
#include <windows.h>

#include <cstddef>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "games/GameRecord.h"

// How the game column is ordered; favourites always stand first, in this order among themselves.
// Games that tie keep their list order.
enum class GameOrder {
    AsInstalled,   // the list's order
    ByName,        // by name in pinyin order
    ByLastPlayed,  // the most recently started first, games never started last
    ByTimePlayed,  // the most played first, games never played last
};

// When a game was last started and how long it has been played, all its runs together.
struct PlayRecord {
    uint64_t lastStarted = 0;  // UTC, in FILETIME units; 0: never started
    uint64_t secondsPlayed = 0;
    // The length of its latest run kept (of the one running, as far as written); none before one is.
    std::optional<uint64_t> lastSessionSeconds;
};

// A game's process as the system names it, so that a later start of the program can tell it from
// another process that took over its id.
struct GameProcess {
    DWORD id = 0;
    uint64_t created = 0;  // its creation time, UTC in FILETIME units
    std::wstring image;    // the full path of its executable
};

// One run of a game. While it runs, it carries its process and the awake clock's reading when its
// length was last written, so that a later start of the program can go on timing it.
struct PlaySessionRecord {
    uint64_t started = 0;  // UTC, in FILETIME units, whole seconds (as the file keeps it)
    uint64_t seconds = 0;
    std::optional<GameProcess> process;
    uint64_t awakeAtWrite = 0;
};

// A running session's length as its timer measured it. Within a game, a session is named by its
// start and its process's id.
struct SessionProgress {
    std::wstring gamePath;
    uint64_t started = 0;
    DWORD processId = 0;
    uint64_t seconds = 0;
    uint64_t awakeNow = 0;
    bool ended = false;
};

// A running session of the file, with its game.
struct RunningSession {
    std::wstring gamePath;
    PlaySessionRecord session;
};

// The games the player started from the program, in "PlayHistory.xml" of the data folder, keyed by
// the game's executable path without regard to case, each with its last runs (sessions). The file
// also holds the order of the game column and the player's favourites, by path too. Each change
// reads the file again under the data files' lock, so that
// another session's records stay, and writes it whole beside the old one, then puts it in its
// place, keeping its last good versions beside it; a file that cannot be read is renamed aside,
// never written over, and its newest good copy takes its place. Used on the window
// thread only.
class PlayHistory {
public:
    static constexpr const wchar_t* kFileName = L"PlayHistory.xml";
    // The runs kept of each game; the total stays exact as older ones go.
    static constexpr size_t kKeptSessions = 50;

    // Reads "<dataFolder>\PlayHistory.xml"; a missing file is its newest readable good copy
    // (GoodCopies) put back, or an empty history. An unreadable one
    // is renamed to KeptFileName's name (or that name with "-2", "-3"... when taken) and the
    // history starts from the newest readable good copy (GoodCopies) put back in its place, or
    // empty without one; while it cannot be renamed, nothing is written over it.
    void Load(const std::wstring& dataFolder);
    // A missing or unreadable file was replaced by its newest good copy since the last Load began.
    bool RestoredFromCopy() const { return restoredFromCopy_; }

    PlayRecord Find(const std::wstring& gamePath) const;
    // Each change is written at once; a write that fails leaves the change in memory.
    void RecordStart(const std::wstring& gamePath, uint64_t startedUtc);
    void RecordPlayed(const std::wstring& gamePath, uint64_t seconds);
    // A run began: its start becomes the game's last, and the session is kept, running. Returns
    // its start as the file names it (whole seconds).
    uint64_t BeginSession(const std::wstring& gamePath, const PlaySessionRecord& session);
    // A running session's length grew (what it adds goes to the game's total) or it ended. One
    // no longer in the file (the file was replaced meanwhile) is kept again, whole.
    void UpdateSession(const SessionProgress& progress) { UpdateSessions({progress}); }
    // Several at once, in one write.
    void UpdateSessions(const std::vector<SessionProgress>& progress);
    // The sessions the file says still run, for a new start of the program to check.
    std::vector<RunningSession> RunningSessions() const;
    std::vector<PlaySessionRecord> Sessions(const std::wstring& gamePath) const;

    // How often a running session is written, so that a crash loses no more.
    std::chrono::milliseconds RunningWriteInterval() const { return runningWriteInterval_; }
    void SetRunningWriteInterval(std::chrono::milliseconds interval) { runningWriteInterval_ = interval; }

    GameOrder Order() const { return order_; }
    void SetOrder(GameOrder order);

    bool IsFavourite(const std::wstring& gamePath) const;
    void SetFavourite(const std::wstring& gamePath, bool favourite);

    // "<path>.unreadable-yyyymmdd-hhmmss", from the local time `when`.
    static std::wstring KeptFileName(const std::wstring& path, const SYSTEMTIME& when);

private:
    struct Entry {
        std::wstring path;  // as the game was started
        PlayRecord record;
        std::vector<PlaySessionRecord> sessions;  // oldest first
    };

    // Replaces what is in memory with the file's games and setting; false when it does not parse.
    bool Read(const std::string& bytes);
    // The file as it is now, which the Ludora of another session may have changed; what is in
    // memory stays when it is missing or unreadable. False when it may not be written over.
    bool ReadFileAgain();
    // Under the data files' lock: reads the file again, makes `change` and writes the file.
    void Change(const std::function<void()>& change);
    bool KeepUnreadableFile();
    // After the unreadable file was kept aside: the newest readable good copy is read and put back.
    void TakeBackGoodCopy();
    void Update(const SessionProgress& progress);
    void Save() const;

    std::wstring path_;
    std::map<std::wstring, Entry> entries_;  // by the path in lower case
    GameOrder order_ = GameOrder::AsInstalled;
    std::map<std::wstring, std::wstring> favourites_;  // the paths as pinned, by the path in lower case
    bool mayWrite_ = false;
    bool restoredFromCopy_ = false;
    std::chrono::milliseconds runningWriteInterval_{std::chrono::minutes(1)};
};

// The now of the history's records.
uint64_t UtcNow();

// The start area's texts: "上次游戏：2026-12-08 14:03" in local time, or "上次游戏：从未";
// "游戏时长：1小时23分", "23分钟", "不到1分钟", or "—" for a game never played; and the latest run's
// "上次时长：…", empty before one is kept.
std::wstring LastPlayedText(const std::optional<SYSTEMTIME>& localTime);
std::wstring PlayedTimeText(const PlayRecord& record);
std::wstring LastSessionText(const PlayRecord& record);
// The local time of a record's start; none for a game never started.
std::optional<SYSTEMTIME> LocalStartTime(const PlayRecord& record);
