// A player who has only the keyboard: real key presses to the foreground window, no pointer input
// at all: adding a game by hand, the settings window opened and closed and quitting through the
// main menu; starting a game.
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
    bool WaitForWindowOf(const wchar_t* className) {
        return WaitUntil([&] { return FindProcessWindow(program_->Id(), className) != nullptr; }, 5000);
    }
    bool WaitForNoWindowOf(const wchar_t* className) {
        return WaitUntil([&] { return FindProcessWindow(program_->Id(), className) == nullptr; }, 5000);
    }
};

}  // namespace

TEST_F(KeyboardWalkE2ETest, AddsAGameOpensTheSettingsAndQuitsWithTheKeyboardOnly) {
    HWND window = Start();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(BringBack(window));

    // The menu button has the focus: Enter opens the main menu, Escape closes it and gives the
    // focus back to the button.
    PressKey(VK_RETURN);
    ASSERT_TRUE(WaitForWindowOf(L"MenuWnd")) << "Enter on the menu button";
    PressKey(VK_ESCAPE);
    ASSERT_TRUE(WaitForNoWindowOf(L"MenuWnd"));

    // Tab reaches the add-game button; its dialog is filled and confirmed with the keyboard. Its
    // tab stops: close, path, browse, name, OK.
    PressTimes(VK_TAB, kTabsToAddGame);
    PressKey(VK_RETURN);
    ASSERT_TRUE(WaitForWindowOf(L"AddGameManualWnd")) << "Enter on the add-game button";
    PressKey(VK_TAB);
    TypeText(games_.HandGame());
    PressTimes(VK_TAB, 2);
    TypeText(L"KeyGame");
    PressKey(VK_TAB);
    PressKey(VK_RETURN);
    ASSERT_TRUE(WaitForNoWindowOf(L"AddGameManualWnd")) << "Enter on OK";
    EXPECT_NE(ReadFileBytes(ProgramDataFolder() + L"\\UserGame.xml").find("KeyGame"), std::string::npos);
    ASSERT_TRUE(BringBack(window));

    // Shift+Tab goes back to the menu button, the first stop; the menu's first entry opens the
    // settings window, and Escape closes it as its close button does.
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

TEST_F(KeyboardWalkE2ETest, StartsAGameWithTheKeyboardOnly) {
    HWND window = Start();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(BringBack(window));

    // From the first stop, which has the focus once the window is up, Tab reaches the search
    // field; Down moves into the games and on to the second one, whose strategy page is asked
    // for; Enter starts it.
    PressTimes(VK_TAB, kTabsToSearch);
    PressTimes(VK_DOWN, 2);
    EXPECT_TRUE(WaitUntil([&] { return service_.CountRequests("act=getGongLue&ID=12") > 0; }, 5000)) << "Down";
    PressKey(VK_RETURN);
    EXPECT_TRUE(WaitUntil([&] { return FileExists(games_.Folder(2) + L"\\started.txt"); })) << "Enter on a game";
    // Its window comes after the file; the game is ended once it is there.
    EXPECT_TRUE(WaitUntil([] { return FindWindowW(L"LudoraDemoGame", nullptr) != nullptr; }));
}
