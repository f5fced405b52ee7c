// The my-games page of the real program with five thousand hand-added games, played with the real
// pointer and keyboard: the column scrolls to its end, the game under the pointer is the one a
// click selects, the keys move a page at a time and the search finds one game among them all; a
// screen reader in this process counts every game in the column's list and selects one far from
// the view. Each selection is heard as the strategy request carrying the game's number.
#include <windows.h>
#include <oleacc.h>

#include <gtest/gtest.h>

#include <string>

#include "shared/ComPtr.h"
#include "tests/support/AccessibleClient.h"
#include "tests/support/DemoGamesProgramTest.h"

namespace {

constexpr int kHandGames = 5000;
constexpr int kFirstHandGameId = 10000;
// The three installed demo games come first.
constexpr int kInstalledGames = 3;
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

    // The column's list as a screen reader reaches it from the window.
    ComPtr<IAccessible> GameList(HWND window) {
        ComPtr<IAccessible> client = ClientObjectOf(window);
        LONG count = 0;
        if (!client || client->get_accChildCount(&count) != S_OK) return {};
        for (LONG id = 1; id <= count; ++id) {
            ScopedBstr name;
            ComPtr<IDispatch> child;
            ComPtr<IAccessible> list;
            if (client->get_accName(ChildId(id), name.Out()) == S_OK && name.Text() == L"游戏列表" &&
                client->get_accChild(ChildId(id), child.Out()) == S_OK &&
                SUCCEEDED(child->QueryInterface(IID_IAccessible, list.OutVoid())))
                return list;
        }
        return {};
    }

    std::wstring NameOf(IAccessible& list, LONG id) {
        ScopedBstr name;
        list.get_accName(ChildId(id), name.Out());
        return name.Text();
    }

    ScopedComApartment com_;
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

    // Every game is an item of the list, item N of M, built or not; the reader's default action
    // on one far from the view selects it.
    ComPtr<IAccessible> list = GameList(window);
    ASSERT_TRUE(list);
    LONG count = 0;
    ASSERT_EQ(list->get_accChildCount(&count), S_OK);
    EXPECT_GT(count, kInstalledGames + kHandGames) << "every game, then the list's other elements";
    EXPECT_EQ(NameOf(*list.Get(), kInstalledGames + 1), L"游戏 0");
    EXPECT_EQ(NameOf(*list.Get(), kInstalledGames + kHandGames), L"游戏 4999");
    EXPECT_EQ(NameOf(*list.Get(), kInstalledGames + kHandGames + 1), L"更多游戏");
    VARIANT role;
    ASSERT_EQ(list->get_accRole(ChildId(kInstalledGames + 2501), &role), S_OK);
    EXPECT_EQ(role.lVal, ROLE_SYSTEM_LISTITEM);
    ASSERT_EQ(list->accDoDefaultAction(ChildId(kInstalledGames + 2501)), S_OK);
    EXPECT_TRUE(Heard(HandGameRequest(2500)));
}
