// Window tests of the paint manager: a real window whose procedure hands its messages to the
// manager, driven with SendMessage, PostMessage and (where the input stack matters) SendInput.
#include "UiLib/core/UIManager.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "UiLib/layouts/UIVerticalLayout.h"
#include "tests/UiLib/core/ManagerWindow.h"

using namespace UiLib;

namespace {

constexpr int kWidth = 300;
constexpr int kHeight = 200;

// Five rows of 40 pixels: three buttons, a label before the second button and a plain control.
class ManagerTest : public ::testing::Test {
protected:
    ManagerTest() : window(kWidth, kHeight) {
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
    uint32_t OffscreenRgb(int x, int y) const { return window.manager.GetOffscreenSurface().PixelAt(x, y) & 0xFFFFFF; }

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
    EXPECT_EQ(OffscreenRgb(150, 20), 0xFF0000u);
    EXPECT_EQ(OffscreenRgb(150, 100), 0x00FF00u);
    EXPECT_EQ(OffscreenRgb(150, 140), 0x0000FFu);

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

}  // namespace
