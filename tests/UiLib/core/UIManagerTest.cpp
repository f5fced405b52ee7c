// Window tests of the paint manager: a real window whose procedure hands its messages to the
// manager, driven with SendMessage, PostMessage and (where the input stack matters) SendInput.
#include "UiLib/core/UIManager.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "UiLib/controls/UIButton.h"
#include "UiLib/controls/UILabel.h"
#include "UiLib/layouts/UIVerticalLayout.h"
#include "tests/UiLib/core/ManagerWindow.h"
#include "tests/UiLib/support/TestCanvas.h"
#include "tests/support/WindowPixels.h"

using namespace UiLib;

namespace {

// Away from the corner where other test programs put their windows.
constexpr int kLeft = 700;
constexpr int kTop = 500;
constexpr int kWidth = 300;
constexpr int kHeight = 200;

// Five rows of 40 pixels: three buttons, a label before the second button and a plain control.
class ManagerTest : public ::testing::Test {
protected:
    ManagerTest() : window(RECT{kLeft, kTop, kLeft + kWidth, kTop + kHeight}) {
        auto root = std::make_unique<CVerticalLayoutUI>();
        layout = root.get();
        layout->SetBkColor(0xFF0000FF);
        first = Add<ClickProbe>(L"name=\"first\" height=\"40\" bkcolor=\"#FFFF0000\" shortcut=\"s\"");
        label = Add<LabelProbe>(L"name=\"label\" height=\"40\" shortcut=\"N\"");
        second = Add<ClickProbe>(L"name=\"second\" height=\"40\" bkcolor=\"#FF00FF00\" tooltip=\"提示文字\"");
        plain = Add<EventLog>(L"name=\"plain\" height=\"40\"");
        third = Add<ClickProbe>(L"name=\"third\" height=\"40\"");
        window.manager.AttachDialog(std::move(root));
        window.manager.AddNotifier(&notes);
    }

    template <typename Control>
    Control* Add(const wchar_t* attributes) {
        auto control = std::make_unique<Control>();
        control->ApplyAttributeList(attributes);
        Control* raw = control.get();
        layout->Add(std::move(control));
        return raw;
    }

    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        return ::SendMessageW(window.Get(), message, wParam, lParam);
    }
    void Post(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        ::PostMessageW(window.Get(), message, wParam, lParam);
        window.Pump();
    }
    uint32_t PaintedRgb(int x, int y) const { return ClientRgb(window.Get(), x, y); }

    ManagerWindow window;
    NotifyLog notes;
    CVerticalLayoutUI* layout;
    ClickProbe* first;
    LabelProbe* label;
    ClickProbe* second;
    EventLog* plain;
    ClickProbe* third;
};

TEST_F(ManagerTest, FirstPaintLaysOutFocusesTheFirstTabStopAndDoubleBuffers) {
    window.Show();
    EXPECT_EQ(notes.Count(L"windowinit"), 1);
    EXPECT_EQ(layout->GetPos().right, kWidth);
    EXPECT_EQ(layout->GetPos().bottom, kHeight);
    EXPECT_EQ(window.manager.GetFocus(), first);
    ASSERT_TRUE(window.manager.GetOffscreenSurface().IsValid());
    EXPECT_EQ(window.manager.GetOffscreenSurface().Width(), kWidth);
    EXPECT_EQ(PaintedRgb(150, 20), 0xFF0000u);
    EXPECT_EQ(PaintedRgb(150, 100), 0x00FF00u);
    EXPECT_EQ(PaintedRgb(150, 140), 0x0000FFu);

    ::InvalidateRect(window.Get(), nullptr, FALSE);
    window.Pump();
    EXPECT_EQ(notes.Count(L"windowinit"), 1) << "sent on the first layout only";
}

TEST_F(ManagerTest, PressAndReleaseOverAButtonClicksItAndMovesTheFocus) {
    window.Show();
    Send(WM_LBUTTONDOWN, MK_LBUTTON, ClientPoint(20, 90));
    EXPECT_EQ(window.manager.GetFocus(), second);
    EXPECT_TRUE(window.manager.IsCaptured());
    EXPECT_EQ(::GetCapture(), window.Get());
    Send(WM_LBUTTONUP, 0, ClientPoint(25, 95));
    EXPECT_FALSE(window.manager.IsCaptured());
    EXPECT_EQ(::GetCapture(), nullptr);
    EXPECT_EQ(notes.Count(L"click"), 1);
    EXPECT_EQ(notes.received.back().pSender, second);
    EXPECT_EQ(notes.received.back().ptMouse.x, 25);
    EXPECT_EQ(second->Last(UIEVENT_BUTTONDOWN)->wKeyState, MK_LBUTTON);
}

TEST_F(ManagerTest, APressReleasedOutsideTheButtonStillEndsThereButSendsNoClick) {
    window.Show();
    Send(WM_LBUTTONDOWN, MK_LBUTTON, ClientPoint(20, 90));
    Send(WM_MOUSEMOVE, MK_LBUTTON, ClientPoint(20, 180));
    EXPECT_EQ(second->Count(UIEVENT_MOUSEMOVE), 1) << "the captured control follows the mouse";
    EXPECT_EQ(third->Count(UIEVENT_MOUSEMOVE), 0);
    EXPECT_EQ(third->Count(UIEVENT_MOUSEENTER), 1) << "hover follows the mouse all the same";
    Send(WM_LBUTTONUP, 0, ClientPoint(20, 180));
    EXPECT_EQ(second->Count(UIEVENT_BUTTONUP), 1);
    EXPECT_EQ(third->Count(UIEVENT_BUTTONUP), 0);
    EXPECT_EQ(notes.Count(L"click"), 0);
    EXPECT_FALSE(window.manager.IsCaptured());
}

TEST_F(ManagerTest, HoverMovesBetweenControlsAndLeavesWithTheMouse) {
    window.Show();
    Send(WM_MOUSEMOVE, 0, ClientPoint(10, 10));
    Send(WM_MOUSEMOVE, 0, ClientPoint(12, 12));
    EXPECT_EQ(first->Count(UIEVENT_MOUSEENTER), 1);
    EXPECT_EQ(first->Count(UIEVENT_MOUSEMOVE), 2);
    Send(WM_MOUSEMOVE, 0, ClientPoint(10, 130));
    EXPECT_EQ(first->Count(UIEVENT_MOUSELEAVE), 1);
    EXPECT_EQ(first->Last(UIEVENT_MOUSELEAVE)->pSender, plain) << "the leave names where the mouse went";
    EXPECT_EQ(plain->Count(UIEVENT_MOUSEENTER), 1);
    Send(WM_MOUSELEAVE);
    EXPECT_EQ(plain->Count(UIEVENT_MOUSELEAVE), 1);
    Send(WM_MOUSEMOVE, 0, ClientPoint(10, 130));
    EXPECT_EQ(plain->Count(UIEVENT_MOUSEENTER), 2) << "coming back is a new enter";
}

TEST_F(ManagerTest, DoubleClickGoesToTheControlWithoutFocusingItAndCapturesIt) {
    window.Show();
    Send(WM_LBUTTONDBLCLK, MK_LBUTTON, ClientPoint(200, 170));
    EXPECT_EQ(third->Count(UIEVENT_DBLCLICK), 1);
    EXPECT_EQ(window.manager.GetFocus(), first);
    EXPECT_TRUE(window.manager.IsCaptured());
    Send(WM_LBUTTONUP, 0, ClientPoint(200, 170));
    EXPECT_EQ(third->Count(UIEVENT_BUTTONUP), 1);
    EXPECT_FALSE(window.manager.IsCaptured());
}

TEST_F(ManagerTest, RightClickFocusesAndTheContextMenuGoesToThePressedControl) {
    window.Show();
    Send(WM_RBUTTONDOWN, MK_RBUTTON, ClientPoint(30, 170));
    EXPECT_EQ(window.manager.GetFocus(), third);
    EXPECT_EQ(third->Count(UIEVENT_RBUTTONDOWN), 1);
    POINT screen = ToScreen(window.Get(), POINT{31, 171});
    Send(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(window.Get()), MAKELPARAM(screen.x, screen.y));
    const UiEvent* menu = third->Last(UIEVENT_CONTEXTMENU);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->lParam, reinterpret_cast<LPARAM>(third));
    EXPECT_EQ(menu->ptMouse.x, 31);
    EXPECT_EQ(menu->ptMouse.y, 171);
    EXPECT_FALSE(window.manager.IsCaptured());
    Send(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(window.Get()), MAKELPARAM(screen.x, screen.y));
    EXPECT_EQ(third->Count(UIEVENT_CONTEXTMENU), 1) << "only a pressed control gets one";
}

TEST_F(ManagerTest, WheelGoesToTheControlUnderTheMouse) {
    window.Show();
    POINT screen = ToScreen(window.Get(), POINT{100, 130});
    Send(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), MAKELPARAM(screen.x, screen.y));
    Send(WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), MAKELPARAM(screen.x, screen.y));
    ASSERT_EQ(plain->Count(UIEVENT_SCROLLWHEEL), 2);
    EXPECT_EQ(plain->events[0].wParam, static_cast<WPARAM>(SB_LINEDOWN));
    EXPECT_EQ(plain->Last(UIEVENT_SCROLLWHEEL)->wParam, static_cast<WPARAM>(SB_LINEUP));
    EXPECT_EQ(first->Count(UIEVENT_SCROLLWHEEL), 0) << "not the focused control";
}

TEST_F(ManagerTest, KeysGoToTheFocusedControlAndKeyUpToTheOneThatSawKeyDown) {
    window.Show();
    Post(WM_KEYDOWN, 'A');
    Post(WM_CHAR, L'a');
    ASSERT_EQ(first->Count(UIEVENT_KEYDOWN), 1);
    EXPECT_EQ(first->Last(UIEVENT_KEYDOWN)->chKey, L'A');
    EXPECT_EQ(first->Last(UIEVENT_CHAR)->chKey, L'a');
    second->SetFocus();
    Post(WM_KEYUP, 'A');
    EXPECT_EQ(first->Count(UIEVENT_KEYUP), 1);
    EXPECT_EQ(second->Count(UIEVENT_KEYUP), 0);
}

TEST_F(ManagerTest, TabWalksTheVisibleEnabledTabStopsAndWraps) {
    plain->SetEnabled(false);
    window.Show();
    ASSERT_EQ(window.manager.GetFocus(), first);
    Post(WM_KEYDOWN, VK_TAB);
    EXPECT_EQ(window.manager.GetFocus(), second) << "the label is no tab stop";
    third->SetVisible(false);
    window.Pump();
    Post(WM_KEYDOWN, VK_TAB);
    EXPECT_EQ(window.manager.GetFocus(), first) << "from the last visible tab stop back to the first";
    EXPECT_EQ(second->Count(UIEVENT_KEYDOWN), 0) << "Tab is consumed before dispatch";

    BYTE keys[256];
    ::GetKeyboardState(keys);
    keys[VK_SHIFT] = 0x80;
    ::SetKeyboardState(keys);
    Post(WM_KEYDOWN, VK_TAB);
    EXPECT_EQ(window.manager.GetFocus(), first) << "nothing precedes the first tab stop";
    second->SetFocus();
    Post(WM_KEYDOWN, VK_TAB);
    EXPECT_EQ(window.manager.GetFocus(), first);
    keys[VK_SHIFT] = 0;
    ::SetKeyboardState(keys);
    EXPECT_EQ(notes.Count(L"setfocus"), 5);
}

TEST_F(ManagerTest, AltShortcutFocusesAndActivatesAndALabelPassesItOn) {
    window.Show();
    second->SetFocus();
    Post(WM_SYSCHAR, L's');
    EXPECT_EQ(window.manager.GetFocus(), first);
    EXPECT_EQ(notes.Count(L"click"), 1);
    EXPECT_EQ(notes.received.back().pSender, first);

    Post(WM_SYSCHAR, L'n');
    EXPECT_EQ(window.manager.GetFocus(), second) << "the label's shortcut leads to the control after it";
    EXPECT_EQ(notes.received.back().pSender, second);
    EXPECT_EQ(label->Count(UIEVENT_SETFOCUS), 0);

    Post(WM_SYSKEYDOWN, VK_F10);
    EXPECT_EQ(second->Last(UIEVENT_SYSKEY)->chKey, VK_F10);
}

TEST_F(ManagerTest, ControlTimersFireUntilKilledAndKeepDistinctIdentifiers) {
    window.Show();
    ASSERT_TRUE(window.manager.SetTimer(plain, 7, 10));
    ASSERT_TRUE(window.PumpUntil([&] { return plain->Count(UIEVENT_TIMER) >= 2; }, 3000));
    EXPECT_EQ(plain->Last(UIEVENT_TIMER)->wParam, 7u);
    EXPECT_EQ(notes.received.back().sType, L"timer");
    ASSERT_TRUE(window.manager.KillTimer(plain, 7));
    window.Pump();
    int ticks = plain->Count(UIEVENT_TIMER);
    window.PumpUntil([] { return false; }, 100);
    EXPECT_EQ(plain->Count(UIEVENT_TIMER), ticks) << "a killed timer stays quiet";

    // Identifiers cycle below 255: after the counter has wrapped, live timers still never share one.
    for (UINT id = 1; id <= 100; ++id) ASSERT_TRUE(window.manager.SetTimer(third, id, 60000));
    for (int cycle = 0; cycle < 200; ++cycle) {
        ASSERT_TRUE(window.manager.SetTimer(plain, 500, 60000));
        window.manager.KillTimers(plain);
    }
    ASSERT_TRUE(window.manager.SetTimer(second, 1, 60000));
    int ofThird = 0;
    int ofSecond = 0;
    for (UINT nativeId = 0; nativeId < 256; ++nativeId) {
        CControlUI* owner = nullptr;
        UINT localId = 0;
        if (!window.manager.FindTimer(nativeId, owner, localId)) continue;
        ofThird += owner == third;
        ofSecond += owner == second;
    }
    EXPECT_EQ(ofThird, 100);
    EXPECT_EQ(ofSecond, 1);
}

TEST_F(ManagerTest, QueuedNotificationsArriveAfterTheMessageThatQueuedThem) {
    window.Show();
    bool queuedSeenDuringClick = false;
    notes.hook = [&](UiNotify& msg) {
        if (msg.sType != L"click") return;
        window.manager.SendNotify(msg.pSender, L"later", 5, 6, true);
        queuedSeenDuringClick = notes.Count(L"later") > 0;
    };
    Send(WM_LBUTTONDOWN, MK_LBUTTON, ClientPoint(20, 20));
    Send(WM_LBUTTONUP, 0, ClientPoint(20, 20));
    EXPECT_FALSE(queuedSeenDuringClick);
    ASSERT_EQ(notes.Count(L"later"), 1);
    EXPECT_EQ(notes.received.back().sType, L"later");
    EXPECT_EQ(notes.received.back().wParam, 5u);
    EXPECT_EQ(notes.received.back().pSender, first);
}

TEST_F(ManagerTest, RealPointerHoversShowsTheTooltipAndLeaves) {
    window.Show();
    ::SetCursorPos(5, 5);
    window.Pump();
    SendMouseMove(ToScreen(window.Get(), POINT{150, 100}));
    ASSERT_TRUE(window.PumpUntil([&] { return second->Count(UIEVENT_MOUSEHOVER) > 0; }, 5000));
    EXPECT_EQ(second->Count(UIEVENT_MOUSEENTER), 1);
    HWND tip = window.manager.GetTooltipWindow();
    ASSERT_NE(tip, nullptr);
    wchar_t className[64] = {};
    ::GetClassNameW(tip, className, 64);
    EXPECT_STREQ(className, L"tooltips_class32");
    EXPECT_EQ(::GetWindow(tip, GW_OWNER), window.Get());
    wchar_t text[64] = {};
    TOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.hwnd = window.Get();
    tool.uId = reinterpret_cast<UINT_PTR>(window.Get());
    tool.lpszText = text;
    ::SendMessageW(tip, TTM_GETTEXTW, 64, reinterpret_cast<LPARAM>(&tool));
    EXPECT_STREQ(text, L"提示文字");

    // With the tooltip present, the next hover waits for the tooltip's own initial delay.
    SendMouseMove(ToScreen(window.Get(), POINT{160, 100}));
    window.PumpUntil([&] { return second->Count(UIEVENT_MOUSEMOVE) >= 2; }, 2000);
    TRACKMOUSEEVENT query{sizeof(query), TME_QUERY, nullptr, 0};
    ::TrackMouseEvent(&query);
    EXPECT_EQ(query.dwHoverTime, static_cast<DWORD>(::SendMessageW(tip, TTM_GETDELAYTIME, TTDT_INITIAL, 0)));

    // Pressing the control hides its tooltip, which would otherwise cover what the press opens.
    ASSERT_TRUE(window.PumpUntil([&] { return ::IsWindowVisible(tip) != FALSE; }, 3000));
    SendLeftButton(true);
    window.PumpUntil([&] { return second->Count(UIEVENT_BUTTONDOWN) > 0; }, 3000);
    EXPECT_FALSE(::IsWindowVisible(tip));
    SendLeftButton(false);
    window.Pump();

    SendMouseMove(POINT{5, 5});
    ASSERT_TRUE(window.PumpUntil([&] { return second->Count(UIEVENT_MOUSELEAVE) > 0; }, 5000));
}

TEST_F(ManagerTest, ACapturedControlThatGoesAwayStillLetsTheCaptureGo) {
    window.Show();
    Send(WM_LBUTTONDOWN, MK_LBUTTON, ClientPoint(20, 90));
    ASSERT_EQ(::GetCapture(), window.Get());
    std::unique_ptr<CControlUI> removed = layout->Remove(second);
    removed.reset();
    Send(WM_LBUTTONUP, 0, ClientPoint(25, 95));
    EXPECT_FALSE(window.manager.IsCaptured());
    EXPECT_EQ(::GetCapture(), nullptr);
    EXPECT_EQ(notes.Count(L"click"), 0);

    Send(WM_RBUTTONDOWN, MK_RBUTTON, ClientPoint(20, 140));
    ASSERT_EQ(::GetCapture(), window.Get());
    removed = layout->Remove(third);
    removed.reset();
    POINT screen = ToScreen(window.Get(), POINT{20, 140});
    Send(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(window.Get()), MAKELPARAM(screen.x, screen.y));
    EXPECT_EQ(::GetCapture(), nullptr);
}

TEST_F(ManagerTest, RealPressDraggedOutOfTheWindowStaysCapturedAndSendsNoClick) {
    window.Show();
    // Only the foreground window's capture holds the pointer outside it.
    ::SetForegroundWindow(window.Get());
    window.Pump();
    SendMouseMove(ToScreen(window.Get(), POINT{150, 100}));
    window.PumpUntil([&] { return second->Count(UIEVENT_MOUSEENTER) > 0; }, 3000);
    SendLeftButton(true);
    ASSERT_TRUE(window.PumpUntil([&] { return second->Count(UIEVENT_BUTTONDOWN) > 0; }, 3000));
    EXPECT_EQ(window.manager.GetFocus(), second);
    SendMouseMove(POINT{kLeft - 100, kTop - 100});
    ASSERT_TRUE(window.PumpUntil([&] { return second->Last(UIEVENT_MOUSEMOVE)->ptMouse.x == -100; }, 3000))
        << "moves outside the window still reach the captured control";
    SendLeftButton(false);
    ASSERT_TRUE(window.PumpUntil([&] { return second->Count(UIEVENT_BUTTONUP) > 0; }, 3000));
    EXPECT_EQ(notes.Count(L"click"), 0);
    EXPECT_EQ(::GetCapture(), nullptr);
}

TEST_F(ManagerTest, SetCursorAsksOnlyControlsThatWantItAndNotWhileCaptured) {
    window.Show();
    const LPARAM inClient = MAKELPARAM(HTCLIENT, WM_MOUSEMOVE);
    POINT overSecond = ToScreen(window.Get(), POINT{150, 100});
    ::SetCursorPos(overSecond.x, overSecond.y);
    EXPECT_EQ(Send(WM_SETCURSOR, reinterpret_cast<WPARAM>(window.Get()), inClient), TRUE);
    ASSERT_EQ(second->Count(UIEVENT_SETCURSOR), 1);
    EXPECT_EQ(second->Last(UIEVENT_SETCURSOR)->ptMouse.y, 100);

    POINT overPlain = ToScreen(window.Get(), POINT{150, 140});
    ::SetCursorPos(overPlain.x, overPlain.y);
    window.passedOn.clear();
    Send(WM_SETCURSOR, reinterpret_cast<WPARAM>(window.Get()), inClient);
    EXPECT_EQ(plain->Count(UIEVENT_SETCURSOR), 0);
    EXPECT_EQ(window.passedOn, std::vector<UINT>{WM_SETCURSOR}) << "the window's own cursor applies";

    ::SetCursorPos(overSecond.x, overSecond.y);
    Send(WM_LBUTTONDOWN, MK_LBUTTON, ClientPoint(150, 100));
    EXPECT_EQ(Send(WM_SETCURSOR, reinterpret_cast<WPARAM>(window.Get()), inClient), TRUE);
    EXPECT_EQ(second->Count(UIEVENT_SETCURSOR), 1);
    Send(WM_LBUTTONUP, 0, ClientPoint(150, 100));
}

TEST_F(ManagerTest, ShowDirtyOutlinesTheRepaintedAreaOnScreenOnly) {
    window.Show();
    window.manager.SetShowUpdateRect(true);
    RECT dirty{100, 85, 150, 115};
    ::InvalidateRect(window.Get(), &dirty, FALSE);
    ::UpdateWindow(window.Get());
    CWindowDC screen(window.Get());
    EXPECT_EQ(::GetPixel(screen.Get(), 100, 100), RGB(220, 0, 0));
    EXPECT_EQ(::GetPixel(screen.Get(), 120, 100), RGB(0, 255, 0));
    const uint32_t buffered = window.manager.GetOffscreenSurface().PixelAt(100, 100 - dirty.top) & 0xFFFFFF;
    EXPECT_EQ(buffered, 0x00FF00u) << "the outline is not part of the picture";
}

// The window is double-buffered a band of rows at a time; a rounded control across the border of
// two bands is clipped alike in both.
TEST_F(ManagerTest, PaintingBandByBandDrawsWhatOneWholePaintDraws) {
    plain->ApplyAttributeList(L"bkcolor=\"#FF808000\" bordersize=\"3\" bordercolor=\"#FF000000\" borderround=\"16,16\"");
    window.Show();
    const LONG rows = window.manager.GetOffscreenSurface().Height();
    ASSERT_GT(rows, 0);
    ASSERT_NE(plain->GetPos().top / rows, (plain->GetPos().bottom - 1) / rows) << "the control crosses a band border";
    TestCanvas whole(kWidth, kHeight);
    Send(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(whole.DC()), PRF_CLIENT);
    TestCanvas painted(kWidth, kHeight);
    {
        CWindowDC screen(window.Get());
        ::BitBlt(painted.DC(), 0, 0, kWidth, kHeight, screen.Get(), 0, 0, SRCCOPY);
    }
    int differing = 0;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) differing += painted.Rgb(x, y) != whole.Rgb(x, y);
    EXPECT_EQ(differing, 0);
}

TEST_F(ManagerTest, ResizingLaysOutAgainOnANewSurface) {
    window.Show();
    ::SetWindowPos(window.Get(), nullptr, kLeft, kTop, 400, 250, SWP_NOZORDER | SWP_NOACTIVATE);
    ::UpdateWindow(window.Get());
    EXPECT_EQ(layout->GetPos().right, 400);
    EXPECT_EQ(layout->GetPos().bottom, 250);
    EXPECT_EQ(window.manager.GetOffscreenSurface().Width(), 400);
    EXPECT_EQ(PaintedRgb(390, 20), 0xFF0000u);
    EXPECT_EQ(first->Count(UIEVENT_WINDOWSIZE), 1) << "the focused control hears of it";
}

TEST_F(ManagerTest, PrintClientPaintsTheTreeIntoTheGivenDC) {
    window.Show();
    TestCanvas canvas(kWidth, kHeight, 0xFFFFFF);
    Send(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.DC()), PRF_CLIENT);
    EXPECT_EQ(canvas.Rgb(10, 10), 0xFF0000u);
    EXPECT_EQ(canvas.Rgb(10, 90), 0x00FF00u);
}

TEST_F(ManagerTest, WindowAttributesReachTheWindow) {
    window.manager.SetMinInfo(120, 90);
    window.manager.SetMaxInfo(640, 0);
    MINMAXINFO info{};
    info.ptMaxTrackSize = POINT{5000, 4000};
    Send(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMinTrackSize.x, 120);
    EXPECT_EQ(info.ptMinTrackSize.y, 90);
    EXPECT_EQ(info.ptMaxTrackSize.x, 640);
    EXPECT_EQ(info.ptMaxTrackSize.y, 4000) << "zero leaves the system's value";

    window.manager.SetTransparent(128);
    BYTE alpha = 0;
    DWORD flags = 0;
    EXPECT_TRUE(::GetWindowLongPtrW(window.Get(), GWL_EXSTYLE) & WS_EX_LAYERED);
    ASSERT_TRUE(::GetLayeredWindowAttributes(window.Get(), nullptr, &alpha, &flags));
    EXPECT_EQ(alpha, 128);
    EXPECT_EQ(flags, static_cast<DWORD>(LWA_ALPHA));
    window.manager.SetTransparent(300);
    EXPECT_EQ(window.manager.GetTransparent(), 255);
    EXPECT_FALSE(::GetWindowLongPtrW(window.Get(), GWL_EXSTYLE) & WS_EX_LAYERED) << "out of range: opaque again";

    window.manager.SetInitSize(250, 150);
    RECT bounds{};
    ::GetWindowRect(window.Get(), &bounds);
    EXPECT_EQ(bounds.right - bounds.left, kWidth) << "a window with a root keeps its size";
}

TEST(ManagerInitSize, AWindowWithoutARootTakesTheInitialSizeAtOnce) {
    ManagerWindow window(RECT{kLeft, kTop, kLeft + 100, kTop + 100});
    window.manager.SetInitSize(300, 170);
    RECT bounds{};
    ::GetWindowRect(window.Get(), &bounds);
    EXPECT_EQ(bounds.left, kLeft);
    EXPECT_EQ(bounds.right - bounds.left, 300);
    EXPECT_EQ(bounds.bottom - bounds.top, 170);
}

class ConsumeMessage : public IMessageFilterUI {
public:
    explicit ConsumeMessage(UINT message) : message_(message) {}
    LRESULT MessageHandler(UINT message, WPARAM, LPARAM, bool& handled) override {
        ++seen;
        handled = message == message_;
        return handled ? 42 : 0;
    }
    int seen = 0;

private:
    UINT message_;
};

class Accelerator : public ITranslateAccelerator {
public:
    explicit Accelerator(LRESULT answer) : answer_(answer) {}
    LRESULT TranslateAccelerator(MSG* msg) override {
        asked.push_back(msg->message);
        return answer_;
    }
    std::vector<UINT> asked;

private:
    LRESULT answer_;
};

TEST_F(ManagerTest, FiltersSeeMessagesFirstAndCanEndThem) {
    window.Show();
    ConsumeMessage filter(WM_USER + 5);
    window.manager.AddMessageFilter(&filter);
    window.passedOn.clear();
    EXPECT_EQ(Send(WM_USER + 5), 42);
    EXPECT_TRUE(window.passedOn.empty());
    Send(WM_USER + 6);
    EXPECT_EQ(window.passedOn, std::vector<UINT>{WM_USER + 6});
    window.manager.RemoveMessageFilter(&filter);

    ConsumeMessage keys(WM_KEYDOWN);
    window.manager.AddPreMessageFilter(&keys);
    Post(WM_KEYDOWN, 'B');
    EXPECT_EQ(first->Count(UIEVENT_KEYDOWN), 0) << "consumed before dispatch";
    Send(WM_KEYDOWN, 'B');
    EXPECT_EQ(first->Count(UIEVENT_KEYDOWN), 1) << "pre-message filters only see the message loop";
    window.manager.RemovePreMessageFilter(&keys);

    Accelerator consuming(0);
    window.manager.AddTranslateAccelerator(&consuming);
    Post(WM_CHAR, L'x');
    EXPECT_EQ(consuming.asked, std::vector<UINT>{WM_CHAR});
    EXPECT_EQ(first->Count(UIEVENT_CHAR), 0);
    window.manager.RemoveTranslateAccelerator(&consuming);
    // Every accelerator is asked in turn, the second browser of a window as well as the first.
    Accelerator passing(1);
    Accelerator second(0);
    window.manager.AddTranslateAccelerator(&passing);
    window.manager.AddTranslateAccelerator(&second);
    Post(WM_CHAR, L'y');
    EXPECT_EQ(second.asked, std::vector<UINT>{WM_CHAR});
    EXPECT_EQ(first->Count(UIEVENT_CHAR), 0);
    window.manager.RemoveTranslateAccelerator(&second);
    Post(WM_KEYDOWN, VK_TAB);
    EXPECT_EQ(window.manager.GetFocus(), this->second) << "then the pre-message handler decides";
    window.manager.RemoveTranslateAccelerator(&passing);
}

TEST_F(ManagerTest, MessageLoopPreTranslatesUntilQuit) {
    window.Show();
    ::PostMessageW(window.Get(), WM_KEYDOWN, VK_TAB, 0);
    ::PostMessageW(window.Get(), WM_CHAR, L'q', 0);
    ::PostQuitMessage(3);
    EXPECT_EQ(CPaintManagerUI::MessageLoop(), 3);
    EXPECT_EQ(window.manager.GetFocus(), second);
    EXPECT_EQ(second->Count(UIEVENT_KEYDOWN), 0);
    EXPECT_EQ(second->Last(UIEVENT_CHAR)->chKey, L'q');
}

// A child window that answers reflected messages and records them.
class ChildWindow {
public:
    explicit ChildWindow(HWND parent) {
        window_ = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 250, 0, 40, 40, parent, nullptr,
                                    ::GetModuleHandleW(nullptr), nullptr);
        ::SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        previous_ = reinterpret_cast<WNDPROC>(
            ::SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ChildWindow::Proc)));
    }
    ~ChildWindow() { ::DestroyWindow(window_); }
    HWND Get() const { return window_; }
    std::vector<UINT> reflected;

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<ChildWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        if (message >= WM_USER + 0x1C00 && message < WM_USER + 0x1C00 + 0x200) {
            self->reflected.push_back(message);
            return 77;
        }
        return ::CallWindowProcW(self->previous_, window, message, wParam, lParam);
    }
    HWND window_;
    WNDPROC previous_;
};

TEST_F(ManagerTest, ChildWindowsGetTheirMessagesReflectedAndTheirKeysPreTranslated) {
    window.Show();
    ChildWindow child(window.Get());
    EXPECT_EQ(Send(WM_COMMAND, MAKEWPARAM(1, EN_CHANGE), reinterpret_cast<LPARAM>(child.Get())), 77);
    NMHDR header{child.Get(), 1, NM_CLICK};
    EXPECT_EQ(Send(WM_NOTIFY, 1, reinterpret_cast<LPARAM>(&header)), 77);
    EXPECT_EQ(Send(WM_CTLCOLOREDIT, 0, reinterpret_cast<LPARAM>(child.Get())), 77);
    EXPECT_EQ(child.reflected,
              (std::vector<UINT>{0x2000 + WM_COMMAND, 0x2000 + WM_NOTIFY, 0x2000 + WM_CTLCOLOREDIT}));

    MSG tab{child.Get(), WM_KEYDOWN, VK_TAB, 0, 0, {0, 0}};
    EXPECT_TRUE(CPaintManagerUI::TranslateMessage(&tab)) << "the parent's manager takes the child's Tab";
    EXPECT_EQ(window.manager.GetFocus(), second);
    MSG elsewhere{::GetDesktopWindow(), WM_KEYDOWN, VK_TAB, 0, 0, {0, 0}};
    EXPECT_FALSE(CPaintManagerUI::TranslateMessage(&elsewhere));
}

TEST_F(ManagerTest, FrameworkMessagesRestyleCleanUpAndAreIgnored) {
    window.Show();
    window.passedOn.clear();
    Send(CPaintManagerUI::kIgnoredMessage);
    Send(CPaintManagerUI::kStyleChangedMessage);
    EXPECT_TRUE(window.passedOn.empty());
    for (EventLog* control : {static_cast<EventLog*>(first), static_cast<EventLog*>(label), plain})
        EXPECT_EQ(control->Count(UIEVENT_STYLECHANGE), 1);

    window.manager.AddDelayedCleanup(layout->Remove(plain));
    EXPECT_EQ(window.manager.DelayedCleanupCount(), 1u);
    window.Pump();
    EXPECT_EQ(window.manager.DelayedCleanupCount(), 0u);
}

TEST(ManagerClose, ClosingEndsHoverAndPressAndHandsTheFocusToTheOwner) {
    ManagerWindow owner(RECT{kLeft, kTop, kLeft + 100, kTop + 100});
    ManagerWindow dialog(RECT{kLeft + 20, kTop + 20, kLeft + 220, kTop + 120}, WS_POPUP, owner.Get());
    auto root = std::make_unique<CVerticalLayoutUI>();
    auto hovered = std::make_unique<ClickProbe>();
    hovered->SetFixedHeight(50);
    auto pressed = std::make_unique<ClickProbe>();
    ClickProbe* hoveredRaw = hovered.get();
    ClickProbe* pressedRaw = pressed.get();
    root->Add(std::move(hovered));
    root->Add(std::move(pressed));
    dialog.manager.AttachDialog(std::move(root));
    owner.Show();
    dialog.Show();
    ::SendMessageW(dialog.Get(), WM_LBUTTONDOWN, MK_LBUTTON, ClientPoint(10, 80));
    ::SendMessageW(dialog.Get(), WM_MOUSEMOVE, MK_LBUTTON, ClientPoint(10, 10));
    ASSERT_EQ(dialog.manager.GetFocus(), pressedRaw);

    ::SendMessageW(dialog.Get(), WM_CLOSE, 0, 0);
    EXPECT_EQ(hoveredRaw->Count(UIEVENT_MOUSELEAVE), 1);
    EXPECT_EQ(pressedRaw->Count(UIEVENT_BUTTONUP), 1);
    EXPECT_EQ(dialog.manager.GetFocus(), nullptr);
    EXPECT_EQ(::GetFocus(), owner.Get());
    EXPECT_FALSE(::IsWindow(dialog.Get())) << "the window closes as usual";
}

// A pop-up (a sub-menu) shares the resources of the window it opens from: the window's default
// font, fonts by index and handle, attribute lists and colours are its own, and they stay while
// either of the two uses them.
TEST(ManagerResources, APopUpSharesTheResourcesOfItsWindowWhileEitherLives) {
    auto window = std::make_unique<CPaintManagerUI>();
    CPaintManagerUI menu;
    window->SetDefaultFont(L"Arial", 17, false, false, false);
    HFONT bold = window->AddFont(L"Arial", 14, true, false, false);
    window->AddDefaultAttributeList(L"Button", L"height=\"30\"");
    window->SetDefaultLinkFontColor(0xFF00FF00);
    menu.ShareResources(window->GetSharedResources());
    EXPECT_EQ(menu.GetFont(-1), window->GetFont(-1)) << "the window's default font";
    EXPECT_EQ(menu.GetFontInfo(-1).size, 17);
    EXPECT_EQ(menu.GetFont(0), bold) << "and its fonts by index";
    EXPECT_EQ(menu.FindFont(L"arial", 14, true, false, false), bold);
    EXPECT_EQ(menu.GetFontInfo(bold).bold, true);
    EXPECT_EQ(menu.GetDefaultAttributeList(L"Button"), L"height=\"30\"");
    EXPECT_EQ(menu.GetDefaultLinkFontColor(), 0xFF00FF00u);

    auto label = std::make_unique<CLabelUI>();
    label->SetFont(0);
    CLabelUI* labelRaw = label.get();
    menu.AttachDialog(std::move(label));
    EXPECT_EQ(labelRaw->EstimateSize(SIZE{100, 100}).cy, window->GetFontInfo(0).tm.tmHeight + 4)
        << "a control of the pop-up measures with the window's font";

    std::weak_ptr<CSkinResources> shared = window->GetSharedResources();
    window.reset();
    ASSERT_FALSE(shared.expired()) << "the pop-up still uses them";
    EXPECT_EQ(menu.GetFontInfo(0).size, 14);
    menu.ShareResources(std::make_shared<CSkinResources>());
    EXPECT_TRUE(shared.expired()) << "gone with the last user";
    EXPECT_EQ(menu.FontCount(), 0);
}

}  // namespace

// Moving the pointer onto a button and off it again repaints that button's rectangle and no more.
TEST(ManagerHover, TheHoveredButtonAloneIsRepainted) {
    ManagerWindow window{RECT{0, 0, 200, 120}};
    auto layout = std::make_unique<CVerticalLayoutUI>();
    std::vector<CButtonUI*> buttons;
    for (int i = 0; i < 3; ++i) {
        auto button = std::make_unique<CButtonUI>();
        button->ApplyAttributeList(L"height=\"40\" bkcolor=\"#FF0000FF\" hotbkcolor=\"#FFFF0000\"");
        buttons.push_back(button.get());
        layout->Add(std::move(button));
    }
    window.manager.AttachDialog(std::move(layout));
    window.Show();
    const auto dirtyAfterMoveTo = [&](int x, int y) {
        ::ValidateRect(window.Get(), nullptr);
        ::SendMessageW(window.Get(), WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
        RECT dirty{};
        ::GetUpdateRect(window.Get(), &dirty, FALSE);
        return dirty;
    };
    const RECT middle = buttons[1]->GetPos();
    RECT dirty = dirtyAfterMoveTo(20, 60);
    EXPECT_TRUE(::EqualRect(&middle, &dirty));
    RECT bottom = buttons[2]->GetPos();
    RECT both{};
    ::UnionRect(&both, &middle, &bottom);
    dirty = dirtyAfterMoveTo(20, 100);
    EXPECT_TRUE(::EqualRect(&both, &dirty)) << "the button left and the button entered";
}
