// The main window of the real program: its title buttons, tray callback, hit test and the ways
// it ends, driven from outside with the messages a user's actions produce.
#include <windows.h>
#include <shellapi.h>
#include <oleacc.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/MainFrame.h"
#include "shared/ComPtr.h"
#include "tests/support/LudoraProcess.h"
#include "tests/support/ProgramWindows.h"
#include "tests/support/TestFolder.h"

namespace {

// The close button in the title bar, and points of the drag band and the page below it.
constexpr POINT kCloseButton{944, 12};
constexpr POINT kMinButton{904, 12};
constexpr POINT kEmptyBand{120, 60};
constexpr POINT kNavigationOption{275, 50};
constexpr POINT kPage{400, 300};
constexpr UINT kTrayCallback = 28;

void WriteSettings(const std::string& isColse) {
    ClearProgramData();
    CreateDirectoryW(ProgramDataFolder().c_str(), nullptr);
    CreateDirectoryW((ProgramDataFolder() + L"\\Patchs").c_str(), nullptr);
    WriteFileBytes(ProgramDataFolder() + L"\\config.xml",
                   "<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"yes\" ?>\n<SysSet><Setting AutoRun=\"0\" "
                   "IsColse=\"" + isColse +
                       "\" IsShow=\"0\" UpdateType=\"1\" NewsUrl=\"\" AdTime=\"\" NewsTime=\"\" /></SysSet>\n");
}

class MainFrameE2ETest : public ::testing::Test {
protected:
    // Starts the program shown with the close button set to `isColse`; its main window.
    HWND StartShown(const std::string& isColse) {
        WriteSettings(isColse);
        program_ = std::make_unique<LudoraProcess>(L"");
        HWND window = program_->WaitForWindow(MainFrame::kWindowClassName);
        if (window == nullptr) return nullptr;
        WaitUntil([window] { return IsWindowVisible(window) != FALSE; });
        // The controls are laid out at the first paint: then the drag band answers for its spacer.
        UpdateWindow(window);
        WaitUntil([window] { return HitTest(window, kEmptyBand) == HTCAPTION; });
        return window;
    }
    void TearDown() override {
        if (program_) program_->Terminate();
    }

    std::unique_ptr<LudoraProcess> program_;
};

}  // namespace

TEST_F(MainFrameE2ETest, TheCloseButtonHidesToTheTrayWhichShowsTheWindowAgain) {
    HWND window = StartShown("0");
    ASSERT_NE(window, nullptr);
    ClickByMessages(window, kCloseButton);
    ASSERT_TRUE(WaitUntil([window] { return !IsWindowVisible(window); }));
    // Only the program's own icon counts; 0 and 1 are what WM_ACTIVATEAPP carries there.
    SendMessageW(window, kTrayCallback, 1, WM_LBUTTONDOWN);
    SendMessageW(window, kTrayCallback, 100, WM_LBUTTONDOWN);
    SendMessageW(window, kTrayCallback, MainFrame::kTrayIconId, WM_MOUSEMOVE);
    EXPECT_FALSE(IsWindowVisible(window));
    SendMessageW(window, kTrayCallback, MainFrame::kTrayIconId, WM_LBUTTONDOWN);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(program_->WaitForExit(300), static_cast<DWORD>(STILL_ACTIVE));
}

TEST_F(MainFrameE2ETest, TheTrayIconComesBackWhenTheTaskbarIsCreatedAgain) {
    HWND window = StartShown("0");
    ASSERT_NE(window, nullptr);
    ClickByMessages(window, kCloseButton);
    ASSERT_TRUE(WaitUntil([window] { return !IsWindowVisible(window); }));
    ASSERT_TRUE(WaitUntil([window] { return TrayHasIcon(window); }));
    // Explorer's restart, as the program sees it: its icon is gone, then the shell announces itself.
    NOTIFYICONDATAW record = TrayRecord(window);
    ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, &record));
    ASSERT_FALSE(TrayHasIcon(window));
    SendMessageW(window, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_TRUE(TrayHasIcon(window));
}

TEST_F(MainFrameE2ETest, TheMinimiseButtonMinimisesAndTheTrayLeavesAMinimisedWindowAlone) {
    HWND window = StartShown("0");
    ASSERT_NE(window, nullptr);
    ClickByMessages(window, kMinButton);
    ASSERT_TRUE(WaitUntil([window] { return IsIconic(window) != FALSE; }));
    SendMessageW(window, kTrayCallback, MainFrame::kTrayIconId, WM_LBUTTONDOWN);
    EXPECT_TRUE(IsIconic(window));
}

TEST_F(MainFrameE2ETest, TheCloseButtonEndsTheProgramWhenSetToQuit) {
    HWND window = StartShown("1");
    ASSERT_NE(window, nullptr);
    ClickByMessages(window, kCloseButton);
    EXPECT_EQ(program_->WaitForExit(), 0u);
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(MainFrameE2ETest, TheSystemCloseCommandEndsTheProgramWhateverTheCloseButtonDoes) {
    HWND window = StartShown("0");
    ASSERT_NE(window, nullptr);
    PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(program_->WaitForExit(), 0u);
}

TEST_F(MainFrameE2ETest, TheTopBandDragsTheWindowExceptOnButtonsAndOptions) {
    HWND window = StartShown("0");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(HitTest(window, kEmptyBand), HTCAPTION);
    EXPECT_EQ(HitTest(window, kCloseButton), HTCLIENT);
    EXPECT_EQ(HitTest(window, kNavigationOption), HTCLIENT);
    EXPECT_EQ(HitTest(window, kPage), HTCLIENT);
    RECT client{};
    GetClientRect(window, &client);
    EXPECT_EQ(client.right - client.left, 970);
    EXPECT_EQ(client.bottom - client.top, 660);
}

TEST_F(MainFrameE2ETest, TheTrayMenuOpensAtTheCursorAndShowsTheHiddenWindow) {
    HWND window = StartShown("0");
    ASSERT_NE(window, nullptr);
    ClickByMessages(window, kCloseButton);
    ASSERT_TRUE(WaitUntil([window] { return !IsWindowVisible(window); }));
    // The display's one cursor is shared with the other tests: it is read, never moved.
    POINT cursor{};
    GetCursorPos(&cursor);
    SendMessageW(window, kTrayCallback, MainFrame::kTrayIconId, WM_RBUTTONUP);
    HWND menu = WaitForMenu(program_->Id());
    ASSERT_NE(menu, nullptr);
    RECT rect{};
    GetWindowRect(menu, &rect);
    // Near the screen's top or left edge the menu is moved back onto the screen.
    if (cursor.x >= rect.right - rect.left && cursor.y >= rect.bottom - rect.top) {
        EXPECT_EQ(rect.right, cursor.x);
        EXPECT_EQ(rect.bottom, cursor.y);
    }
    ClickMenuItem(menu, 0);
    EXPECT_TRUE(WaitUntil([window] { return IsWindowVisible(window) != FALSE; }));
}

TEST_F(MainFrameE2ETest, QuitInTheTrayMenuEndsTheProgramThoughTheCloseButtonHides) {
    HWND window = StartShown("0");
    ASSERT_NE(window, nullptr);
    SendMessageW(window, kTrayCallback, MainFrame::kTrayIconId, WM_RBUTTONUP);
    HWND menu = WaitForMenu(program_->Id());
    ASSERT_NE(menu, nullptr);
    ClickMenuItem(menu, 2);
    EXPECT_EQ(program_->WaitForExit(), 0u);
}

TEST_F(MainFrameE2ETest, TheMenuButtonOpensTheMainMenuBelowItWhoseQuitEndsTheProgram) {
    HWND window = StartShown("0");
    ASSERT_NE(window, nullptr);
    ClickByMessages(window, kMainMenuButton);
    HWND menu = WaitForMenu(program_->Id());
    ASSERT_NE(menu, nullptr);
    RECT rect{};
    GetWindowRect(menu, &rect);
    POINT below{0, 0};
    ClientToScreen(window, &below);
    EXPECT_EQ(rect.top, below.y + 25);
    EXPECT_GT(rect.left, below.x + 800);
    ClickMenuItem(menu, 2);
    EXPECT_EQ(program_->WaitForExit(), 0u);
}

// The pointer that opens the menu rests on the button: its tooltip would lie over the menu's
// first entry. Real pointer input, so that the system's hover tracking runs as for a user.
TEST_F(MainFrameE2ETest, TheMenuButtonsTooltipStaysAwayWhileItsMenuIsOpenAndComesBackAfter) {
    HWND window = StartShown("0");
    ASSERT_NE(window, nullptr);
    const DWORD id = program_->Id();
    const auto tooltipShown = [id] { return !VisibleWindows(id, L"tooltips_class32").empty(); };
    // A click that lands while the window is still becoming the foreground one is lost with the
    // menu it opened, so it is repeated.
    const auto openMenu = [window, id] {
        HWND menu = nullptr;
        for (int attempt = 0; attempt < 3 && menu == nullptr; ++attempt) {
            SetForegroundWindow(window);
            WaitUntil([window] { return GetForegroundWindow() == window; }, 2000);
            LeftClick(window, kMainMenuButton);
            WaitUntil([&] { return (menu = FindProcessWindow(id, L"MenuWnd")) != nullptr && IsWindowVisible(menu); },
                      3000);
        }
        return menu;
    };
    const auto closeMenu = [](HWND menu) {
        PressKey(VK_ESCAPE);
        return WaitUntil([menu] { return !IsWindow(menu); });
    };
    // Several hover times for each menu: the hover armed by the pointer's arrival comes meanwhile.
    constexpr DWORD kRestMs = 2000;

    // Clicked at once: the hover comes while the menu is open.
    HWND menu = openMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_FALSE(WaitUntil(tooltipShown, kRestMs)) << "a tooltip over the open menu";
    EXPECT_TRUE(IsWindowVisible(menu));
    ASSERT_TRUE(closeMenu(menu));

    // Once the menu is gone, the next hover over the button shows its tooltip again.
    POINT nearby{kMainMenuButton.x + 3, kMainMenuButton.y + 2};
    ClientToScreen(window, &nearby);
    SetCursorPos(nearby.x, nearby.y);
    ASSERT_TRUE(WaitUntil(tooltipShown)) << "no tooltip after the menu closed";

    // Clicked with the tooltip up: it goes with the press and stays away while the menu is open.
    menu = openMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_FALSE(WaitUntil(tooltipShown, kRestMs)) << "the tooltip stayed or came back over the menu";
    EXPECT_TRUE(IsWindowVisible(menu));
    EXPECT_TRUE(closeMenu(menu));
}

TEST_F(MainFrameE2ETest, SettingsInTheTrayMenuFirstBringsTheWindowBackThenOpensOverIt) {
    HWND window = StartShown("0");
    ASSERT_NE(window, nullptr);
    ClickByMessages(window, kCloseButton);
    ASSERT_TRUE(WaitUntil([window] { return !IsWindowVisible(window); }));
    SendMessageW(window, kTrayCallback, MainFrame::kTrayIconId, WM_RBUTTONUP);
    HWND menu = WaitForMenu(program_->Id());
    ASSERT_NE(menu, nullptr);
    ClickMenuItem(menu, 1);
    HWND settings = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (settings = FindProcessWindow(program_->Id(), L"SystemSetWnd")) != nullptr; }));
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(GetWindow(settings, GW_OWNER), window);
}

// A screen reader in another process reads the window's controls through the system's
// accessibility calls: the start button is a push button at the place it is drawn.
TEST_F(MainFrameE2ETest, AScreenReaderFindsTheStartButton) {
    HWND window = StartShown("0");
    ASSERT_NE(window, nullptr);
    ScopedComApartment com;
    ComPtr<IAccessible> client;
    ASSERT_EQ(AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible, client.OutVoid()),
              S_OK);
    LONG count = 0;
    ASSERT_EQ(client->get_accChildCount(&count), S_OK);
    LONG startId = 0;
    for (LONG id = 1; id <= count && startId == 0; ++id) {
        VARIANT child{};
        child.vt = VT_I4;
        child.lVal = id;
        ScopedBstr name;
        if (client->get_accName(child, name.Out()) == S_OK && name.Text() == L"开始游戏") startId = id;
    }
    ASSERT_NE(startId, 0);
    VARIANT child{};
    child.vt = VT_I4;
    child.lVal = startId;
    VARIANT role{};
    ASSERT_EQ(client->get_accRole(child, &role), S_OK);
    EXPECT_EQ(role.lVal, ROLE_SYSTEM_PUSHBUTTON);
    LONG left = 0, top = 0, width = 0, height = 0;
    ASSERT_EQ(client->accLocation(&left, &top, &width, &height, child), S_OK);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    EXPECT_GT(left, origin.x);
    EXPECT_GT(top, origin.y);
    EXPECT_GT(width, 0);
    EXPECT_GT(height, 0);
}
