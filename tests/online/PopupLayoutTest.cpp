// The layouts of the three small web-page windows (the news pop-up, the advert pop-up and the
// today's-news window) from the program's skin archive, each built into a window of its own:
// sizes, the named controls their windows look up, and the pictures of the title band and the
// close buttons.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "UiLib/controls/UIWebBrowser.h"
#include "UiLib/render/UIResource.h"
#include "tests/support/ProgramLayoutWindow.h"

using namespace UiLib;

namespace {

class LayoutWindow : public ProgramLayoutWindow {
public:
    explicit LayoutWindow(std::wstring file) : ProgramLayoutWindow(std::move(file)) {}

    SIZE ClientSize() const {
        RECT client{};
        ::GetClientRect(window_, &client);
        return SIZE{client.right, client.bottom};
    }
    void MoveTo(POINT point) {
        ::SendMessageW(window_, WM_MOUSEMOVE, 0, MAKELPARAM(point.x, point.y));
        Repaint();
    }

    std::vector<std::wstring> clicked;

protected:
    const wchar_t* GetWindowClassName() const override { return L"PopupLayoutTest"; }
    void OnClick(UiNotify& msg) override { clicked.push_back(msg.pSender->GetName()); }
};

int Red(uint32_t pixel) { return (pixel >> 16) & 0xFF; }
int Green(uint32_t pixel) { return (pixel >> 8) & 0xFF; }
int Blue(uint32_t pixel) { return pixel & 0xFF; }
bool IsBandBlue(uint32_t pixel) { return Blue(pixel) > 0xC0 && Red(pixel) < 0x40 && Green(pixel) > 0x70; }
bool IsWhite(uint32_t pixel) { return Red(pixel) > 0xF0 && Green(pixel) > 0xF0 && Blue(pixel) > 0xF0; }
bool IsRed(uint32_t pixel) { return Red(pixel) > 0xA0 && Green(pixel) < 0x50 && Blue(pixel) < 0x50; }
bool IsSlate(uint32_t pixel) { return Red(pixel) < 0x60 && Blue(pixel) > Red(pixel) + 0x10 && Blue(pixel) < 0x80; }

POINT CentreOf(CControlUI* control) {
    RECT rect = control->GetPos();
    return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

void ExpectRect(CControlUI* control, RECT expected) {
    ASSERT_NE(control, nullptr);
    RECT rect = control->GetPos();
    std::string name = Narrow(control->GetName());
    EXPECT_EQ(rect.left, expected.left) << name;
    EXPECT_EQ(rect.top, expected.top) << name;
    EXPECT_EQ(rect.right, expected.right) << name;
    EXPECT_EQ(rect.bottom, expected.bottom) << name;
}

CWebBrowserUI* Browser(LayoutWindow& window, const wchar_t* name) {
    CControlUI* control = window.Find(name);
    return control ? static_cast<CWebBrowserUI*>(control->GetInterface(L"WebBrowser")) : nullptr;
}

// The browser of each window navigates only where its window sends it, with no context menu.
void ExpectQuietBrowser(CWebBrowserUI* browser) {
    ASSERT_NE(browser, nullptr);
    EXPECT_FALSE(browser->IsAutoNavigation());
    EXPECT_FALSE(browser->IsContextMenuUsed());
}

// Once the window has handled what its layout posted, the browser's own window covers the page
// but not `control` (its host region, in host coordinates, leaves the control's rectangle out).
bool HostWindowLeaves(CWebBrowserUI* browser, CControlUI* control, LayoutWindow& window) {
    HWND host = browser->GetHostWindow();
    if (!host) return false;
    RECT page = browser->GetPos();
    RECT over = control->GetPos();
    ::OffsetRect(&over, -page.left, -page.top);
    HRGN region = ::CreateRectRgn(0, 0, 0, 0);
    bool left = false;
    for (int round = 0; round < 50 && !left; ++round) {
        window.Repaint();
        left = ::GetWindowRgn(host, region) != ERROR && !::PtInRegion(region, over.left, over.top) &&
               !::PtInRegion(region, over.right - 1, over.bottom - 1) && ::PtInRegion(region, over.left - 1, over.top) &&
               ::PtInRegion(region, page.right - page.left - 1, page.bottom - page.top - 1);
        if (!left) ::Sleep(10);
    }
    ::DeleteObject(region);
    return left;
}

class PopupLayoutTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ::OleInitialize(nullptr); }
    static void TearDownTestSuite() { ::OleUninitialize(); }
};

}  // namespace

TEST_F(PopupLayoutTest, TheNewsPopUpHasABlueTitleBandWithItsCloseButtonAboveTheBorderedBrowser) {
    LayoutWindow window(L"PopWndUI.xml");
    ASSERT_NE(window.CreateShown(), nullptr);
    EXPECT_EQ(window.ClientSize().cx, 300);
    EXPECT_EQ(window.ClientSize().cy, 170);
    EXPECT_EQ(window.Manager().GetCaptionRect().bottom, 24);
    EXPECT_EQ(window.Manager().GetRoundCorner().cx, 5);

    ASSERT_NE(window.Find(L"caption"), nullptr);
    EXPECT_EQ(window.Find(L"caption")->GetText(), L"游戏新资讯");
    ExpectRect(window.Find(L"close"), {260, 0, 300, 24});
    ExpectRect(window.Find(L"ie9"), {1, 24, 299, 169});
    ExpectQuietBrowser(Browser(window, L"ie9"));

    EXPECT_TRUE(IsBandBlue(window.PixelAt(100, 12))) << std::hex << window.PixelAt(100, 12);
    // The browser's border, left, right and below, in the band's colour.
    for (POINT edge : {POINT{0, 100}, POINT{299, 100}, POINT{150, 169}})
        EXPECT_TRUE(IsBandBlue(window.PixelAt(edge.x, edge.y))) << edge.x << "," << edge.y;
    // The close picture: a white cross on the band, red under the pointer.
    EXPECT_TRUE(IsWhite(window.PixelAt(280, 12))) << std::hex << window.PixelAt(280, 12);
    EXPECT_TRUE(IsBandBlue(window.PixelAt(263, 3)));
    window.MoveTo(CentreOf(window.Find(L"close")));
    EXPECT_TRUE(IsRed(window.PixelAt(263, 3))) << std::hex << window.PixelAt(263, 3);
    EXPECT_TRUE(IsRed(window.PixelAt(263, 23))) << std::hex << window.PixelAt(263, 23);
    EXPECT_TRUE(IsWhite(window.PixelAt(280, 12)));

    window.ClickAt(CentreOf(window.Find(L"close")));
    EXPECT_EQ(window.clicked, std::vector<std::wstring>{L"close"});
}

TEST_F(PopupLayoutTest, TheAdvertsBrowserFillsTheWindowBeneathACloseBoxThatKeepsToTheCorner) {
    LayoutWindow window(L"PopIEWndUI.xml");
    ASSERT_NE(window.CreateShown(), nullptr);
    EXPECT_EQ(window.ClientSize().cx, 300);
    EXPECT_EQ(window.ClientSize().cy, 170);
    EXPECT_EQ(window.Manager().GetCaptionRect().bottom, 30);
    EXPECT_EQ(window.Manager().GetRoundCorner().cy, 5);

    CWebBrowserUI* browser = Browser(window, L"ie9");
    ASSERT_NE(browser, nullptr);
    ExpectRect(browser, {0, 0, 300, 170});
    ExpectQuietBrowser(browser);
    CControlUI* close = window.Find(L"close");
    ExpectRect(close, {276, 0, 300, 24});
    EXPECT_EQ(window.Manager().FindControl(CentreOf(close)), close);
    // The page's window leaves the close box to the advert's window, which paints it.
    ASSERT_TRUE(HostWindowLeaves(browser, close, window));

    // A slate box with a white cross, red under the pointer.
    EXPECT_TRUE(IsSlate(window.PixelAt(279, 3))) << std::hex << window.PixelAt(279, 3);
    EXPECT_TRUE(IsWhite(window.PixelAt(288, 12)));
    window.MoveTo(CentreOf(close));
    EXPECT_TRUE(IsRed(window.PixelAt(279, 3))) << std::hex << window.PixelAt(279, 3);
    window.ClickAt(CentreOf(close));
    EXPECT_EQ(window.clicked, std::vector<std::wstring>{L"close"});

    // A window sized from the service's reply keeps the box at its top right corner.
    window.ResizeClient(400, 250);
    window.Repaint();
    ExpectRect(browser, {0, 0, 400, 250});
    ExpectRect(close, {376, 0, 400, 24});
    EXPECT_TRUE(HostWindowLeaves(browser, close, window));
}

TEST_F(PopupLayoutTest, TheTodaysNewsWindowHasItsIconCaptionAndTwoButtonsOverAnInsetBrowser) {
    LayoutWindow window(L"MiniInformationWndUI.xml");
    ASSERT_NE(window.CreateShown(), nullptr);
    EXPECT_EQ(window.ClientSize().cx, 700);
    EXPECT_EQ(window.ClientSize().cy, 450);
    EXPECT_EQ(window.Manager().GetMinInfo().cx, 700);
    EXPECT_EQ(window.Manager().GetMaxInfo().cy, 450);
    EXPECT_EQ(window.Manager().GetCaptionRect().bottom, 24);

    ASSERT_EQ(window.Manager().FontCount(), 3);
    EXPECT_EQ(window.Manager().GetDefaultFontInfo().size, 12);
    EXPECT_TRUE(window.Manager().GetFontInfo(1).bold);
    EXPECT_EQ(window.Manager().GetFontInfo(2).size, 14);

    CControlUI* caption = window.Find(L"caption");
    ASSERT_NE(caption, nullptr);
    EXPECT_NE(caption->GetInterface(L"Text"), nullptr);
    EXPECT_EQ(caption->GetText(), L"今日资讯");
    ExpectRect(window.Find(L"mini"), {620, 0, 660, 24});
    ExpectRect(window.Find(L"close"), {660, 0, 700, 24});
    ExpectRect(window.Find(L"ie10"), {1, 25, 699, 449});
    ExpectQuietBrowser(Browser(window, L"ie10"));

    EXPECT_TRUE(IsBandBlue(window.PixelAt(300, 12)));
    // The news icon, white on the band left of the caption.
    EXPECT_TRUE(IsWhite(window.PixelAt(21, 17))) << std::hex << window.PixelAt(21, 17);
    // The minimise bar (its 1.6-pixel stroke shares two rows with the band) and the close cross.
    EXPECT_GT(Red(window.PixelAt(640, 13)), 0xB0) << std::hex << window.PixelAt(640, 13);
    EXPECT_TRUE(IsBandBlue(window.PixelAt(640, 5)));
    EXPECT_TRUE(IsWhite(window.PixelAt(680, 12)));
    // The white inset between the band and the browser, and the band-coloured border.
    EXPECT_TRUE(IsWhite(window.PixelAt(350, 24)));
    for (POINT edge : {POINT{0, 200}, POINT{699, 200}, POINT{350, 449}})
        EXPECT_TRUE(IsBandBlue(window.PixelAt(edge.x, edge.y))) << edge.x << "," << edge.y;

    window.MoveTo(CentreOf(window.Find(L"close")));
    EXPECT_TRUE(IsRed(window.PixelAt(663, 3)));
    EXPECT_TRUE(IsBandBlue(window.PixelAt(623, 3)));
    window.ClickAt(CentreOf(window.Find(L"mini")));
    window.ClickAt(CentreOf(window.Find(L"close")));
    EXPECT_EQ(window.clicked, (std::vector<std::wstring>{L"mini", L"close"}));
}
