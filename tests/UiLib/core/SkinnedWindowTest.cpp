// The one skinned window: its frame kinds, what a missing skin or layout does, and registrations
// with its paint manager that go with the window. Real windows, real messages.
#include <gtest/gtest.h>

#include <utility>

#include "UiLib/core/SkinnedWindow.h"
#include "UiLib/tree/UIControl.h"
#include "UiLib/tree/UIMessageFilter.h"
#include "UiLib/tree/UINotify.h"

using namespace UiLib;

namespace {

const wchar_t* const kCaptionLayout =
    L"<Window size=\"300,200\" caption=\"0,0,0,40\" roundcorner=\"12,12\"><VerticalLayout>"
    L"<HorizontalLayout height=\"40\"><Button name=\"button\" width=\"50\"/><Option name=\"option\" width=\"50\"/>"
    L"<Control name=\"plain\"/></HorizontalLayout><Control/></VerticalLayout></Window>";
const wchar_t* const kBrokenLayout = L"<Window><Control";

class OptionsWindow : public CSkinnedWindow {
public:
    explicit OptionsWindow(SkinnedWindowOptions options) : CSkinnedWindow(std::move(options)) {}

    // Shown without activation: destroying an active window makes the display server wait.
    HWND CreateShown() {
        HWND window = Create(nullptr, L"options", WS_POPUP | WS_CAPTION, 0, 100, 100, 300, 200);
        ::ShowWindow(window, SW_SHOWNOACTIVATE);
        // The first paint lays the controls out.
        ::UpdateWindow(window);
        return window;
    }
    void Pump() {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
    }
    LRESULT HitTestOn(const wchar_t* name) {
        RECT rect = paintManager_.FindControl(name)->GetPos();
        POINT point{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
        ::ClientToScreen(window_, &point);
        return ::SendMessageW(window_, WM_NCHITTEST, 0, MAKELPARAM(point.x, point.y));
    }
    bool HasRegion() {
        HRGN region = ::CreateRectRgn(0, 0, 0, 0);
        int kind = ::GetWindowRgn(window_, region);
        ::DeleteObject(region);
        return kind != ERROR && kind != NULLREGION;
    }
    POINT MaximisedSize() {
        MINMAXINFO info{};
        info.ptMaxSize = POINT{1, 1};
        ::SendMessageW(window_, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
        return info.ptMaxSize;
    }

    int inits = 0;
    int creations = 0;
    WPARAM closeCode = 0;

protected:
    const wchar_t* GetWindowClassName() const override { return L"UiLibOptionsWindow"; }
    void InitWindow() override { ++inits; }
    void OnCreated() override { ++creations; }
    LRESULT HandleCustomMessage(UINT message, WPARAM wParam, LPARAM, bool& handled) override {
        if (message == WM_CLOSE) closeCode = wParam;
        handled = false;
        return 0;
    }
};

SkinnedWindowOptions OptionsOf(const wchar_t* layout, FrameKind frame) {
    SkinnedWindowOptions options;
    options.layout = CDialogBuilder::Layout(layout);
    options.frame = frame;
    if (frame != FrameKind::Native) options.removedStyle = WS_CAPTION;
    return options;
}

LONG StyleOf(HWND window) { return ::GetWindowLongW(window, GWL_STYLE); }

struct Recorder : INotifyUI, IMessageFilterUI {
    void Notify(UiNotify& msg) override {
        if (msg.sType == L"custom") ++notified;
    }
    LRESULT MessageHandler(UINT message, WPARAM, LPARAM, bool&) override {
        if (message == WM_KEYDOWN || message == WM_APP) ++filtered;
        return 0;
    }
    int notified = 0;
    int filtered = 0;
};

}  // namespace

TEST(SkinnedWindowTest, EachFrameKindAnswersItsOwnFrameMessages) {
    CPaintManagerUI::SetInstance(::GetModuleHandleW(nullptr));
    // Native: the system's frame stays, the caption band is client area, no region is cut.
    OptionsWindow native(OptionsOf(kCaptionLayout, FrameKind::Native));
    HWND handle = native.CreateShown();
    ASSERT_TRUE(native.HasLayout());
    EXPECT_NE(StyleOf(handle) & WS_CAPTION, 0);
    EXPECT_EQ(native.HitTestOn(L"plain"), HTCLIENT);
    EXPECT_FALSE(native.HasRegion());

    // Skinned: no native caption, the band drags but for the controls that take clicks, round
    // corners; maximising is left alone.
    SkinnedWindowOptions skinnedOptions = OptionsOf(kCaptionLayout, FrameKind::Skinned);
    skinnedOptions.refresh = FrameRefresh::InPlace;
    OptionsWindow skinned(std::move(skinnedOptions));
    handle = skinned.CreateShown();
    EXPECT_EQ(StyleOf(handle) & WS_CAPTION, 0);
    EXPECT_NE(StyleOf(handle) & WS_CLIPCHILDREN, 0);
    RECT client{}, bounds{};
    ::GetClientRect(handle, &client);
    ::GetWindowRect(handle, &bounds);
    EXPECT_EQ(client.bottom, bounds.bottom - bounds.top) << "the whole window is client area";
    EXPECT_EQ(skinned.HitTestOn(L"button"), HTCLIENT);
    EXPECT_EQ(skinned.HitTestOn(L"option"), HTCAPTION);
    EXPECT_EQ(skinned.HitTestOn(L"plain"), HTCAPTION);
    EXPECT_TRUE(skinned.HasRegion());
    EXPECT_EQ(skinned.MaximisedSize().x, 1);

    // Maximizable: options in the band take clicks here; maximised it fills the work area, and
    // the system's close closes the window through WM_CLOSE.
    SkinnedWindowOptions maximizableOptions = OptionsOf(kCaptionLayout, FrameKind::SkinnedMaximizable);
    maximizableOptions.captionClicks = CaptionClicks::ButtonsAndOptions;
    OptionsWindow maximizable(std::move(maximizableOptions));
    handle = maximizable.CreateShown();
    EXPECT_EQ(maximizable.HitTestOn(L"option"), HTCLIENT);
    RECT work{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_EQ(maximizable.MaximisedSize().x, work.right - work.left);
    maximizable.closeCode = 99;
    ::SendMessageW(handle, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_FALSE(::IsWindow(handle));
    EXPECT_EQ(maximizable.closeCode, 0u);
}

// The window base's choice, ending the process, is checked with a helper process beside the
// window base's tests.
TEST(SkinnedWindowTest, AMissingSkinOrLayoutDoesWhatTheWindowChose) {
    CPaintManagerUI::SetInstance(::GetModuleHandleW(nullptr));
    SkinnedWindowOptions noSkinOptions = OptionsOf(kCaptionLayout, FrameKind::Skinned);
    noSkinOptions.selectSkin = [] { return false; };
    noSkinOptions.missingLayout = MissingLayout::CloseWindow;
    OptionsWindow noSkin(std::move(noSkinOptions));
    HWND noSkinHandle = noSkin.CreateShown();

    OptionsWindow empty(OptionsOf(kBrokenLayout, FrameKind::Skinned));
    HWND emptyHandle = empty.CreateShown();

    SkinnedWindowOptions closingOptions = OptionsOf(kBrokenLayout, FrameKind::Native);
    closingOptions.missingLayout = MissingLayout::CloseWindow;
    OptionsWindow closing(std::move(closingOptions));
    HWND closingHandle = closing.CreateShown();
    ASSERT_NE(closingHandle, nullptr);
    closing.Pump();

    // A missing skin leaves the window empty whatever the policy; the layout is never built.
    EXPECT_TRUE(::IsWindow(noSkinHandle));
    EXPECT_FALSE(noSkin.HasLayout());
    EXPECT_EQ(noSkin.inits, 0);
    EXPECT_EQ(noSkin.creations, 1);
    EXPECT_TRUE(::IsWindow(emptyHandle));
    EXPECT_FALSE(empty.HasLayout());
    EXPECT_EQ(empty.inits, 0);
    EXPECT_EQ(empty.creations, 1);
    EXPECT_FALSE(::IsWindow(closingHandle));
    EXPECT_EQ(closing.closeCode, 1u);
    EXPECT_EQ(closing.creations, 1);
}

TEST(SkinnedWindowTest, RegistrationsGoWithTheWindow) {
    CPaintManagerUI::SetInstance(::GetModuleHandleW(nullptr));
    Recorder recorder;
    SkinnedWindowOptions options = OptionsOf(kCaptionLayout, FrameKind::Skinned);
    options.notifier = &recorder;
    options.preMessageFilter = &recorder;
    OptionsWindow window(std::move(options));
    HWND handle = window.CreateShown();
    CPaintManagerUI& manager = window.GetPaintManager();
    CControlUI* root = manager.GetRoot();
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(window.inits, 1);

    manager.SendNotify(root, L"custom");
    MSG key{handle, WM_KEYDOWN, 'A', 0, 0, {}};
    CPaintManagerUI::TranslateMessage(&key);
    EXPECT_EQ(recorder.notified, 1);
    EXPECT_EQ(recorder.filtered, 1);

    // A message filter registered by hand goes with its subscription.
    {
        CSubscription filter = RegisterMessageFilter(manager, &recorder);
        ::SendMessageW(handle, WM_APP, 0, 0);
        EXPECT_EQ(recorder.filtered, 2);
    }
    ::SendMessageW(handle, WM_APP, 0, 0);
    EXPECT_EQ(recorder.filtered, 2);

    ::DestroyWindow(handle);
    manager.SendNotify(root, L"custom");
    LRESULT result = 0;
    manager.PreMessageHandler(WM_KEYDOWN, 'A', 0, result);
    EXPECT_EQ(recorder.notified, 1);
    EXPECT_EQ(recorder.filtered, 2);
}
