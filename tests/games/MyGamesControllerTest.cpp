// The my-games page's logic without the page: a game list in a temporary folder, the results of
// its workers handed back through a task queue on a message-only window.
#include "games/MyGamesController.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "UiLib/render/GdiObject.h"
#include "UiLib/tree/WindowTasks.h"
#include "games/GameButtonUI.h"
#include "games/GameIcons.h"
#include "games/GameList.h"
#include "games/PlayHistory.h"
#include "tests/support/LudoraProcess.h"
#include "tests/support/TestFolder.h"

using namespace UiLib;

namespace {

// The games' files, whose icons the page asks for when they are all in view.
std::vector<std::wstring> PathsOf(const std::vector<GameRecord>& games) {
    std::vector<std::wstring> paths;
    for (const GameRecord& game : games) paths.push_back(game.path);
    return paths;
}

const char kTwoHandGames[] =
    "<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"yes\" ?>\n"
    "<UserGame>\n"
    "    <Game name=\"Alpha\" path=\"C:\\Missing\\alpha.exe\" type=\"0\" id=\"11\" />\n"
    "    <Game name=\"龙之谷\" path=\"C:\\Missing\\beta.exe\" type=\"0\" id=\"12\" />\n"
    "</UserGame>\n";

// The window thread's side of a task queue, without a window of the program.
class MessageWindowTasks {
public:
    MessageWindowTasks()
        : window_(::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr)) {
        tasks_->Attach(window_);
    }
    ~MessageWindowTasks() {
        tasks_->Detach();
        ::DestroyWindow(window_);
    }
    MessageWindowTasks(const MessageWindowTasks&) = delete;
    MessageWindowTasks& operator=(const MessageWindowTasks&) = delete;

    std::shared_ptr<CWindowTasks> Tasks() const { return tasks_; }
    // Runs the posted tasks until `condition` holds.
    template <typename Condition>
    bool RunUntil(Condition condition) {
        return WaitUntil([&] {
            tasks_->RunPending();
            return condition();
        });
    }

private:
    HWND window_;
    std::shared_ptr<CWindowTasks> tasks_ = std::make_shared<CWindowTasks>();
};

class MyGamesControllerTest : public ::testing::Test {
protected:
    void SetUp() override {
        WriteFileBytes(folder_.File(L"UserGame.xml"), kTwoHandGames);
        list_.Load(folder_.Path());
        history_.Load(folder_.Path());
        controller_.LoadGames();
        // No request leaves the test: the service's ports may be another test's.
        controller_.strategyAddress = [](int gameId) { return L"http://pages.invalid/" + std::to_wstring(gameId); };
        alpha_ = *list_.FindByName(L"Alpha");
        beta_ = *list_.FindByName(L"龙之谷");
    }

    // Whether the game shown under this name answers the search.
    bool Matches(const std::wstring& name) const {
        const std::vector<GameRecord>& games = controller_.Games();
        for (size_t index = 0; index < games.size(); ++index)
            if (games[index].name == name) return controller_.Matches(index);
        ADD_FAILURE() << "not shown";
        return false;
    }

    TestFolder folder_;
    GameList list_;
    PlayHistory history_;
    MessageWindowTasks window_;
    MyGamesController controller_{list_, history_, window_.Tasks()};
    GameRecord alpha_;
    GameRecord beta_;
};

}  // namespace

TEST_F(MyGamesControllerTest, SelectionSearchRemovalAndActionsFollowThePagesRules) {
    int selectionChanges = 0;
    std::vector<std::wstring> added, removed;
    std::vector<GameProblem> problems;
    CSubscription s1 = controller_.OnSelectionChanged([&] { ++selectionChanges; });
    CSubscription s2 = controller_.OnGameAdded([&](const GameRecord& game) { added.push_back(game.name); });
    CSubscription s3 = controller_.OnGameRemoved([&](const GameRecord& game) { removed.push_back(game.name); });
    CSubscription s4 = controller_.OnProblem([&](GameProblem problem) { problems.push_back(problem); });
    ASSERT_EQ(controller_.Games().size(), list_.games.size());
    EXPECT_FALSE(controller_.Selected());

    // Nothing selected: the start button starts nothing.
    controller_.StartSelected();
    EXPECT_TRUE(problems.empty());

    controller_.Select(alpha_);
    EXPECT_EQ(selectionChanges, 1);
    EXPECT_EQ(controller_.Selected()->path, alpha_.path);
    EXPECT_EQ(controller_.SelectedPlay().lastStarted, 0u);

    // The search by pinyin initials hides the other games.
    controller_.Search(L" lzg ");
    EXPECT_FALSE(Matches(L"Alpha"));
    EXPECT_TRUE(Matches(L"龙之谷"));
    controller_.Search(L"");
    EXPECT_TRUE(Matches(L"Alpha"));

    // A favourite goes to the top of the column at once.
    int orderChanges = 0;
    CSubscription s5 = controller_.OnOrderChanged([&] { ++orderChanges; });
    controller_.SetFavourite(beta_, true);
    EXPECT_EQ(orderChanges, 1);
    EXPECT_TRUE(controller_.IsFavourite(beta_));
    EXPECT_EQ(controller_.Games()[controller_.ColumnOrder().front()].name, L"龙之谷");

    // A missing file is told for every action on it; nothing is recorded as played.
    controller_.StartSelected();
    controller_.Start(beta_);
    controller_.OpenFolder(alpha_);
    GameRecord installed{L"Gone", L"C:\\Missing\\gone.exe", L"\"C:\\Missing\\uninst.exe\" /S", 1, 3};
    controller_.Delete(installed);
    EXPECT_EQ(problems, std::vector<GameProblem>(4, GameProblem::FileMissing));
    EXPECT_EQ(history_.Find(alpha_.path).lastStarted, 0u);

    // Another game's going leaves the selection; the selected game's going clears it.
    controller_.Delete(beta_);
    EXPECT_EQ(removed, std::vector<std::wstring>{L"龙之谷"});
    EXPECT_EQ(selectionChanges, 1);
    EXPECT_FALSE(list_.FindByName(L"龙之谷")) << "a hand-added game leaves the list and its file";
    controller_.Delete(alpha_);
    EXPECT_EQ(selectionChanges, 2);
    EXPECT_FALSE(controller_.Selected());
    EXPECT_EQ(controller_.Games().size(), list_.games.size());
    GameList reread;
    reread.Load(folder_.Path());
    EXPECT_FALSE(reread.FindByName(L"Alpha"));
    controller_.Remove(alpha_);  // gone already: nothing happens
    EXPECT_EQ(removed.size(), 2u);

    // A game the add-game dialog stored comes at the end.
    controller_.AddGameButton(GameRecord{L"Gamma", L"C:\\Missing\\gamma.exe", L"", 0, 0});
    EXPECT_EQ(added, std::vector<std::wstring>{L"Gamma"});
    EXPECT_EQ(controller_.Games().back().name, L"Gamma");
    // The search reads the games as they are now.
    controller_.Search(L"gam");
    EXPECT_TRUE(Matches(L"Gamma"));
    for (size_t index = 0; index + 1 < controller_.Games().size(); ++index) EXPECT_FALSE(controller_.Matches(index));
}

TEST_F(MyGamesControllerTest, WorkerResultsReachOnlyTheLatestSelectionAndOutliveThePage) {
    std::vector<std::wstring> shownByPage, shownByWindow;
    std::vector<std::wstring> iconsByPage, iconsByWindow;
    auto page = std::make_unique<std::vector<CSubscription>>();
    page->push_back(controller_.OnStrategyPage(
        [&](const std::wstring& url, const NetworkLaneHold&) { shownByPage.push_back(url); }));
    page->push_back(controller_.OnIconLoaded([&](const std::wstring& path) { iconsByPage.push_back(path); }));
    CSubscription window = controller_.OnStrategyPage(
        [&](const std::wstring& url, const NetworkLaneHold&) { shownByWindow.push_back(url); });
    CSubscription icons = controller_.OnIconLoaded([&](const std::wstring& path) { iconsByWindow.push_back(path); });

    // A reply for an earlier selection is dropped: the one for the latest shows.
    controller_.Select(alpha_);
    controller_.Select(beta_);
    ASSERT_TRUE(window_.RunUntil([&] { return !shownByWindow.empty(); }));
    EXPECT_EQ(shownByPage, std::vector<std::wstring>{L"http://pages.invalid/12"});

    // The page goes while the workers still run: their results reach only what is left.
    controller_.ShowNoGamePage();
    controller_.LoadIcons(CGameButtonUI::kIconSize, PathsOf(controller_.Games()));
    page.reset();
    auto iconsKnown = [&] {
        for (const GameRecord& game : controller_.Games())
            if (!controller_.IsIconKnown(game.path)) return false;
        return true;
    };
    ASSERT_TRUE(window_.RunUntil([&] { return shownByWindow.size() == 2 && iconsKnown(); }));
    EXPECT_FALSE(iconsByWindow.empty());
    EXPECT_EQ(shownByWindow.back(), L"http://pages.invalid/0");
    EXPECT_EQ(shownByPage.size(), 1u);
    EXPECT_TRUE(iconsByPage.empty());
    EXPECT_TRUE(controller_.IsIconKnown(alpha_.path));
    EXPECT_EQ(controller_.Icon(alpha_.path), nullptr) << "a missing file has no icon";

    // A game started is timed until it ends; the selection hears of its start and of its end.
    const std::wstring path = folder_.File(L"game.exe");
    ASSERT_TRUE(CopyFileW(HostPathToWindows(RECORD_START_EXE).c_str(), path.c_str(), FALSE));
    controller_.Select(GameRecord{L"Started", path, L"", 0, 5});
    int playChanges = 0;
    CSubscription play = controller_.OnPlayHistoryChanged([&] { ++playChanges; });
    controller_.StartSelected();
    EXPECT_EQ(playChanges, 1);
    EXPECT_NE(controller_.SelectedPlay().lastStarted, 0u);
    ASSERT_TRUE(window_.RunUntil([&] { return playChanges == 2; }));
    EXPECT_NE(history_.Find(path).lastStarted, 0u);
}

namespace {

// The width of an icon's picture; 0 for none.
int IconWidth(HICON icon) {
    ICONINFO info{};
    if (!icon || !::GetIconInfo(icon, &info)) return 0;
    CBitmapHandle colour(info.hbmColor);
    CBitmapHandle mask(info.hbmMask);
    BITMAP bitmap{};
    ::GetObjectW(colour ? colour.Get() : mask.Get(), sizeof(bitmap), &bitmap);
    return bitmap.bmWidth;
}

}  // namespace

// A game's icon is read from its file at the size the window's DPI calls for (not stretched from
// the 96-DPI one), and read again when that size changes; the old one shows until then.
TEST_F(MyGamesControllerTest, IconsAreReadAtTheSizeAskedForAndAgainWhenItChanges) {
    const GameRecord demo{L"Demo", HostPathToWindows(DEMOGAME_EXE), L"", 0, 13};
    controller_.AddGameButton(demo);
    controller_.LoadIcons(CGameButtonUI::kIconSize, PathsOf(controller_.Games()));
    ASSERT_TRUE(window_.RunUntil([&] { return IconWidth(controller_.Icon(demo.path)) == CGameButtonUI::kIconSize; }));
    controller_.LoadIcons(2 * CGameButtonUI::kIconSize, PathsOf(controller_.Games()));
    EXPECT_EQ(IconWidth(controller_.Icon(demo.path)), CGameButtonUI::kIconSize);
    ASSERT_TRUE(window_.RunUntil([&] { return IconWidth(controller_.Icon(demo.path)) == 2 * CGameButtonUI::kIconSize; }));
    EXPECT_TRUE(controller_.IsIconKnown(alpha_.path)) << "the other games are read at the new size too";
}

// The icons of games long out of view go once more than the kept number were asked for; those of
// the games last asked for, the ones in view, never do, and one gone is read again when asked for.
TEST_F(MyGamesControllerTest, OnlyTheIconsOfTheGamesLastInViewAndTheMostRecentOthersAreKept) {
    auto paths = [](int first, int count) {
        std::vector<std::wstring> made;
        for (int game = first; game < first + count; ++game) made.push_back(L"C:\\Missing\\game" + std::to_wstring(game) + L".exe");
        return made;
    };
    auto known = [&](const std::vector<std::wstring>& asked) {
        return std::count_if(asked.begin(), asked.end(), [&](const std::wstring& path) { return controller_.IsIconKnown(path); });
    };
    const int kept = static_cast<int>(GameIcons::kKept);
    const std::vector<std::wstring> earlier = paths(0, kept);
    const std::vector<std::wstring> inView = paths(kept, 60);
    // Scrolled through one game at a time.
    for (const std::wstring& path : earlier) controller_.LoadIcons(CGameButtonUI::kIconSize, {path});
    ASSERT_TRUE(window_.RunUntil([&] { return known(earlier) == kept; }));
    controller_.LoadIcons(CGameButtonUI::kIconSize, inView);
    ASSERT_TRUE(window_.RunUntil([&] { return known(inView) == 60; }));
    EXPECT_EQ(known(earlier), kept - 60) << "the sixty asked for longest ago went";
    EXPECT_FALSE(controller_.IsIconKnown(earlier[59]));
    EXPECT_TRUE(controller_.IsIconKnown(earlier[60]));
    controller_.LoadIcons(CGameButtonUI::kIconSize, {earlier.front()});
    ASSERT_TRUE(window_.RunUntil([&] { return controller_.IsIconKnown(earlier.front()); }));
}
