#pragma once
#include <windows.h>

#include <cstddef>
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
};

// The games the player started from the program, in "PlayHistory.xml" of the data folder, keyed by
// the game's executable path without regard to case. The file also holds the order of the game
// column and the player's favourites, by path too. Each change reads the file again under the data files' lock, so that
// another session's records stay, and writes it whole beside the old one, then puts it in its
// place; a file that cannot be read is renamed aside, never written over. Used on the window
// thread only.
class PlayHistory {
public:
    static constexpr const wchar_t* kFileName = L"PlayHistory.xml";

    // Reads "<dataFolder>\PlayHistory.xml"; a missing file is an empty history. An unreadable one
    // is renamed to KeptFileName's name (or that name with "-2", "-3"... when taken) and the
    // history starts empty; while it cannot be renamed, nothing is written over it.
    void Load(const std::wstring& dataFolder);

    PlayRecord Find(const std::wstring& gamePath) const;
    // Each change is written at once; a write that fails leaves the change in memory.
    void RecordStart(const std::wstring& gamePath, uint64_t startedUtc);
    void RecordPlayed(const std::wstring& gamePath, uint64_t seconds);

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
    };

    // Replaces what is in memory with the file's games and setting; false when it does not parse.
    bool Read(const std::string& bytes);
    // The file as it is now, which the Ludora of another session may have changed; what is in
    // memory stays when it is missing or unreadable. False when it may not be written over.
    bool ReadFileAgain();
    // Under the data files' lock: reads the file again, makes `change` and writes the file.
    void Change(const std::function<void()>& change);
    bool KeepUnreadableFile();
    void Save() const;

    std::wstring path_;
    std::map<std::wstring, Entry> entries_;  // by the path in lower case
    GameOrder order_ = GameOrder::AsInstalled;
    std::map<std::wstring, std::wstring> favourites_;  // the paths as pinned, by the path in lower case
    bool mayWrite_ = false;
};

// The now of the history's records.
uint64_t UtcNow();

// The start area's texts: "上次游戏：2026-12-08 14:03" in local time, or "上次游戏：从未"; and
// "游戏时长：1小时23分", "23分钟", "不到1分钟", or "0分钟" for no time at all.
std::wstring LastPlayedText(const std::optional<SYSTEMTIME>& localTime);
std::wstring PlayedTimeText(uint64_t seconds);
// The local time of a record's start; none for a game never started.
std::optional<SYSTEMTIME> LocalStartTime(const PlayRecord& record);
