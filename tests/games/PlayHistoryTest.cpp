// The play history on a "PlayHistory.xml" in a temporary folder: what it keeps, what it does with
// a file it cannot read, the column order it gives and the start area's texts.
#include "games/PlayHistory.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "games/GameOrder.h"
#include "games/GoodCopies.h"
#include "tests/support/TestFolder.h"

namespace {

SYSTEMTIME Time(WORD year, WORD month, WORD day, WORD hour, WORD minute) {
    SYSTEMTIME time{};
    time.wYear = year;
    time.wMonth = month;
    time.wDay = day;
    time.wHour = hour;
    time.wMinute = minute;
    return time;
}

uint64_t Utc(const SYSTEMTIME& time) {
    FILETIME file{};
    SystemTimeToFileTime(&time, &file);
    return (static_cast<uint64_t>(file.dwHighDateTime) << 32) | file.dwLowDateTime;
}

GameRecord Game(const std::wstring& path, const std::wstring& name = std::wstring()) {
    GameRecord game;
    game.path = path;
    game.name = name;
    return game;
}

class PlayHistoryTest : public ::testing::Test {
protected:
    std::wstring FilePath() const { return folder_.File(PlayHistory::kFileName); }

    // The names of the kept copies beside the file.
    std::vector<std::wstring> KeptFiles() const {
        std::vector<std::wstring> names;
        WIN32_FIND_DATAW found{};
        HANDLE search = FindFirstFileW((FilePath() + L".unreadable-*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) return names;
        do names.push_back(found.cFileName);
        while (FindNextFileW(search, &found));
        FindClose(search);
        return names;
    }

    void ForgetGoodCopies() const {
        for (int age = 1; age <= GoodCopies::kCount; ++age) DeleteFileW(GoodCopies::CopyName(FilePath(), age).c_str());
    }

    TestFolder folder_;
};

}  // namespace

TEST_F(PlayHistoryTest, WhatIsRecordedIsReadBackWhateverTheCaseOfThePath) {
    PlayHistory history;
    history.Load(folder_.Path());
    EXPECT_FALSE(FileExists(FilePath())) << "nothing to write yet";
    const uint64_t started = Utc(Time(2026, 12, 8, 6, 3));
    history.RecordStart(L"C:\\Games\\Alpha.exe", started);
    history.RecordPlayed(L"C:\\Games\\Alpha.exe", 90);
    history.RecordPlayed(L"c:/games/ALPHA.EXE", 30);
    history.SetOrder(GameOrder::ByTimePlayed);
    history.SetFavourite(L"C:\\Games\\Alpha.exe", true);
    history.SetFavourite(L"C:\\Games\\Gamma.exe", true);
    history.SetFavourite(L"c:\\games\\GAMMA.exe", false);

    PlayHistory again;
    again.Load(folder_.Path());
    EXPECT_EQ(again.Find(L"c:\\GAMES\\alpha.exe").lastStarted, started);
    EXPECT_EQ(again.Find(L"C:/Games/Alpha.exe").secondsPlayed, 120u) << "the runs add up";
    EXPECT_EQ(again.Find(L"C:\\Games\\Beta.exe").lastStarted, 0u);
    EXPECT_EQ(again.Order(), GameOrder::ByTimePlayed);
    EXPECT_TRUE(again.IsFavourite(L"c:/games/alpha.exe"));
    EXPECT_FALSE(again.IsFavourite(L"C:\\Games\\Gamma.exe")) << "no longer";
    EXPECT_TRUE(KeptFiles().empty());

    // Values that are not times or counts read as none; the game stays.
    WriteFileBytes(FilePath(), "<PlayHistory><Game path=\"D:\\b.exe\" lastStarted=\"yesterday\" secondsPlayed=\"-5\" />"
                               "<Game path=\"D:\\c.exe\" secondsPlayed=\"99999999999999999999999\" />"
                               "<Game lastStarted=\"2026-12-08T06:03:00Z\" /></PlayHistory>");
    again.Load(folder_.Path());
    EXPECT_EQ(again.Order(), GameOrder::AsInstalled);
    again.RecordPlayed(L"D:\\b.exe", 60);
    EXPECT_EQ(again.Find(L"D:\\b.exe").secondsPlayed, 60u);
    EXPECT_EQ(again.Find(L"D:\\c.exe").secondsPlayed, 0u) << "too many digits for a count";
    EXPECT_TRUE(KeptFiles().empty());
}

TEST_F(PlayHistoryTest, AnUnreadableFileIsKeptAsideUnderANewNameEachTime) {
    PlayHistory history;
    history.Load(folder_.Path());
    history.RecordStart(L"C:\\a.exe", Utc(Time(2026, 12, 8, 6, 3)));
    const std::string whole = ReadFileBytes(FilePath());
    const std::string half = whole.substr(0, whole.size() / 2);

    ForgetGoodCopies();
    WriteFileBytes(FilePath(), half);
    history.Load(folder_.Path());
    EXPECT_EQ(history.Find(L"C:\\a.exe").lastStarted, 0u) << "an empty history";
    EXPECT_FALSE(FileExists(FilePath()));
    ASSERT_EQ(KeptFiles().size(), 1u);
    const std::wstring first = folder_.File(KeptFiles()[0]);
    EXPECT_EQ(ReadFileBytes(first), half);

    // A second bad file, here one of another program, within the same second or not.
    history.RecordStart(L"C:\\b.exe", Utc(Time(2026, 12, 8, 7, 0)));
    ForgetGoodCopies();
    WriteFileBytes(FilePath(), "<UserGame />");
    history.Load(folder_.Path());
    EXPECT_EQ(history.Find(L"C:\\b.exe").lastStarted, 0u);
    EXPECT_EQ(KeptFiles().size(), 2u);
    EXPECT_EQ(ReadFileBytes(first), half) << "the first kept copy stays as it was";

    EXPECT_EQ(PlayHistory::KeptFileName(L"C:\\d\\PlayHistory.xml", Time(2026, 1, 2, 3, 4)),
              L"C:\\d\\PlayHistory.xml.unreadable-20260102-030400");
}

// The newest readable good copy takes the unreadable file's place, at start and before a change.
TEST_F(PlayHistoryTest, ACutFileIsTakenBackFromItsNewestGoodCopy) {
    PlayHistory history;
    history.Load(folder_.Path());
    history.RecordStart(L"C:\\a.exe", Utc(Time(2026, 12, 8, 6, 3)));
    history.RecordPlayed(L"C:\\a.exe", 600);
    const std::string whole = ReadFileBytes(FilePath());
    const std::string cut = whole.substr(0, whole.size() - 20);

    WriteFileBytes(FilePath(), cut);
    PlayHistory restored;
    restored.Load(folder_.Path());
    EXPECT_TRUE(restored.RestoredFromCopy());
    EXPECT_EQ(restored.Find(L"C:\\a.exe").secondsPlayed, 600u);
    EXPECT_EQ(ReadFileBytes(FilePath()), whole);
    ASSERT_EQ(KeptFiles().size(), 1u);
    EXPECT_EQ(ReadFileBytes(folder_.File(KeptFiles()[0])), cut);

    // The newest copy cut as well: the one before it, without the played time, is taken.
    WriteFileBytes(FilePath(), cut);
    WriteFileBytes(GoodCopies::CopyName(FilePath(), 1), cut);
    restored.RecordPlayed(L"C:\\a.exe", 60);
    EXPECT_EQ(restored.Find(L"C:\\a.exe").secondsPlayed, 60u);
    EXPECT_NE(restored.Find(L"C:\\a.exe").lastStarted, 0u);
    PlayHistory again;
    again.Load(folder_.Path());
    EXPECT_FALSE(again.RestoredFromCopy());
    EXPECT_EQ(again.Find(L"C:\\a.exe").secondsPlayed, 60u);

    // A file gone at start is lost, not emptied: its newest copy comes back.
    DeleteFileW(FilePath().c_str());
    again.Load(folder_.Path());
    EXPECT_TRUE(again.RestoredFromCopy());
    EXPECT_EQ(again.Find(L"C:\\a.exe").secondsPlayed, 60u);
}

// Favourites first, each part in the chosen order; ties, and games never played, keep list order.
TEST_F(PlayHistoryTest, TheColumnOrders) {
    const std::vector<GameRecord> games{Game(L"C:\\a.exe", L"重庆"),   Game(L"C:\\b.exe", L"Alpha"),
                                        Game(L"C:\\c.exe", L"龙之谷"), Game(L"C:\\d.exe", L"阿狸"),
                                        Game(L"C:\\e.exe", L"西安"),   Game(L"C:\\f.exe", L"先锋")};
    PlayHistory history;
    history.Load(folder_.Path());
    history.RecordStart(L"C:\\B.exe", Utc(Time(2026, 12, 1, 10, 0)));
    history.RecordStart(L"C:\\c.exe", Utc(Time(2026, 12, 1, 10, 0)));
    history.RecordStart(L"C:\\d.exe", Utc(Time(2026, 12, 8, 10, 0)));
    history.RecordPlayed(L"C:\\a.exe", 600);
    history.RecordPlayed(L"C:\\e.exe", 60);
    history.RecordPlayed(L"C:\\f.exe", 600);
    using Order = std::vector<size_t>;
    EXPECT_EQ(ColumnOrder(games, history), (Order{0, 1, 2, 3, 4, 5}));
    // 阿狸 "a li" before Alpha, 西安 "xi an" before 先锋 "xian feng", 重 read zhong.
    history.SetOrder(GameOrder::ByName);
    EXPECT_EQ(ColumnOrder(games, history), (Order{3, 1, 2, 4, 5, 0}));
    history.SetOrder(GameOrder::ByLastPlayed);
    EXPECT_EQ(ColumnOrder(games, history), (Order{3, 1, 2, 0, 4, 5}));
    history.SetOrder(GameOrder::ByTimePlayed);
    EXPECT_EQ(ColumnOrder(games, history), (Order{0, 5, 4, 1, 2, 3}));

    history.SetFavourite(L"C:\\e.exe", true);
    history.SetFavourite(L"C:\\C.EXE", true);
    EXPECT_EQ(ColumnOrder(games, history), (Order{4, 2, 0, 5, 1, 3}));
    history.SetOrder(GameOrder::AsInstalled);
    EXPECT_EQ(ColumnOrder(games, history), (Order{2, 4, 0, 1, 3, 5}));
    EXPECT_TRUE(ColumnOrder({}, history).empty());

    // An older file's setting, an order written by this one winning over it, and one it does not know.
    const std::pair<const char*, GameOrder> files[] = {
        {"<PlayHistory orderByLastPlayed=\"1\" />", GameOrder::ByLastPlayed},
        {"<PlayHistory orderByLastPlayed=\"1\" order=\"name\" />", GameOrder::ByName},
        {"<PlayHistory order=\"timePlayed\" />", GameOrder::ByTimePlayed},
        {"<PlayHistory order=\"random\" />", GameOrder::AsInstalled},
    };
    for (const auto& [file, order] : files) {
        WriteFileBytes(FilePath(), file);
        history.Load(folder_.Path());
        EXPECT_EQ(history.Order(), order) << file;
    }
}

TEST(PlayHistoryTexts, LastPlayedAndTimePlayedReadNaturally) {
    EXPECT_EQ(LastPlayedText(std::nullopt), L"上次游戏：从未");
    EXPECT_EQ(LastPlayedText(Time(2026, 12, 8, 14, 3)), L"上次游戏：2026-12-08 14:03");
    EXPECT_FALSE(LocalStartTime(PlayRecord{}).has_value());
    auto played = [](uint64_t seconds) {
        PlayRecord record;
        record.lastStarted = Utc(Time(2026, 12, 8, 14, 3));
        record.secondsPlayed = seconds;
        return PlayedTimeText(record);
    };
    EXPECT_EQ(PlayedTimeText(PlayRecord{}), L"游戏时长：—") << "never played";
    EXPECT_EQ(played(0), L"游戏时长：不到1分钟") << "started, not a second yet";
    EXPECT_EQ(played(59), L"游戏时长：不到1分钟");
    EXPECT_EQ(played(23 * 60 + 59), L"游戏时长：23分钟");
    EXPECT_EQ(played(3600), L"游戏时长：1小时");
    EXPECT_EQ(played(3600 + 23 * 60), L"游戏时长：1小时23分");
    EXPECT_EQ(played(250 * 3600 + 60), L"游戏时长：250小时1分");

    PlayRecord record;
    EXPECT_EQ(LastSessionText(record), L"") << "no run kept, as in a file of an older version";
    record.lastSessionSeconds = 40;
    EXPECT_EQ(LastSessionText(record), L"上次时长：不到1分钟");
    record.lastSessionSeconds = 12 * 60 + 5;
    EXPECT_EQ(LastSessionText(record), L"上次时长：12分钟");
}

// The Ludora of another session of the PC records its games in the same file meanwhile: each
// change here keeps them, and adds to the time played there.
TEST_F(PlayHistoryTest, AnotherSessionsRecordsStay) {
    PlayHistory here;
    here.Load(folder_.Path());
    PlayHistory there;
    there.Load(folder_.Path());
    const uint64_t started = Utc(Time(2026, 12, 8, 14, 3));
    there.RecordStart(L"C:\\there.exe", started);
    there.RecordPlayed(L"C:\\both.exe", 60);
    here.RecordPlayed(L"C:\\both.exe", 30);
    here.SetOrder(GameOrder::ByLastPlayed);

    PlayHistory next;
    next.Load(folder_.Path());
    EXPECT_EQ(next.Find(L"C:\\there.exe").lastStarted, started);
    EXPECT_EQ(next.Find(L"C:\\both.exe").secondsPlayed, 90u);
    EXPECT_EQ(next.Order(), GameOrder::ByLastPlayed);
}

namespace {

constexpr uint64_t kSecond = 10000000;

PlaySessionRecord RunningIn(DWORD processId, uint64_t started) {
    PlaySessionRecord session;
    session.started = started;
    session.process = GameProcess{processId, started - kSecond, L"C:\\Games\\Alpha.exe"};
    return session;
}

SessionProgress Reached(uint64_t started, DWORD processId, uint64_t seconds, bool ended = false) {
    return SessionProgress{L"C:\\Games\\Alpha.exe", started, processId, seconds, 777, ended};
}

}  // namespace

// Each run is a session of its own, written while it runs; the total is their sum however many
// are kept, and a file of another version or another hand reads without harm.
TEST_F(PlayHistoryTest, SessionsAddUpToTheTotalAndRunningOnesAreNamedByTheirProcess) {
    const std::wstring game = L"C:\\Games\\Alpha.exe";
    PlayHistory history;
    history.Load(folder_.Path());
    const uint64_t first = history.BeginSession(game, RunningIn(40, Utc(Time(2026, 12, 8, 10, 0)) + 1234));
    EXPECT_EQ(first % kSecond, 0u) << "named in whole seconds, as the file keeps it";
    history.UpdateSession(Reached(first, 40, 60));
    history.UpdateSession(Reached(first, 40, 150));
    const uint64_t second = history.BeginSession(game, RunningIn(41, Utc(Time(2026, 12, 8, 11, 0))));
    history.UpdateSession(Reached(second, 41, 30));
    history.UpdateSession(Reached(first, 40, 200, true));

    PlayHistory again;
    again.Load(folder_.Path());
    EXPECT_EQ(again.Find(game).secondsPlayed, 230u);
    EXPECT_EQ(again.Find(game).lastStarted, second);
    EXPECT_EQ(again.Find(game).lastSessionSeconds, 30u) << "the latest run, still running";
    std::vector<RunningSession> running = again.RunningSessions();
    ASSERT_EQ(running.size(), 1u);
    EXPECT_EQ(running[0].session.process->id, 41u);
    EXPECT_EQ(running[0].session.process->image, game);
    EXPECT_EQ(running[0].session.awakeAtWrite, 777u);

    // A file written over meanwhile (another hand, a copy taken back) lost the running session: it
    // comes back, ended with what it reached, and its time counts whole.
    WriteFileBytes(FilePath(), "<PlayHistory />");
    again.UpdateSession(Reached(second, 41, 45, true));
    EXPECT_EQ(again.Find(game).secondsPlayed, 45u);
    EXPECT_TRUE(again.RunningSessions().empty());

    // Only the latest runs are kept; the total stays exact.
    for (WORD day = 1; day <= 60; ++day) {
        const uint64_t started = again.BeginSession(game, RunningIn(day, Utc(Time(2027, 1, 1, 0, 0)) + day * kSecond));
        again.UpdateSession(Reached(started, day, 10, true));
    }
    again.Load(folder_.Path());
    const std::vector<PlaySessionRecord> kept = again.Sessions(game);
    ASSERT_EQ(kept.size(), PlayHistory::kKeptSessions);
    EXPECT_EQ(kept.back().started, Utc(Time(2027, 1, 1, 0, 0)) + 60 * kSecond);
    EXPECT_EQ(again.Find(game).secondsPlayed, 45u + 600u);

    // Older files have no sessions: the same total and last start, no last run. Bad values are
    // left out: a session without a start, a length that is no count, a process id that is none.
    WriteFileBytes(FilePath(), "<PlayHistory><Game path=\"C:\\Games\\Alpha.exe\" lastStarted=\"2026-12-08T06:03:00Z\" "
                               "secondsPlayed=\"90\" /><Game path=\"D:\\b.exe\" secondsPlayed=\"5\">"
                               "<Session seconds=\"7\" pid=\"9\" /><Session start=\"2026-12-08T06:03:00Z\" seconds=\"x\" "
                               "pid=\"4294967296\" created=\"1\" image=\"D:\\b.exe\" /></Game></PlayHistory>");
    again.Load(folder_.Path());
    EXPECT_EQ(again.Find(game).secondsPlayed, 90u);
    EXPECT_FALSE(again.Find(game).lastSessionSeconds.has_value());
    ASSERT_EQ(again.Sessions(L"D:\\b.exe").size(), 1u);
    EXPECT_EQ(again.Find(L"D:\\b.exe").lastSessionSeconds, 0u);
    EXPECT_TRUE(again.RunningSessions().empty());
    EXPECT_TRUE(KeptFiles().empty());
}
