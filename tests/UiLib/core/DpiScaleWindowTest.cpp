// A skin on displays of other DPIs: its 96-DPI lengths and font sizes laid out and painted scaled,
// and a window that moves to another display (WM_DPICHANGED) following it.
#include <gtest/gtest.h>

#include <memory>
#include <utility>

#include "UiLib/core/SkinnedWindow.h"
#include "UiLib/core/UIDlgBuilder.h"
#include "UiLib/render/GdiObject.h"
#include "UiLib/tree/UIControl.h"
#include "tests/UiLib/support/TestCanvas.h"
#include "tests/support/WindowPixels.h"

using namespace UiLib;

namespace {

// Lengths of every kind a skin gives: window frame, inset, child padding, fixed sizes, a float
// position, text padding, a border and a font.
const wchar_t* const kScaledSkin =
    L"<Window size=\"200,100\" caption=\"0,0,0,20\" roundcorner=\"4,4\" mininfo=\"100,50\" maxinfo=\"400,300\">"
    L"<Font name=\"Arial\" size=\"20\" default=\"true\"/>"
    L"<VerticalLayout inset=\"2,4,6,8\" childpadding=\"4\" bkcolor=\"#FFFFFFFF\">"
    L"<Label name=\"title\" height=\"24\" text=\"HHH\" textpadding=\"10,0,0,0\" textcolor=\"#FF000000\"/>"
    L"<Control name=\"framed\" height=\"10\" bordersize=\"2\" bordercolor=\"#FFFF0000\"/>"
    L"<Control name=\"floating\" float=\"true\" pos=\"10,60,30,70\" bkcolor=\"#FF00FF00\"/>"
    L"<Edit name=\"field\" float=\"true\" pos=\"40,60,120,80\"/>"
    L"</VerticalLayout></Window>";

// A plain window whose manager draws at the DPI a test gives it.
class HostWindow {
public:
    explicit HostWindow(int dpi) {
        window_ = ::CreateWindowExW(0, L"STATIC", L"host", WS_POPUP, 10, 10, 120, 90, nullptr, nullptr,
                                    ::GetModuleHandleW(nullptr), nullptr);
        manager.Init(window_);
        manager.SetDpiScale(CDpiScale(dpi));
        CDialogBuilder builder;
        manager.AttachDialog(builder.Create(CDialogBuilder::Layout(kScaledSkin), nullptr, nullptr, &manager));
    }
    ~HostWindow() { ::DestroyWindow(window_); }
    SIZE Size() const {
        RECT rect{};
        ::GetWindowRect(window_, &rect);
        return SIZE{rect.right - rect.left, rect.bottom - rect.top};
    }
    RECT PosOf(const wchar_t* name) { return manager.FindControl(name)->GetPos(); }

    CPaintManagerUI manager;

private:
    HWND window_ = nullptr;
};

// The rows between the first and the last that hold a dark pixel, in a column range.
int InkHeight(const TestCanvas& canvas, const RECT& area) {
    int first = -1;
    int last = -1;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            if ((canvas.Rgb(x, y) & 0xFF) < 0x80) {
                if (first < 0) first = y;
                last = y;
                break;
            }
    return first < 0 ? 0 : last - first + 1;
}

int FontPixelHeight(HFONT font) {
    LOGFONTW logFont{};
    ::GetObjectW(font, sizeof(logFont), &logFont);
    return -logFont.lfHeight;
}

#define EXPECT_RECT(actual, l, t, r, b)                                                                    \
    do {                                                                                                   \
        const RECT rect_ = (actual);                                                                       \
        EXPECT_EQ(rect_.left, l);                                                                          \
        EXPECT_EQ(rect_.top, t);                                                                           \
        EXPECT_EQ(rect_.right, r);                                                                         \
        EXPECT_EQ(rect_.bottom, b);                                                                        \
    } while (0)

}  // namespace

// One skin on a 96-DPI and on a 150 % (144 DPI) display: at 96 every length is as written, at 144
// each is one and a half times it, and text is drawn at the scaled font size.
TEST(DpiScaledSkinTest, ASkinIsLaidOutAndPaintedAtOneAndAHalfTimesItsSizeAt144Dpi) {
    HostWindow plain(96);
    HostWindow scaled(144);
    EXPECT_EQ(plain.Size().cx, 200);
    EXPECT_EQ(scaled.Size().cx, 300);
    EXPECT_EQ(scaled.Size().cy, 150);
    EXPECT_EQ(scaled.manager.GetCaptionRect().bottom, 30);
    EXPECT_EQ(scaled.manager.GetRoundCorner().cx, 6);
    EXPECT_EQ(scaled.manager.GetMinInfo().cx, 150);
    EXPECT_EQ(scaled.manager.GetMaxInfo().cy, 450);
    EXPECT_EQ(FontPixelHeight(plain.manager.GetFont(0)), 20);
    EXPECT_EQ(FontPixelHeight(scaled.manager.GetFont(0)), 30);
    EXPECT_EQ(scaled.manager.GetFontInfo(0).size, 20) << "the skin's size stays a 96-DPI value";

    TestCanvas plainCanvas(200, 100);
    TestCanvas scaledCanvas(300, 150);
    plain.manager.Paint(plainCanvas.DC(), RECT{0, 0, 200, 100}, RECT{0, 0, 200, 100});
    scaled.manager.Paint(scaledCanvas.DC(), RECT{0, 0, 300, 150}, RECT{0, 0, 300, 150});

    EXPECT_RECT(plain.PosOf(L"title"), 2, 4, 194, 28);
    EXPECT_RECT(plain.PosOf(L"framed"), 2, 32, 194, 42);
    EXPECT_RECT(plain.PosOf(L"floating"), 10, 60, 30, 70);
    // Inset 3,6,9,12; height 36; child padding 6; height 15; the float control at 15,90 to 45,105.
    EXPECT_RECT(scaled.PosOf(L"title"), 3, 6, 291, 42);
    EXPECT_RECT(scaled.PosOf(L"framed"), 3, 48, 291, 63);
    EXPECT_RECT(scaled.PosOf(L"floating"), 15, 90, 45, 105);

    // The border is three pixels wide at 144 DPI, two at 96.
    EXPECT_EQ(scaledCanvas.Rgb(150, 50), 0xFF0000u);
    EXPECT_EQ(scaledCanvas.Rgb(150, 51), 0xFFFFFFu);
    EXPECT_EQ(plainCanvas.Rgb(100, 33), 0xFF0000u);
    EXPECT_EQ(plainCanvas.Rgb(100, 34), 0xFFFFFFu);
    EXPECT_EQ(scaledCanvas.Rgb(20, 95), 0x00FF00u);

    // The text starts after the scaled text padding and its letters are half as tall again.
    const int plainInk = InkHeight(plainCanvas, RECT{2, 4, 194, 28});
    const int scaledInk = InkHeight(scaledCanvas, RECT{3, 6, 291, 42});
    ASSERT_GT(plainInk, 8);
    EXPECT_NEAR(scaledInk * 2, plainInk * 3, 4);
    EXPECT_EQ(InkHeight(scaledCanvas, RECT{3, 6, 3 + 15, 42}), 0) << "nothing inside the 15-pixel text padding";

    // A float control writes where it was placed back as the skin's values: laying out again
    // places it in the same spot rather than half as far again.
    scaled.manager.GetRoot()->NeedUpdate();
    scaled.manager.UpdateLayout(RECT{0, 0, 300, 150});
    EXPECT_RECT(scaled.PosOf(L"floating"), 15, 90, 45, 105);
    EXPECT_EQ(scaled.manager.FindControl(L"floating")->GetFixedWidth(), 30);
}

namespace {

class MovingWindow : public CSkinnedWindow {
public:
    MovingWindow() : CSkinnedWindow(Options()) {}

    HWND CreateShown() {
        HWND window = Create(nullptr, L"moving", WS_POPUP | WS_CAPTION, 0, 40, 40, 200, 100);
        ::ShowWindow(window, SW_SHOWNOACTIVATE);
        ::UpdateWindow(window);
        return window;
    }
    void Pump() {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
        ::UpdateWindow(window_);
    }
    RECT RegionBox() const {
        CRegionHandle region(::CreateRectRgn(0, 0, 0, 0));
        RECT box{};
        if (::GetWindowRgn(window_, region.Get()) != ERROR) ::GetRgnBox(region.Get(), &box);
        return box;
    }

protected:
    const wchar_t* GetWindowClassName() const override { return L"UiLibMovingWindow"; }

private:
    static SkinnedWindowOptions Options() {
        SkinnedWindowOptions options;
        options.layout = CDialogBuilder::Layout(kScaledSkin);
        options.removedStyle = WS_CAPTION;
        return options;
    }
};

}  // namespace

// Wine never sends WM_DPICHANGED (it knows one DPI for every display): the test sends what the
// system sends when a window moves to a 200 % display, with the place the system suggests.
TEST(DpiChangedWindowTest, AWindowMovedToA200PercentDisplayTakesTheSuggestedPlaceAndLaysOutAgain) {
    MovingWindow window;
    HWND hwnd = window.CreateShown();
    ASSERT_NE(hwnd, nullptr);
    const int startDpi = window.GetPaintManager().GetDpiScale().Dpi();
    const int newDpi = startDpi * 2;
    const CDpiScale expected(newDpi);
    HFONT oldFont = window.GetPaintManager().GetFont(0);
    // A field being edited when the window moves keeps a native edit window open.
    CControlUI* field = window.GetPaintManager().FindControl(L"field");
    window.GetPaintManager().SetFocus(field);
    HWND native = ::GetWindow(hwnd, GW_CHILD);
    ASSERT_NE(native, nullptr);

    RECT suggested{60, 50, 60 + expected.Scale(200), 50 + expected.Scale(100)};
    EXPECT_EQ(::SendMessageW(hwnd, WM_DPICHANGED, MAKEWPARAM(newDpi, newDpi), reinterpret_cast<LPARAM>(&suggested)),
              0);
    window.Pump();

    RECT placed{};
    ::GetWindowRect(hwnd, &placed);
    EXPECT_EQ(placed.left, 60);
    EXPECT_EQ(placed.top, 50);
    EXPECT_EQ(placed.right - placed.left, expected.Scale(200));
    EXPECT_EQ(window.GetPaintManager().GetDpiScale().Dpi(), newDpi);
    EXPECT_NE(window.GetPaintManager().GetFont(0), oldFont) << "the fonts were made again";
    EXPECT_EQ(FontPixelHeight(window.GetPaintManager().GetFont(0)), expected.ScaleFontSize(20));
    EXPECT_EQ(window.GetPaintManager().GetCaptionRect().bottom, expected.Scale(20));
    // The field has no font of its own: it draws with the window's default one.
    EXPECT_EQ(reinterpret_cast<HFONT>(::SendMessageW(native, WM_GETFONT, 0, 0)),
              window.GetPaintManager().GetResources().GetFont(-1))
        << "the open edit window draws with the new font, not the deleted one";

    CPaintManagerUI& manager = window.GetPaintManager();
    const RECT floating = manager.FindControl(L"floating")->GetPos();
    EXPECT_EQ(floating.left, expected.Scale(10));
    EXPECT_EQ(floating.bottom, expected.Scale(70));
    EXPECT_EQ(manager.FindControl(L"framed")->GetHeight(), expected.Scale(10));
    // Repainted: the float control shows at its new place; the round corners follow the new size.
    EXPECT_EQ(ClientRgb(hwnd, expected.Scale(20), expected.Scale(65)), 0x00FF00u);
    EXPECT_GE(window.RegionBox().right, expected.Scale(200));
}

// A window that would share another's resources (a sub-menu its menu's) on a display of another
// DPI draws with a copy made for its own DPI; the other window's fonts stay as they were.
TEST(DpiScaledSkinTest, ResourcesAreSharedOnlyBetweenWindowsOfOneDpi) {
    HostWindow owner(96);
    HFONT ownerFont = owner.manager.GetFont(0);

    CPaintManagerUI sameDpi;
    sameDpi.SetDpiScale(CDpiScale(96));
    sameDpi.ShareResources(owner.manager.GetSharedResources());
    EXPECT_EQ(sameDpi.GetSharedResources(), owner.manager.GetSharedResources());

    CPaintManagerUI otherDpi;
    otherDpi.SetDpiScale(CDpiScale(192));
    otherDpi.ShareResources(owner.manager.GetSharedResources());
    EXPECT_NE(otherDpi.GetSharedResources(), owner.manager.GetSharedResources());
    EXPECT_EQ(FontPixelHeight(otherDpi.GetFont(0)), 40);
    EXPECT_EQ(otherDpi.GetDefaultAttributeList(L"Menu"), owner.manager.GetDefaultAttributeList(L"Menu"));

    // The window sharing them moves to another display: it takes a copy rather than remaking the
    // fonts of the window it shares with.
    sameDpi.SetDpiScale(CDpiScale(144));
    EXPECT_EQ(owner.manager.GetFont(0), ownerFont);
    EXPECT_EQ(FontPixelHeight(owner.manager.GetFont(0)), 20);
    EXPECT_EQ(FontPixelHeight(sameDpi.GetFont(0)), 30);
}
