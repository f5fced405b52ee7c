// The timing of a game's run: lengths from the PC's awake clock (here one the test moves, so that
// a sleep of the PC can be played), and the checks a process must pass before a new start of the
// program goes on timing it.
#include "games/PlaySession.h"

#include <gtest/gtest.h>

#include <vector>

#include "games/GameActions.h"
#include "tests/support/LudoraProcess.h"
#include "tests/support/TestFolder.h"

namespace {

constexpr uint64_t kSecond = 10000000;

}  // namespace

// Played 30 seconds awake, then the PC sleeps two hours with the game open: the awake clock
// stands still, and so does the session; it goes on counting after the wake.
TEST(PlaySessionTiming, ASessionGrowsWithTheAwakeClockAloneAndReportsItsEnd) {
    ScopedHandle process(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    uint64_t awake = 5000 * kSecond;
    SessionProgress progress;
    progress.gamePath = L"C:\\Games\\Alpha.exe";
    progress.seconds = 100;  // written before a restart of the program
    std::vector<SessionProgress> reports;
    TimeSession(process.get(), progress, std::chrono::milliseconds(1), [&] { return awake; },
                [&](const SessionProgress& reached) {
                    reports.push_back(reached);
                    if (reports.size() == 1) awake += 30 * kSecond;                // played
                    else if (reports.size() == 3) awake += 12 * kSecond;           // played after the wake
                    else if (reports.size() == 4) SetEvent(process.get());         // the game ends
                });
    ASSERT_EQ(reports.size(), 5u);
    EXPECT_EQ(reports[0].seconds, 100u);
    EXPECT_EQ(reports[1].seconds, 130u);
    EXPECT_EQ(reports[2].seconds, 130u) << "asleep";
    EXPECT_EQ(reports[3].seconds, 142u);
    EXPECT_EQ(reports[4].seconds, 142u);
    EXPECT_TRUE(reports[4].ended);
    EXPECT_FALSE(reports[3].ended);
    EXPECT_EQ(reports[4].awakeNow, awake);
    EXPECT_EQ(reports[4].gamePath, progress.gamePath);
}

// What a new start of the program takes over: the time the game ran awake while no program timed
// it counts, a sleep meanwhile does not, and the process's own age bounds whatever the file says.
TEST(PlaySessionTiming, AResumedSessionGainsTheAwakeTimeSinceItWasWrittenWithinTheProcessesAge) {
    PlaySessionRecord session;
    session.seconds = 600;
    session.awakeAtWrite = 9000 * kSecond;
    const uint64_t twoHours = 2 * 3600;
    // Killed, the PC asleep two hours, 20 seconds awake before the restart.
    EXPECT_EQ(ResumedLength(session, 9020 * kSecond, 600 + twoHours + 20), 620u);
    // The PC restarted meanwhile (its awake clock began again) or the file lies: nothing is added.
    EXPECT_EQ(ResumedLength(session, 10 * kSecond, 600 + twoHours), 600u);
    // No run lasts longer than its process has existed.
    EXPECT_EQ(ResumedLength(session, 9020 * kSecond, 300), 300u);
    session.seconds = UINT64_MAX;
    EXPECT_EQ(ResumedLength(session, 0, 50), 50u);
}

// A running game's process is taken over only when its id, creation time and executable all
// still match; a process gone, or one that took its id, is not.
TEST(PlaySessionProcess, OnlyTheSameRunningProcessIsReopened) {
    TestFolder folder;
    const std::wstring game = folder.File(L"game.exe");
    ASSERT_TRUE(CopyFileW(HostPathToWindows(DEMOGAME_EXE).c_str(), game.c_str(), FALSE));
    std::optional<ScopedHandle> started = StartGame(game);
    ASSERT_TRUE(started && *started);
    const std::optional<GameProcess> described = DescribeProcess(started->get());
    ASSERT_TRUE(described.has_value());
    EXPECT_EQ(PathKey(described->image), PathKey(game));
    EXPECT_NE(ReopenGameProcess(*described), nullptr);

    GameProcess other = *described;
    other.created += 1;
    EXPECT_EQ(ReopenGameProcess(other), nullptr) << "another process under the same id";
    other = *described;
    other.image = folder.File(L"other.exe");
    EXPECT_EQ(ReopenGameProcess(other), nullptr) << "another executable";
    other = *described;
    other.created = 0;
    EXPECT_EQ(ReopenGameProcess(other), nullptr) << "a session that never named its process";

    TerminateProcess(started->get(), 0);
    WaitForSingleObject(started->get(), 10000);
    EXPECT_EQ(ReopenGameProcess(*described), nullptr) << "ended";
}
