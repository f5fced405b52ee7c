// A player who has only the keyboard: real key presses to the foreground window, no pointer input
// at all. One walk: the settings changed, a game's menu opened and closed, the game started, a game
// added by hand, the settings window opened and closed and the program quit through the main menu.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/support/DemoGamesProgramTest.h"

namespace {

// The main window's tab stops in order from the first one, the menu button, which has the focus
// once the window is up: the minimise and close buttons, the five tabs, then on the my-games page
// the add-game button, the search field, the games, "moregame" and the start button.
constexpr int kTabsToAddGame = 8;
constexpr int kTabsToSearch = 9;
constexpr int kMoreThanTheTabStops = 24;

class KeyboardWalkE2ETest : public DemoGamesProgramTest {
protected:
    static void PressTimes(WORD key, int times, WORD modifier = 0) {
        for (int press = 0; press < times; ++press) PressKey(key, modifier);
    }
    // Shift+Tab does not go round: enough of them end on the first stop.
    static void BackToTheFirstStop() { PressTimes(VK_TAB, kMoreThanTheTabStops, VK_SHIFT); }
    // A game the program started takes the foreground; the player switches back.
    static bool BringBack(HWND window) {
        SetForegroundWindow(window);
        return WaitUntil([&] { return GetForegroundWindow() == window; }, 5000);
    }
    // The keys go to the foreground window: the new window takes them once it is there.
    bool WaitForWindowOf(const wchar_t* className) {
        return WaitUntil(
            [&] {
                HWND shown = FindProcessWindow(program_->Id(), className);
                return shown != nullptr && GetForegroundWindow() == shown;
            },
            5000);
    }
    bool WaitForNoWindowOf(const wchar_t* className) {
        return WaitUntil([&] { return FindProcessWindow(program_->Id(), className) == nullptr; }, 5000);
    }
    // A closed menu hands the foreground back to the window it belongs to, which takes the next keys.
    bool WaitForMenuClosedOver(HWND window) {
        return WaitForNoWindowOf(L"MenuWnd") && WaitUntil([&] { return GetForegroundWindow() == window; }, 5000);
    }
};

}  // namespace

TEST_F(KeyboardWalkE2ETest, StartsAndAddsAGameOpensTheSettingsAndQuitsWithTheKeyboardOnly) {
    HWND window = Start();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(BringBack(window));

    // The menu button has the focus: Enter opens the main menu, Escape closes it and gives the
    // focus back to the button.
    PressKey(VK_RETURN);
    ASSERT_TRUE(WaitForWindowOf(L"MenuWnd")) << "Enter on the menu button";
    PressKey(VK_ESCAPE);
    ASSERT_TRUE(WaitForMenuClosedOver(window));

    // The menu's first entry opens the settings window. Its tab stops: close, the two page tabs,
    // the check boxes and options of the page shown, OK and cancel. Space opens the second page,
    // whose first control, the first of its four orders, takes the focus; two Tabs on, Space
    // chooses the third, and two Tabs on, OK saves: the column orders by last played from now on.
    PressKey(VK_RETURN);
    ASSERT_TRUE(WaitForWindowOf(L"MenuWnd"));
    PressKey(VK_DOWN);
    PressKey(VK_RETURN);
    ASSERT_TRUE(WaitForWindowOf(L"SystemSetWnd")) << "the settings entry by the keyboard";
    PressTimes(VK_TAB, 2);
    PressKey(VK_SPACE);
    PressTimes(VK_TAB, 2);
    PressKey(VK_SPACE);
    PressTimes(VK_TAB, 2);
    PressKey(VK_SPACE);
    ASSERT_TRUE(WaitForNoWindowOf(L"SystemSetWnd")) << "Space on OK";
    EXPECT_NE(ReadFileBytes(ProgramDataFolder() + L"\\PlayHistory.xml").find("order=\"lastPlayed\""),
              std::string::npos);
    ASSERT_TRUE(BringBack(window));

    // Tab reaches the search field; Down moves into the games and on to the second one, whose
    // strategy page is asked for. Shift+F10 opens its menu and Escape closes it again; opened
    // again, Down and Enter take its first entry, which starts the game.
    BackToTheFirstStop();
    PressTimes(VK_TAB, kTabsToSearch);
    PressTimes(VK_DOWN, 2);
    EXPECT_TRUE(WaitUntil([&] { return service_.CountRequests("act=getGongLue&ID=12") > 0; }, 5000)) << "Down";
    PressKey(VK_F10, VK_SHIFT);
    ASSERT_TRUE(WaitForWindowOf(L"MenuWnd")) << "Shift+F10 on a game";
    PressKey(VK_ESCAPE);
    ASSERT_TRUE(WaitForMenuClosedOver(window)) << "Escape in the game's menu";
    PressKey(VK_F10, VK_SHIFT);
    ASSERT_TRUE(WaitForWindowOf(L"MenuWnd")) << "Shift+F10 again, the focus back on the game";
    PressKey(VK_DOWN);
    PressKey(VK_RETURN);
    ASSERT_TRUE(WaitUntil([&] { return FileExists(games_.Folder(2) + L"\\started.txt"); })) << "the run entry";
    // The player ends the game once its window is there and comes back: the game's window takes
    // the foreground after it shows, so switching back before it would lose to it.
    ASSERT_TRUE(WaitUntil([] { return FindWindowW(L"LudoraDemoGame", nullptr) != nullptr; }));
    DemoGames::EndRunning();
    ASSERT_TRUE(BringBack(window));

    // Back at the first stop, Tab reaches the add-game button; its dialog is filled and confirmed
    // with the keyboard. Its tab stops: close, path, browse, name, OK.
    BackToTheFirstStop();
    PressTimes(VK_TAB, kTabsToAddGame);
    PressKey(VK_RETURN);
    ASSERT_TRUE(WaitForWindowOf(L"AddGameManualWnd")) << "Enter on the add-game button after a game started";
    PressKey(VK_TAB);
    TypeText(games_.HandGame());
    PressTimes(VK_TAB, 2);
    TypeText(L"KeyGame");
    PressKey(VK_TAB);
    PressKey(VK_RETURN);
    ASSERT_TRUE(WaitForNoWindowOf(L"AddGameManualWnd")) << "Enter on OK";
    EXPECT_NE(ReadFileBytes(ProgramDataFolder() + L"\\UserGame.xml").find("KeyGame"), std::string::npos);
    ASSERT_TRUE(BringBack(window));

    // Shift+Tab goes back to the menu button, the first stop; the settings window opened again
    // closes on Escape as on its close button.
    BackToTheFirstStop();
    PressKey(VK_RETURN);
    ASSERT_TRUE(WaitForWindowOf(L"MenuWnd"));
    PressKey(VK_DOWN);
    PressKey(VK_RETURN);
    ASSERT_TRUE(WaitForWindowOf(L"SystemSetWnd")) << "the settings entry by the keyboard";
    PressKey(VK_ESCAPE);
    ASSERT_TRUE(WaitForNoWindowOf(L"SystemSetWnd")) << "Escape in the settings window";
    ASSERT_TRUE(BringBack(window));

    // Shift+Tab stops at the first stop, the menu button; the menu's last entry quits.
    BackToTheFirstStop();
    PressKey(VK_RETURN);
    ASSERT_TRUE(WaitForWindowOf(L"MenuWnd"));
    PressTimes(VK_DOWN, 3);
    PressKey(VK_RETURN);
    EXPECT_EQ(WaitForSingleObject(program_->Handle(), 10000), WAIT_OBJECT_0) << "the quit entry by the keyboard";
}
