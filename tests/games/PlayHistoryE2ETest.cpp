// The play history of the real program with the demo games installed in the registry: a game
// started with the pointer and ended records its start and time played, the column follows the
// history's order setting, and an unreadable history file is kept aside.
#include <windows.h>

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <memory>
#include <string>

#include "shared/TextConvert.h"
#include "tests/support/DemoGamesProgramTest.h"

namespace {

// The settings dialog's second tab and its check box.
constexpr POINT kGameListTab{55, 88};
constexpr POINT kOrderBox{200, 85};

std::wstring HistoryPath() { return ProgramDataFolder() + L"\\PlayHistory.xml"; }

// What the history file holds for the game of `path`: "lastStarted" and "secondsPlayed".
struct RecordedPlay {
    std::string lastStarted;
    std::string secondsPlayed;
};
RecordedPlay Recorded(const std::wstring& path) {
    TiXmlDocument document;
    document.Parse(ReadFileBytes(HistoryPath()).c_str(), nullptr, TIXML_ENCODING_UTF8);
    const TiXmlElement* root = document.RootElement();
    for (const TiXmlElement* game = root ? root->FirstChildElement("Game") : nullptr; game;
         game = game->NextSiblingElement("Game")) {
        const char* gamePath = game->Attribute("path");
        if (!gamePath || lstrcmpiW(Utf8ToWideExact(gamePath).c_str(), path.c_str()) != 0) continue;
        const char* started = game->Attribute("lastStarted");
        const char* seconds = game->Attribute("secondsPlayed");
        return RecordedPlay{started ? started : "", seconds ? seconds : ""};
    }
    return RecordedPlay{};
}

// The copies of unreadable history files beside it.
std::vector<std::wstring> KeptHistories() {
    std::vector<std::wstring> kept;
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW((HistoryPath() + L".unreadable-*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return kept;
    do kept.push_back(ProgramDataFolder() + L"\\" + found.cFileName);
    while (FindNextFileW(search, &found));
    FindClose(search);
    return kept;
}

class PlayHistoryE2ETest : public DemoGamesProgramTest {
protected:
    // The first game's executable lies outside its folder.
    std::wstring GamePath(int game) const {
        return game == 1 ? games_.KeptGame() : games_.Folder(game) + L"\\demogame.exe";
    }
};

}  // namespace

TEST_F(PlayHistoryE2ETest, AnUnreadableHistoryIsKeptAsideAndAPlayedGameIsRecorded) {
    const std::string half = "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\n<PlayHistory orderByLastPlayed=\"1\"><Ga";
    WriteFileBytes(HistoryPath(), half);
    ASSERT_NE(Start(), nullptr) << "the program starts over an unreadable history";
    ASSERT_EQ(KeptHistories().size(), 1u);
    EXPECT_EQ(ReadFileBytes(KeptHistories()[0]), half);
    EXPECT_FALSE(FileExists(HistoryPath())) << "a fresh history, written at the first change";

    // The second game, started with the start button, records its start at once.
    ASSERT_TRUE(page_->Select(1, service_, "act=getGongLue&ID=12"));
    page_->StartSelected();
    ASSERT_TRUE(WaitUntil([&] { return !Recorded(GamePath(2)).lastStarted.empty(); }));
    EXPECT_EQ(Recorded(GamePath(2)).secondsPlayed, "0") << "still running";
    // Played for over a second, it ends: the time played follows.
    ASSERT_TRUE(WaitUntil([&] { return FindWindowW(L"LudoraDemoGame", nullptr) != nullptr; }));
    Sleep(1100);
    DemoGames::EndRunning();
    EXPECT_TRUE(WaitUntil([&] { return Recorded(GamePath(2)).secondsPlayed != "0"; }));

    // "运行" in the third game's menu records too.
    ASSERT_TRUE(page_->UseMenu(2, 0));
    EXPECT_TRUE(WaitUntil([&] { return !Recorded(GamePath(3)).lastStarted.empty(); }));
    EXPECT_TRUE(Recorded(GamePath(1)).lastStarted.empty());
}

TEST_F(PlayHistoryE2ETest, TheOrderByLastPlayedIsSetInTheSettingsWindowAndSurvivesARestart) {
    WriteFileBytes(HistoryPath(), "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\n<PlayHistory orderByLastPlayed=\"0\">"
                                  "<Game path=\"" + Utf8(GamePath(1)) + "\" lastStarted=\"2026-01-01T10:00:00Z\" />"
                                  "<Game path=\"" + Utf8(GamePath(2)) + "\" lastStarted=\"2026-02-01T10:00:00Z\" />"
                                  "</PlayHistory>");
    HWND window = Start();
    ASSERT_NE(window, nullptr);
    // List order first.
    ASSERT_TRUE(page_->Select(0, service_, "act=getGongLue&ID=11"));

    // Ticked in the settings window, the column takes the order by last played at once.
    ASSERT_TRUE(UseMainMenu(window, program_->Id(), 0));
    HWND settings = WaitForShownWindow(program_->Id(), L"SystemSetWnd");
    ASSERT_NE(settings, nullptr);
    ClickByMessages(settings, kGameListTab);
    // The page of the tab is laid out by the paint that follows the click.
    UpdateWindow(settings);
    ClickByMessages(settings, kOrderBox);
    ClickByMessages(settings, kSettingsOkButton);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(settings); }));
    EXPECT_NE(ReadFileBytes(HistoryPath()).find("orderByLastPlayed=\"1\""), std::string::npos);
    service_.Reset();
    EXPECT_TRUE(page_->Select(0, service_, "act=getGongLue&ID=12")) << "the last played game is first";

    // The order is kept across a restart: the second game, then the first.
    program_->Terminate();
    service_.Reset();
    ASSERT_NE(Start(), nullptr);
    EXPECT_TRUE(page_->Select(0, service_, "act=getGongLue&ID=12"));
    EXPECT_TRUE(page_->Select(1, service_, "act=getGongLue&ID=11"));
}
