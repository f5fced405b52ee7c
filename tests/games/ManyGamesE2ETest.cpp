// The my-games page of the real program with five thousand hand-added games, played with the real
// pointer and keyboard: the column scrolls to its end, the game under the pointer is the one a
// click selects, the keys move a page at a time and the search finds one game among them all. Each
// selection is heard as the strategy request carrying the game's number.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/support/DemoGamesProgramTest.h"

namespace {

constexpr int kHandGames = 5000;
constexpr int kFirstHandGameId = 10000;
// Scrolled to its end, the column (y 172 to 630 of the window's client area) ends with the last
// game, 15 pixels, "moregame", 15 pixels and the 30-pixel spacer; the buttons stand 45 pixels apart.
constexpr int kLastRowCentreAtEnd = 630 - 30 - 15 - 30 - 15 - 15;
constexpr int kRowPitch = 45;

std::string StrategyRequest(int id) { return "act=getGongLue&ID=" + std::to_string(id); }
std::string HandGameRequest(int game) { return StrategyRequest(kFirstHandGameId + game); }

class ManyGamesE2ETest : public DemoGamesProgramTest {
protected:
    void SetUp() override {
        DemoGamesProgramTest::SetUp();
        std::string list = "<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"yes\" ?>\n<UserGame>";
        for (int game = 0; game < kHandGames; ++game)
            list += "<Game name=\"" + Utf8(L"游戏 " + std::to_wstring(game)) + "\" path=\"" + Utf8(games_.HandGame()) +
                    "\" type=\"0\" id=\"" + std::to_string(kFirstHandGameId + game) + "\" />";
        WriteFileBytes(ProgramDataFolder() + L"\\UserGame.xml", list + "</UserGame>\n");
    }

    bool Heard(const std::string& request) {
        return WaitUntil([&] { return service_.CountRequests(request.c_str()) > 0; }, 5000);
    }
};

}  // namespace

TEST_F(ManyGamesE2ETest, TheColumnScrollsSelectsAndFiltersFiveThousandGamesUnderTheRealPointer) {
    HWND window = Start();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(page_->Select(0, service_, "act=getGongLue&ID=11"));

    // End goes to the last game and scrolls the column to its end.
    PressKey(VK_END);
    ASSERT_TRUE(Heard(HandGameRequest(kHandGames - 1)));
    // The game under the pointer, far down the list, is the one the click selects.
    LeftClick(window, POINT{MyGamesPage::GameButton(0).x, kLastRowCentreAtEnd - 4 * kRowPitch});
    ASSERT_TRUE(Heard(HandGameRequest(kHandGames - 5)));
    // Page Up moves ten games up (a page of the column), Home to the first.
    PressKey(VK_PRIOR);
    ASSERT_TRUE(Heard(HandGameRequest(kHandGames - 15)));
    PressKey(VK_UP);
    ASSERT_TRUE(Heard(HandGameRequest(kHandGames - 16)));
    PressKey(VK_HOME);
    // Selected again after the demo game's first selection: the second request for it.
    EXPECT_TRUE(WaitUntil([&] { return service_.CountRequests("act=getGongLue&ID=11") == 2; }, 5000));
    // The pointer finds the first rows where they always were.
    ASSERT_TRUE(page_->Select(3, service_, HandGameRequest(0).c_str()));

    // Typing finds one game among them all; the first button is that game, no second one.
    LeftClick(window, MyGamesPage::SearchField());
    TypeText(L"4321");
    ASSERT_TRUE(WaitUntil([&] { return !page_->OpensAMenu(MyGamesPage::GameButton(1)); }, 5000));
    ASSERT_TRUE(page_->Select(0, service_, HandGameRequest(4321).c_str()));
    EXPECT_EQ(service_.CountRequests(HandGameRequest(4320).c_str()), 0);

    // Escape gives every game back.
    LeftClick(window, MyGamesPage::SearchField());
    PressKey(VK_ESCAPE);
    EXPECT_TRUE(WaitUntil([&] { return page_->OpensAMenu(MyGamesPage::GameButton(5)); }, 5000));
}
