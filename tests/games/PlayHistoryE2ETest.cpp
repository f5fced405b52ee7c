// The play history of the real program with the demo games installed in the registry: a game
// started with the pointer and ended records its start and time played, a running game's time is
// written while it runs and survives a killed program, the column follows the order chosen in the
// settings and keeps the player's favourites on top, and an unreadable history file is kept aside.
#include <windows.h>
#include <oleacc.h>

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "shared/ComPtr.h"
#include "shared/TextConvert.h"
#include "tests/support/AccessibleClient.h"
#include "tests/support/DemoGamesProgramTest.h"
#include "tests/support/WindowPixels.h"

namespace {

// The settings dialog's second tab and its radio box of each order.
constexpr POINT kGameListTab{55, 88};
constexpr POINT kAsInstalled{200, 106};
constexpr POINT kByName{200, 136};
constexpr POINT kByLastPlayed{200, 166};
constexpr POINT kByTimePlayed{200, 196};
// The game menu's "收藏" / "不再收藏".
constexpr int kFavouriteItem = 3;

std::wstring HistoryPath() { return ProgramDataFolder() + L"\\PlayHistory.xml"; }

// The history file's element of the game of `path`, in `document`; null when it has none.
const TiXmlElement* GameElement(TiXmlDocument& document, const std::wstring& path) {
    document.Parse(ReadFileBytes(HistoryPath()).c_str(), nullptr, TIXML_ENCODING_UTF8);
    const TiXmlElement* root = document.RootElement();
    for (const TiXmlElement* game = root ? root->FirstChildElement("Game") : nullptr; game;
         game = game->NextSiblingElement("Game")) {
        const char* gamePath = game->Attribute("path");
        if (gamePath && lstrcmpiW(Utf8ToWideExact(gamePath).c_str(), path.c_str()) == 0) return game;
    }
    return nullptr;
}

// What the history file holds for the game of `path`: "lastStarted" and "secondsPlayed".
struct RecordedPlay {
    std::string lastStarted;
    std::string secondsPlayed;
};
RecordedPlay Recorded(const std::wstring& path) {
    TiXmlDocument document;
    const TiXmlElement* game = GameElement(document, path);
    if (!game) return RecordedPlay{};
    const char* started = game->Attribute("lastStarted");
    const char* seconds = game->Attribute("secondsPlayed");
    return RecordedPlay{started ? started : "", seconds ? seconds : ""};
}

// The sessions the history file keeps of the game of `path`.
struct RecordedSession {
    std::string start;
    unsigned long long seconds = 0;
    bool running = false;  // it names its process
};
std::vector<RecordedSession> RecordedSessions(const std::wstring& path) {
    std::vector<RecordedSession> sessions;
    TiXmlDocument document;
    const TiXmlElement* game = GameElement(document, path);
    for (const TiXmlElement* session = game ? game->FirstChildElement("Session") : nullptr; session;
         session = session->NextSiblingElement("Session")) {
        const char* start = session->Attribute("start");
        const char* seconds = session->Attribute("seconds");
        sessions.push_back(RecordedSession{start ? start : "", seconds ? std::stoull(seconds) : 0,
                                           session->Attribute("pid") != nullptr});
    }
    return sessions;
}

// The texts a screen reader reads in the window: its static texts, the start area's among them.
void CollectTexts(IAccessible& object, std::vector<std::wstring>& texts) {
    LONG count = 0;
    if (object.get_accChildCount(&count) != S_OK) return;
    for (LONG id = 1; id <= count; ++id) {
        VARIANT role;
        ScopedBstr name;
        if (SUCCEEDED(object.get_accRole(ChildId(id), &role)) && role.vt == VT_I4 &&
            role.lVal == ROLE_SYSTEM_STATICTEXT && object.get_accName(ChildId(id), name.Out()) == S_OK)
            texts.push_back(name.Text());
        ComPtr<IDispatch> child;
        ComPtr<IAccessible> childObject;
        if (object.get_accChild(ChildId(id), child.Out()) == S_OK && child &&
            SUCCEEDED(child->QueryInterface(IID_IAccessible, childObject.OutVoid())))
            CollectTexts(*childObject.Get(), texts);
    }
}
bool ShowsText(HWND window, const std::wstring& text) {
    std::vector<std::wstring> texts;
    if (ComPtr<IAccessible> client = ClientObjectOf(window)) CollectTexts(*client.Get(), texts);
    return std::find(texts.begin(), texts.end(), text) != texts.end();
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
    // Chooses an order on the settings' game list page, with the pointer, and confirms it.
    bool ChooseOrder(HWND window, POINT order) {
        if (!UseMainMenu(window, program_->Id(), 0)) return false;
        HWND settings = WaitForShownWindow(program_->Id(), L"SystemSetWnd");
        if (settings == nullptr) return false;
        LeftClick(settings, kGameListTab);
        // The page of the tab is laid out by the paint that follows the click.
        UpdateWindow(settings);
        LeftClick(settings, order);
        LeftClick(settings, kSettingsOkButton);
        return WaitUntil([&] { return !IsWindow(settings); });
    }

    // Whether the column's first buttons are the games of these ids, top down. The button below them
    // is selected first, so that each of them asks for its strategy page when it is selected.
    bool ColumnStartsWith(std::initializer_list<int> ids) {
        service_.Reset();
        if (!page_->Select(static_cast<int>(ids.size()), service_, "act=getGongLue")) return false;
        int button = 0;
        for (int id : ids) {
            service_.Reset();
            const std::string request = "act=getGongLue&ID=" + std::to_string(id);
            if (!page_->Select(button++, service_, request.c_str())) return false;
        }
        return true;
    }

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

TEST_F(PlayHistoryE2ETest, EachOrderChosenInTheSettingsReordersTheColumnAndSurvivesARestart) {
    // A hand-added game whose name comes first in pinyin order (阿狸 "a li"), none of the
    // installed games' names do ("T<process>-游戏1" and on).
    WriteFileBytes(ProgramDataFolder() + L"\\UserGame.xml",
                   "<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"yes\" ?>\n<UserGame><Game name=\"" +
                       Utf8(L"阿狸") + "\" path=\"" + Utf8(games_.HandGame()) + "\" type=\"0\" id=\"14\" /></UserGame>\n");
    // An older file, which knew only the order by last played.
    WriteFileBytes(HistoryPath(), "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\n<PlayHistory orderByLastPlayed=\"0\">"
                                  "<Game path=\"" + Utf8(GamePath(1)) + "\" lastStarted=\"2026-03-01T10:00:00Z\" secondsPlayed=\"60\" />"
                                  "<Game path=\"" + Utf8(GamePath(2)) + "\" lastStarted=\"2026-01-01T10:00:00Z\" secondsPlayed=\"600\" />"
                                  "<Game path=\"" + Utf8(GamePath(3)) + "\" lastStarted=\"2026-02-01T10:00:00Z\" />"
                                  "</PlayHistory>");
    HWND window = Start();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(ColumnStartsWith({11, 12, 13})) << "as installed";

    // Each order chosen in the settings window reorders the column at once. (The games checked
    // are chosen so that the one selected last is not the one selected first next time.)
    ASSERT_TRUE(ChooseOrder(window, kByName));
    EXPECT_NE(ReadFileBytes(HistoryPath()).find("order=\"name\""), std::string::npos);
    EXPECT_TRUE(ColumnStartsWith({14, 11}));
    ASSERT_TRUE(ChooseOrder(window, kByTimePlayed));
    EXPECT_TRUE(ColumnStartsWith({12, 11, 13})) << "the games never played keep list order";
    ASSERT_TRUE(ChooseOrder(window, kByLastPlayed));
    EXPECT_TRUE(ColumnStartsWith({11, 13, 12}));

    // The order is kept across a restart.
    program_->Terminate();
    service_.Reset();
    window = Start();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(ColumnStartsWith({11, 13}));
    ASSERT_TRUE(ChooseOrder(window, kAsInstalled));
    EXPECT_TRUE(ColumnStartsWith({11, 12, 13}));
}

namespace {

bool IsStarGold(uint32_t colour) {
    return (colour >> 16) > 0xE0 && ((colour >> 8) & 0xFF) > 0xA8 && (colour & 0xFF) < 0x50;
}

// The middle of the star on the icon's corner of a game button.
POINT StarOf(int button) {
    const POINT icon = MyGamesPage::IconOf(button);
    return POINT{icon.x + 15, icon.y + 8};
}

}  // namespace

TEST_F(PlayHistoryE2ETest, AFavouriteIsPinnedToTheTopFromTheMenuAndStaysThereAfterARestart) {
    HWND window = Start();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(ColumnStartsWith({11}));
    EXPECT_FALSE(IsStarGold(ClientRgb(window, StarOf(2))));

    // "收藏" on the third game: its button moves to the top, with a star, and the history keeps it.
    ASSERT_TRUE(page_->UseMenu(2, kFavouriteItem));
    EXPECT_TRUE(WaitUntil([&] { return ReadFileBytes(HistoryPath()).find("<Favourite") != std::string::npos; }));
    EXPECT_TRUE(ColumnStartsWith({13, 11}));
    EXPECT_TRUE(WaitUntil([&] { return IsStarGold(ClientRgb(window, StarOf(0))); }))
        << std::hex << ClientRgb(window, StarOf(0));
    EXPECT_FALSE(IsStarGold(ClientRgb(window, StarOf(1))));

    program_->Terminate();
    service_.Reset();
    window = Start();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(ColumnStartsWith({13, 11}));

    // The same item, now "不再收藏", puts it back in its place.
    ASSERT_TRUE(page_->UseMenu(0, kFavouriteItem));
    EXPECT_TRUE(WaitUntil([&] { return ReadFileBytes(HistoryPath()).find("<Favourite") == std::string::npos; }));
    EXPECT_TRUE(ColumnStartsWith({11, 12}));
    EXPECT_TRUE(WaitUntil([&] { return !IsStarGold(ClientRgb(window, StarOf(2))); }));
}

// The tests' build of the program writes a running game's time every second instead of every
// minute; otherwise it is the program. Killed while the game runs, it has lost at most that; started
// again, it takes the running game over (the time it ran meanwhile counts) and goes on timing it.
TEST_F(PlayHistoryE2ETest, PlayTimeSurvivesAKilledProgramAndTheRunningGameIsTakenOverAgain) {
    ScopedComApartment com;
    HWND window = Start(QUICK_PLAY_WRITES_EXE);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(page_->Select(1, service_, "act=getGongLue&ID=12"));
    EXPECT_TRUE(WaitUntil([&] { return ShowsText(window, L"游戏时长：—"); })) << "never played";
    page_->StartSelected();
    ASSERT_TRUE(WaitUntil([&] { return FindWindowW(L"LudoraDemoGame", nullptr) != nullptr; }));
    // Written while it runs, again and again.
    ASSERT_TRUE(WaitUntil([&] {
        std::vector<RecordedSession> sessions = RecordedSessions(GamePath(2));
        return sessions.size() == 1 && sessions[0].running && sessions[0].seconds >= 2;
    }));
    // The labels follow the write on the window's thread.
    EXPECT_TRUE(WaitUntil([&] { return ShowsText(window, L"游戏时长：不到1分钟"); }));
    EXPECT_TRUE(WaitUntil([&] { return ShowsText(window, L"上次时长：不到1分钟"); }));

    program_->Terminate();
    const RecordedSession killed = RecordedSessions(GamePath(2)).at(0);
    EXPECT_TRUE(killed.running) << "the game runs on";
    EXPECT_EQ(Recorded(GamePath(2)).secondsPlayed, std::to_string(killed.seconds));
    // Three seconds without a program: the game ran on, and they count.
    Sleep(3000);
    service_.Reset();
    ASSERT_NE(Start(QUICK_PLAY_WRITES_EXE), nullptr);
    ASSERT_TRUE(WaitUntil([&] {
        std::vector<RecordedSession> sessions = RecordedSessions(GamePath(2));
        return sessions.size() == 1 && sessions[0].seconds >= killed.seconds + 3;
    }));
    EXPECT_EQ(RecordedSessions(GamePath(2))[0].start, killed.start) << "the same run, taken over";

    // Ended, the run keeps its length and the total is exact.
    DemoGames::EndRunning();
    ASSERT_TRUE(WaitUntil([&] { return !RecordedSessions(GamePath(2)).at(0).running; }));
    const RecordedSession ended = RecordedSessions(GamePath(2))[0];
    EXPECT_GE(ended.seconds, killed.seconds + 3);
    EXPECT_EQ(Recorded(GamePath(2)).secondsPlayed, std::to_string(ended.seconds));

    // A run whose process is gone when the program starts keeps what was written.
    program_->Terminate();
    std::string file = ReadFileBytes(HistoryPath());
    const std::string closing = "</Game>";
    const size_t at = file.find(closing);
    ASSERT_NE(at, std::string::npos);
    file.insert(at, "<Session start=\"2099-01-01T00:00:00Z\" seconds=\"95\" pid=\"" +
                        std::to_string(GetCurrentProcessId()) + "\" created=\"1\" image=\"C:\\x.exe\" awake=\"1\" />");
    WriteFileBytes(HistoryPath(), file);
    service_.Reset();
    ASSERT_NE(Start(QUICK_PLAY_WRITES_EXE), nullptr);
    ASSERT_TRUE(WaitUntil([&] {
        std::vector<RecordedSession> sessions = RecordedSessions(GamePath(2));
        return sessions.size() == 2 && !sessions[1].running;
    }));
    EXPECT_EQ(RecordedSessions(GamePath(2))[1].seconds, 95u) << "a process that took over the id is not timed";
}
