// Window tests: a real window whose WM_PAINT paints the control tree through its manager.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "UiLib/core/UIManager.h"
#include "UiLib/layouts/UIVerticalLayout.h"
#include "UiLib/render/ScopedDC.h"
#include "tests/UiLib/support/TestCanvas.h"

using namespace UiLib;

namespace {

class Recorder : public INotifyUI {
public:
    void Notify(UiNotify& msg) override { received.push_back(msg); }
    std::vector<UiNotify> received;
};

// A top-level window that hands painting, deferred deletion and timers to its manager.
class PaintWindow {
public:
    PaintWindow() {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = &PaintWindow::Proc;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"UiLibPaintWindowTest";
        windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        ::RegisterClassW(&windowClass);
        window_ = ::CreateWindowExW(0, windowClass.lpszClassName, L"paint", WS_POPUP, 50, 50, 200, 120, nullptr,
                                    nullptr, windowClass.hInstance, this);
        manager.Init(window_);
    }
    ~PaintWindow() { ::DestroyWindow(window_); }

    HWND Get() const { return window_; }

    void Show() {
        ::ShowWindow(window_, SW_SHOWNOACTIVATE);
        ::UpdateWindow(window_);
        Pump();
    }

    // Handles what is queued for the window, waiting at most `milliseconds` for more.
    void Pump(DWORD milliseconds = 0) {
        DWORD until = ::GetTickCount() + milliseconds;
        MSG msg;
        do {
            while (::PeekMessageW(&msg, window_, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
            if (milliseconds) ::Sleep(5);
        } while (::GetTickCount() < until);
    }

    uint32_t ScreenRgb(int x, int y) const {
        CWindowDC dc(window_);
        COLORREF color = ::GetPixel(dc.Get(), x, y);
        return (GetRValue(color) << 16) | (GetGValue(color) << 8) | GetBValue(color);
    }

    CPaintManagerUI manager;

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE)
            ::SetWindowLongPtrW(window, GWLP_USERDATA,
                                reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
        auto* self = reinterpret_cast<PaintWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        if (!self) return ::DefWindowProcW(window, message, wParam, lParam);
        switch (message) {
        case WM_PAINT: {
            RECT client;
            ::GetClientRect(window, &client);
            CPaintDC dc(window);
            self->manager.Paint(dc.Get(), client, dc.PaintRect());
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;
        case CPaintManagerUI::kDelayedCleanupMessage:
            self->manager.RunDelayedCleanup();
            return 0;
        case WM_TIMER: {
            CControlUI* control = nullptr;
            UINT timerId = 0;
            if (!self->manager.FindTimer(static_cast<UINT>(wParam), control, timerId)) break;
            UiEvent event;
            event.Type = UIEVENT_TIMER;
            event.wParam = timerId;
            control->Event(event);
            return 0;
        }
        default:
            break;
        }
        return ::DefWindowProcW(window, message, wParam, lParam);
    }

    HWND window_ = nullptr;
};

class PaintWindowTest : public ::testing::Test {
protected:
    PaintWindowTest() {
        auto owned = std::make_unique<CVerticalLayoutUI>();
        root = owned.get();
        root->SetBkColor(0xFF0000FF);
        root->SetInset(RECT{10, 10, 10, 10});
        auto box = std::make_unique<CControlUI>();
        box->ApplyAttributeList(L"name=\"box\" height=\"40\" bkcolor=\"#FFFF0000\"");
        child = box.get();
        root->Add(std::move(box));
        window.manager.AttachDialog(std::move(owned));
        window.manager.AddNotifier(&recorder);
    }

    PaintWindow window;
    Recorder recorder;
    CVerticalLayoutUI* root;
    CControlUI* child;
};

}  // namespace

TEST_F(PaintWindowTest, FirstPaintLaysOutTheTreeAndShowsIt) {
    window.Show();
    EXPECT_EQ(root->GetPos().right, 200);
    EXPECT_EQ(window.ScreenRgb(5, 5), 0x0000FFu);
    EXPECT_EQ(window.ScreenRgb(100, 30), 0xFF0000u);
    EXPECT_EQ(window.ScreenRgb(100, 80), 0x0000FFu);
    ASSERT_FALSE(recorder.received.empty());
    EXPECT_EQ(recorder.received.front().sType, L"windowinit");
}

TEST_F(PaintWindowTest, ChangingAControlInvalidatesOnlyItsRectangle) {
    window.Show();
    child->SetBkColor(0xFF00FF00);
    RECT dirty;
    ASSERT_TRUE(::GetUpdateRect(window.Get(), &dirty, FALSE));
    EXPECT_EQ(dirty.left, 10);
    EXPECT_EQ(dirty.top, 10);
    EXPECT_EQ(dirty.right, 190);
    EXPECT_EQ(dirty.bottom, 50);
    ::UpdateWindow(window.Get());
    EXPECT_EQ(window.ScreenRgb(100, 30), 0x00FF00u);

    child->SetVisible(false);
    ::UpdateWindow(window.Get());
    EXPECT_EQ(window.ScreenRgb(100, 30), 0x0000FFu) << "the hidden control's area is repainted by its parent";
}

TEST_F(PaintWindowTest, RemovedControlsAreDeletedWhenTheWindowGetsTheCleanUpMessage) {
    window.Show();
    window.manager.AddDelayedCleanup(root->Remove(child));
    EXPECT_EQ(window.manager.DelayedCleanupCount(), 1u);
    window.Pump();
    EXPECT_EQ(window.manager.DelayedCleanupCount(), 0u);
    EXPECT_EQ(window.manager.FindControl(L"box"), nullptr);
}

TEST_F(PaintWindowTest, ControlTimersGetTheirOwnNativeIdentifiers) {
    window.Show();
    ASSERT_TRUE(window.manager.SetTimer(child, 5, 10));
    ASSERT_TRUE(window.manager.SetTimer(child, 6, 1000));
    EXPECT_FALSE(window.manager.SetTimer(child, 5, 10)) << "a live timer is left alone";
    CControlUI* control = nullptr;
    UINT timerId = 0;
    EXPECT_TRUE(window.manager.FindTimer(17, control, timerId));
    EXPECT_EQ(timerId, 5u);
    EXPECT_TRUE(window.manager.FindTimer(18, control, timerId));
    EXPECT_EQ(timerId, 6u);

    window.Pump(200);
    ASSERT_FALSE(recorder.received.empty());
    EXPECT_EQ(recorder.received.back().sType, L"timer");
    EXPECT_EQ(recorder.received.back().wParam, 5u);

    EXPECT_TRUE(window.manager.KillTimer(child, 5));
    EXPECT_FALSE(window.manager.FindTimer(17, control, timerId));
    EXPECT_TRUE(window.manager.SetTimer(child, 5, 10)) << "a killed timer is re-armed";
    EXPECT_TRUE(window.manager.FindTimer(17, control, timerId)) << "with its old identifier";
    window.manager.KillTimers(child);
    EXPECT_FALSE(window.manager.FindTimer(18, control, timerId));
}

// The manager scales the skin by the DPI the system reports for its window (the prefix's LogPixels
// under Wine); a host without a window draws the skin as written.
TEST_F(PaintWindowTest, TheManagerScalesByItsWindowsDpi) {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void (*)()>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    ASSERT_NE(getDpiForWindow, nullptr) << "Wine provides GetDpiForWindow";
    EXPECT_EQ(window.manager.GetDpiScale().Dpi(), static_cast<int>(getDpiForWindow(window.Get())));

    CPaintManagerUI windowless;
    EXPECT_TRUE(windowless.GetDpiScale().IsIdentity());
}

namespace {

class TabStop : public CControlUI {
public:
    UINT GetControlFlags() const override { return UIFLAG_TABSTOP; }
};

// Three red tab stops, 40 pixels high, one below the other in the blue root.
class FocusMarkTest : public PaintWindowTest {
protected:
    FocusMarkTest() {
        window.manager.AddDelayedCleanup(root->Remove(child));
        for (CControlUI*& stop : stops) {
            auto owned = std::make_unique<TabStop>();
            owned->ApplyAttributeList(L"height=\"40\" bkcolor=\"#FFFF0000\"");
            stop = owned.get();
            root->Add(std::move(owned));
        }
    }
    // The client area as the window would paint it now, on a memory bitmap.
    uint32_t PaintedRgb(int x, int y) {
        TestCanvas canvas(200, 120);
        RECT client{0, 0, 200, 120};
        window.manager.Paint(canvas.DC(), client, client);
        return canvas.Rgb(x, y);
    }
    void PressTab() {
        LRESULT result = 0;
        window.manager.PreMessageHandler(WM_KEYDOWN, VK_TAB, 0, result);
    }

    CControlUI* stops[2] = {};
};

}  // namespace

// The focused control is marked once the keyboard moves the focus, not before it and not after a
// click: a rectangle two pixels inside the control, in the window's focus colour, the control's
// own, or the system's dotted one; a control with a focus border of its own gets no second mark.
TEST_F(FocusMarkTest, TheKeyboardFocusIsMarkedInsideTheControl) {
    window.Show();
    window.manager.SetWindowAttribute(L"focusbordercolor", L"#FF00FF00");
    window.manager.SetNextTabControl();
    ASSERT_EQ(window.manager.GetFocus(), stops[0]) << "the first tab stop, as a window's first paint gives it";
    EXPECT_FALSE(window.manager.GetFocusIndicator().IsShown()) << "a new window hides its focus";
    EXPECT_EQ(PaintedRgb(50, 12), 0xFF0000u);

    PressTab();
    ASSERT_EQ(window.manager.GetFocus(), stops[1]);
    EXPECT_TRUE(window.manager.GetFocusIndicator().IsShown()) << "Tab shows the focus";
    EXPECT_EQ(PaintedRgb(50, 52), 0x00FF00u) << "the top edge, two pixels inside";
    EXPECT_EQ(PaintedRgb(12, 70), 0x00FF00u) << "the left edge";
    EXPECT_EQ(PaintedRgb(187, 70), 0x00FF00u) << "the right edge";
    EXPECT_EQ(PaintedRgb(50, 87), 0x00FF00u) << "the bottom edge";
    EXPECT_EQ(PaintedRgb(50, 70), 0xFF0000u) << "the inside stays the control's";
    EXPECT_EQ(PaintedRgb(50, 51), 0xFF0000u) << "the edge stays the control's";
    EXPECT_EQ(PaintedRgb(50, 12), 0xFF0000u) << "the control that lost the focus is not marked";

    stops[1]->SetFocusBorderColor(0xFFFFFF00);
    EXPECT_EQ(PaintedRgb(50, 52), 0xFFFF00u) << "the control's own focus colour";
    stops[1]->SetBorderSize(1);
    EXPECT_EQ(PaintedRgb(50, 52), 0xFF0000u) << "a control with a focus border draws that alone";
    EXPECT_EQ(PaintedRgb(50, 50), 0xFFFF00u);
    stops[1]->SetBorderSize(0);
    stops[1]->SetFocusBorderColor(0);
    window.manager.SetWindowAttribute(L"focusbordercolor", L"#00000000");
    bool dotted = false;
    for (int x = 12; x < 188; ++x) dotted = dotted || PaintedRgb(x, 52) != 0xFF0000u;
    EXPECT_TRUE(dotted) << "without a colour, the system's focus rectangle";

    LRESULT result = 0;
    window.manager.MessageHandler(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, 30), result);
    window.manager.MessageHandler(WM_LBUTTONUP, 0, MAKELPARAM(50, 30), result);
    EXPECT_EQ(window.manager.GetFocus(), stops[0]);
    EXPECT_FALSE(window.manager.GetFocusIndicator().IsShown()) << "a click hides the focus again";
    window.manager.SetWindowAttribute(L"focusbordercolor", L"#FF00FF00");
    EXPECT_EQ(PaintedRgb(50, 12), 0xFF0000u);

    // The system changes the window's cues as well (its keyboard settings, a parent's state).
    window.manager.MessageHandler(WM_UPDATEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0, result);
    EXPECT_EQ(PaintedRgb(50, 12), 0x00FF00u);
    window.manager.MessageHandler(WM_UPDATEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEACCEL), 0, result);
    EXPECT_EQ(PaintedRgb(50, 12), 0x00FF00u) << "the shortcut cues are no concern of the focus";
    window.manager.MessageHandler(WM_UPDATEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEFOCUS), 0, result);
    EXPECT_EQ(PaintedRgb(50, 12), 0xFF0000u);
}

// Keys typed before the window repaints reach the control the focus moves to: a focus move that
// waits for the layout (a page switch) is done before the next key, and each Tab moves one stop.
TEST_F(FocusMarkTest, KeysTypedAheadOfTheRepaintFollowTheFocus) {
    window.Show();
    window.manager.SetNextTabControl();
    ASSERT_EQ(window.manager.GetFocus(), stops[0]);
    root->NeedUpdate();
    window.manager.SetNextTabControl();
    EXPECT_EQ(window.manager.GetFocus(), stops[0]) << "the move waits for the layout";
    LRESULT result = 0;
    window.manager.PreMessageHandler(WM_KEYDOWN, VK_SPACE, 0, result);
    EXPECT_EQ(window.manager.GetFocus(), stops[1]) << "and is done before the key that follows";

    root->NeedUpdate();
    PressTab();
    EXPECT_EQ(window.manager.GetFocus(), stops[0]) << "a Tab while the layout waits";
    PressTab();
    EXPECT_EQ(window.manager.GetFocus(), stops[1]) << "each Tab moves one stop";
}
