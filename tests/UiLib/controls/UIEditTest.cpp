// Window tests of the edit control: a real window hosts the native edit window.
#include "UiLib/controls/UIEdit.h"

#include <gtest/gtest.h>

#include "UiLib/controls/UIEditWnd.h"
#include "tests/UiLib/controls/ControlFixture.h"

using namespace UiLib;

namespace {

// The rightmost column of `area` that holds ink of `rgb`, or -1.
int InkRightEdge(const TestCanvas& canvas, const RECT& area, uint32_t rgb) {
    for (int x = area.right - 1; x >= area.left; --x) {
        if (CountInk(canvas, RECT{x, area.top, x + 1, area.bottom}, rgb) > 0) return x;
    }
    return -1;
}

// A top-level window for the manager. Like the paint manager's own message handling, it reflects
// a child's commands and colour requests back to the child (message + 0x2000).
class EditHost {
public:
    EditHost() {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = &EditHost::Proc;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"UiLibEditHostTest";
        ::RegisterClassW(&windowClass);
        window_ = ::CreateWindowExW(0, windowClass.lpszClassName, L"edit", WS_POPUP, 40, 40, 300, 100, nullptr,
                                    nullptr, windowClass.hInstance, nullptr);
        ::ShowWindow(window_, SW_SHOW);
        ::SetForegroundWindow(window_);
        ::SetFocus(window_);
    }
    ~EditHost() { ::DestroyWindow(window_); }

    HWND Get() const { return window_; }

    static void Pump() {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        switch (message) {
        case WM_COMMAND:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORSTATIC:
            if (lParam) return ::SendMessageW(reinterpret_cast<HWND>(lParam), message + 0x2000, wParam, lParam);
            break;
        default:
            break;
        }
        return ::DefWindowProcW(window, message, wParam, lParam);
    }

    HWND window_;
};

class EditTest : public ::testing::Test, public ControlFixture {
protected:
    // One window for the whole suite: showing and activating a window is slow under Wine.
    static void SetUpTestSuite() { host = new EditHost(); }
    static void TearDownTestSuite() {
        delete host;
        host = nullptr;
    }

    EditTest() {
        manager.Init(host->Get());
        edit = Add<CEditUI>(L"float=\"true\" pos=\"10,10,210,40\" text=\"abc\"");
        Layout(300, 100);
    }

    std::wstring NativeText() const {
        wchar_t buffer[256] = {};
        ::GetWindowTextW(edit->GetNativeWindow(), buffer, 256);
        return buffer;
    }

    LONG_PTR NativeStyle() const { return ::GetWindowLongPtrW(edit->GetNativeWindow(), GWL_STYLE); }

    static EditHost* host;
    CEditUI* edit = nullptr;
};

EditHost* EditTest::host = nullptr;

}  // namespace

TEST(EditAttributes, ValuesAndDefaults) {
    CEditUI edit;
    EXPECT_STREQ(edit.GetClass(), L"EditUI");
    EXPECT_EQ(edit.GetInterface(L"Edit"), static_cast<void*>(&edit));
    EXPECT_EQ(edit.GetTextPadding().left, 4);
    EXPECT_EQ(edit.GetTextPadding().top, 3);
    EXPECT_EQ(edit.GetTipValueColor(), 0xFFBAC0C5u);
    EXPECT_EQ(edit.GetPasswordChar(), L'*');
    edit.ApplyAttributeList(L"readonly=\"true\" numberonly=\"true\" password=\"true\" maxchar=\"12\" "
                            L"tipvalue=\"hint\" tipvaluecolor=\"#FF010203\" nativebkcolor=\"#FF102030\" "
                            L"normalimage=\"n.png\" focusedimage=\"f.png\" regularcheck=\"x\"");
    EXPECT_TRUE(edit.IsReadOnly());
    EXPECT_TRUE(edit.IsNumberOnly());
    EXPECT_TRUE(edit.IsPasswordMode());
    EXPECT_EQ(edit.GetMaxChar(), 12);
    EXPECT_EQ(edit.GetTipValue(), L"hint");
    EXPECT_EQ(edit.GetTipValueColor(), 0xFF010203u);
    EXPECT_EQ(edit.GetNativeEditBkColor(), 0xFF102030u);
    EXPECT_EQ(edit.GetFocusedImage(), L"f.png");
    EXPECT_EQ(edit.GetControlFlags(), static_cast<UINT>(UIFLAG_TABSTOP | UIFLAG_SETCURSOR));
    edit.SetEnabled(false);
    EXPECT_EQ(edit.GetControlFlags(), 0u);
}

TEST_F(EditTest, FocusOpensTheNativeWindowOverTheTextArea) {
    EXPECT_FALSE(edit->IsEditing());
    manager.SetFocus(edit);
    ASSERT_TRUE(edit->IsEditing());
    HWND native = edit->GetNativeWindow();
    wchar_t className[64] = {};
    ::GetClassNameW(native, className, 64);
    EXPECT_STREQ(className, CEditWnd::kClassName);
    EXPECT_EQ(::GetParent(native), host->Get());
    EXPECT_TRUE(::IsWindowVisible(native));
    EXPECT_EQ(NativeText(), L"abc");
    EXPECT_EQ(::SendMessageW(native, EM_GETLIMITTEXT, 0, 0), 255);

    RECT area;
    ::GetWindowRect(native, &area);
    ::MapWindowPoints(nullptr, host->Get(), reinterpret_cast<POINT*>(&area), 2);
    const LONG lineHeight = manager.GetDefaultFontInfo().tm.tmHeight;
    EXPECT_EQ(area.left, 14);
    EXPECT_EQ(area.right, 206);
    EXPECT_EQ(area.bottom - area.top, lineHeight);
    EXPECT_EQ(area.top, 13 + (24 - lineHeight) / 2) << "centred in the text area";

    manager.SetFocus(nullptr);
    EXPECT_FALSE(edit->IsEditing());
    EXPECT_FALSE(::IsWindow(native));
    EXPECT_EQ(edit->GetText(), L"abc");
}

TEST_F(EditTest, NativeStylesFollowTheControl) {
    edit->ApplyAttributeList(L"password=\"true\" numberonly=\"true\" readonly=\"true\" maxchar=\"6\"");
    edit->SetPasswordChar(L'#');
    manager.SetFocus(edit);
    ASSERT_TRUE(edit->IsEditing());
    EXPECT_TRUE(NativeStyle() & ES_PASSWORD);
    EXPECT_TRUE(NativeStyle() & ES_NUMBER);
    EXPECT_TRUE(NativeStyle() & ES_READONLY);
    EXPECT_EQ(::SendMessageW(edit->GetNativeWindow(), EM_GETPASSWORDCHAR, 0, 0), L'#');
    EXPECT_EQ(::SendMessageW(edit->GetNativeWindow(), EM_GETLIMITTEXT, 0, 0), 6);
    edit->SetNumberOnly(false);
    EXPECT_FALSE(NativeStyle() & ES_NUMBER);
    edit->SetReadOnly(false);
    EXPECT_FALSE(NativeStyle() & ES_READONLY);
}

TEST_F(EditTest, TypingCopiesTheTextAndNotifies) {
    manager.SetFocus(edit);
    HWND native = edit->GetNativeWindow();
    ASSERT_NE(native, nullptr);
    EXPECT_EQ(recorder.Count(L"textchanged"), 0) << "filling the window is no change";
    ::SendMessageW(native, EM_SETSEL, 3, 3);
    ::SendMessageW(native, WM_KEYDOWN, L'D', 0);
    ::SendMessageW(native, WM_CHAR, L'd', 0);
    ::SendMessageW(native, WM_KEYUP, L'D', 0);
    ::SendMessageW(native, WM_CHAR, L'e', 0);
    EXPECT_EQ(edit->GetText(), L"abcde");
    EXPECT_EQ(recorder.Count(L"textchanged", edit), 2) << "one per change";
    EXPECT_EQ(recorder.Count(L"keypress"), 1);
    EXPECT_EQ(recorder.Count(L"keyup"), 1);
    EXPECT_EQ(recorder.Count(L"char"), 2);

    ::SendMessageW(native, WM_KEYDOWN, VK_RETURN, 0);
    ASSERT_EQ(recorder.Count(L"return", edit), 1);
    EXPECT_EQ(recorder.Count(L"keypress"), 1) << "Return is reported as return";

    edit->SetText(L"xyz");
    EXPECT_EQ(NativeText(), L"xyz") << "the control's text reaches the native window";
}

TEST_F(EditTest, LosingTheNativeFocusClosesTheWindow) {
    manager.SetFocus(edit);
    HWND native = edit->GetNativeWindow();
    ASSERT_NE(native, nullptr);
    ASSERT_EQ(::GetFocus(), native);
    ::SendMessageW(native, WM_CHAR, L'!', 0);
    ::SetFocus(host->Get());
    EditHost::Pump();
    EXPECT_FALSE(::IsWindow(native));
    EXPECT_FALSE(edit->IsEditing());
    EXPECT_EQ(edit->GetText(), L"!abc") << "what was typed stays";
    manager.SetFocus(nullptr);
    manager.SetFocus(edit);
    EXPECT_TRUE(edit->IsEditing()) << "editing starts again on the next focus";
}

// A press anywhere on the edit first takes the focus to the paint window, as the manager does for
// every press; editing goes on. Refocusing an edit whose native window closed starts it again.
TEST_F(EditTest, WhileFocusedTheEditKeepsOrTakesBackItsNativeWindow) {
    manager.SetFocus(edit);
    HWND native = edit->GetNativeWindow();
    ASSERT_NE(native, nullptr);
    ::SetFocus(host->Get());
    Send(edit, UIEVENT_BUTTONDOWN, POINT{12, 12});
    EditHost::Pump();
    EXPECT_TRUE(::IsWindow(native));
    EXPECT_EQ(::GetFocus(), native);

    ::SetFocus(host->Get());
    EditHost::Pump();
    ASSERT_FALSE(edit->IsEditing());
    edit->SetFocus();
    EXPECT_TRUE(edit->IsEditing());
    EXPECT_EQ(::GetFocus(), edit->GetNativeWindow());
}

TEST_F(EditTest, ClicksSelectTheTextAndTheRestIsSwallowed) {
    manager.SetFocus(edit);
    Send(edit, UIEVENT_BUTTONDOWN, POINT{20, 20});
    DWORD start = 0;
    DWORD end = 0;
    ::SendMessageW(edit->GetNativeWindow(), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                   reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, 3u);

    Send(edit, UIEVENT_MOUSEENTER, POINT{20, 20});
    Send(edit, UIEVENT_SCROLLWHEEL, POINT{20, 20}, 1);
    Send(edit, UIEVENT_CONTEXTMENU, POINT{20, 20});
    EXPECT_EQ(recorder.Count(L"menu"), 0);

    edit->SetEnabled(false);
    EXPECT_FALSE(edit->IsEditing()) << "disabling ends editing";
    edit->SetEnabled(true);
    edit->SetVisible(false);
    manager.SetFocus(edit);
    EXPECT_FALSE(edit->IsEditing()) << "a hidden edit is not focused";
}

TEST_F(EditTest, DestroyingTheControlWhileEditingClosesTheWindow) {
    manager.SetFocus(edit);
    HWND native = edit->GetNativeWindow();
    ASSERT_TRUE(::IsWindow(native));
    root->Remove(edit);
    EXPECT_FALSE(::IsWindow(native));
    EditHost::Pump();
}

TEST_F(EditTest, PaintsTheTipPasswordCharactersAndTheText) {
    TestCanvas canvas{300, 100};
    edit->ApplyAttributeList(L"textcolor=\"#FF0000FF\" tipvalue=\"hint\" tipvaluecolor=\"#FFFF0000\"");
    edit->DoPaint(canvas.DC(), canvas.Bounds());
    EXPECT_GT(CountNear(canvas, edit->GetPos(), 0x0000FF, 40), 5);
    EXPECT_EQ(CountNear(canvas, edit->GetPos(), 0xFF0000, 40), 0);

    canvas.Fill(0xFFFFFF);
    edit->SetText(L"");
    edit->DoPaint(canvas.DC(), canvas.Bounds());
    EXPECT_GT(CountNear(canvas, edit->GetPos(), 0xFF0000, 40), 5) << "the hint while empty";

    canvas.Fill(0xFFFFFF);
    edit->SetText(L"iiii");
    edit->SetPasswordMode(true);
    edit->SetPasswordChar(L'W');
    edit->DoPaint(canvas.DC(), canvas.Bounds());
    const int masked = InkRightEdge(canvas, edit->GetPos(), 0x0000FF);
    canvas.Fill(0xFFFFFF);
    edit->SetPasswordMode(false);
    edit->DoPaint(canvas.DC(), canvas.Bounds());
    EXPECT_GT(masked, InkRightEdge(canvas, edit->GetPos(), 0x0000FF)) << "WWWW reaches further than iiii";
}

namespace {

// Moves the focus away when an edit reports Return, as a dialog that accepts its input does.
class FocusTakerOnReturn : public INotifyUI {
public:
    explicit FocusTakerOnReturn(CPaintManagerUI& manager) : manager_(manager) {}
    void Notify(UiNotify& msg) override {
        if (msg.sType == L"return" || msg.sType == L"textchanged") manager_.SetFocus(nullptr);
    }

private:
    CPaintManagerUI& manager_;
};

}  // namespace

TEST_F(EditTest, AHandlerMayEndEditingWhileTheNativeWindowReports) {
    FocusTakerOnReturn taker(manager);
    manager.AddNotifier(&taker);
    manager.SetFocus(edit);
    HWND native = edit->GetNativeWindow();
    ::SendMessageW(native, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_FALSE(::IsWindow(native));
    EXPECT_FALSE(edit->IsEditing());

    manager.SetFocus(edit);
    native = edit->GetNativeWindow();
    ::SendMessageW(native, WM_CHAR, L'z', 0);
    EXPECT_FALSE(::IsWindow(native));
    EXPECT_EQ(edit->GetText(), L"zabc");
    manager.RemoveNotifier(&taker);
}
