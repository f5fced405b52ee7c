// The real program on displays of 150 % and 200 % (LogPixels 144 and 192), against the same
// program on a 96-DPI display: the main window comes up one and a half and two times as large,
// its text is drawn at the scaled size, its pictures are drawn from the build's render made for
// that scale (not a stretched 1x one), and a real click where a control is drawn hits it.
//
// Runs in a Wine prefix of its own (tools/wine-run-apart.sh): Wine reads the prefix's LogPixels
// as each program starts, so the test sets it before each start of the program and the tests of
// the build's prefix never see it. Wine has one DPI for every display and never stretches a window.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "UiLib/render/DpiScale.h"
#include "UiLib/render/RgbaPngRows.h"
#include "UiLib/render/ScopedDC.h"
#include "tests/support/DemoGamesProgramTest.h"
#include "tests/support/TestFolder.h"
#include "tests/support/WindowPixels.h"

namespace {

constexpr const wchar_t* kDesktopKey = L"Control Panel\\Desktop";
// The main window's skin size, the start area's button "开始游戏" and the second game of the
// column, in the skin's 96-DPI pixels; the letters of the button's text lie between the columns.
constexpr SIZE kMainWindow{970, 660};
constexpr RECT kStartButton{531, 182, 706, 236};
constexpr LONG kStartTextLeft = 595;
constexpr LONG kStartTextRight = 690;
constexpr POINT kSecondGame{91, 248};
// The start button's play icon, a ring and a triangle, in the button picture's 96-DPI pixels: its
// sharp edges are where a render made for the DPI and a stretched 1x render differ.
constexpr RECT kPlayIcon{24, 11, 56, 43};

// A render of the start button's picture as the build made it, or nothing where it cannot be read.
std::optional<UiLib::RgbaPngRows> StartButtonRender(const wchar_t* suffix) {
    const std::string png = ReadFileBytes(HostPathToWindows(std::wstring(SKIN_RENDERS) + L"start1" + suffix + L".png"));
    return UiLib::InflateRgbaPng(reinterpret_cast<const uint8_t*>(png.data()), png.size(), 4096, 1u << 20);
}

// A shown pixel (a COLORREF) against a render's RGBA pixel, allowing for rounding in the blend.
bool IsNear(COLORREF shown, const uint8_t* rgba) {
    return std::abs(GetRValue(shown) - rgba[0]) <= 2 && std::abs(GetGValue(shown) - rgba[1]) <= 2 &&
           std::abs(GetBValue(shown) - rgba[2]) <= 2;
}

// The display's DPI for programs started from now on; 96 again when the test ends.
class DisplayDpi {
public:
    ~DisplayDpi() { Set(UiLib::CDpiScale::kSkinDpi); }
    static void Set(int dpi) {
        const DWORD value = static_cast<DWORD>(dpi);
        RegSetKeyValueW(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels", REG_DWORD, &value, sizeof(value));
    }
};

class DpiE2ETest : public DemoGamesProgramTest {
protected:
    // The main window's outer size and, of the start button's white text, the rows from the first
    // to the last that hold it.
    struct Look {
        SIZE window{};
        int textHeight = 0;
        // Of the play icon's fully opaque pixels in the render made for the DPI, how many are
        // shown as that render has them and how many as the 1x render stretched (nearest pixel).
        int iconPixels = 0;
        int matchRender = 0;
        int matchStretched = 0;
    };

    Look LookAt(HWND window, const UiLib::CDpiScale& scale) {
        Look look;
        RECT rect{};
        GetWindowRect(window, &rect);
        look.window = SIZE{rect.right - rect.left, rect.bottom - rect.top};
        const RECT button = scale.Scale(kStartButton);
        int first = -1;
        int last = -1;
        for (int y = button.top; y < button.bottom; ++y)
            for (int x = scale.Scale(kStartTextLeft); x < scale.Scale(kStartTextRight); ++x)
                if (IsWhite(ClientRgb(window, x, y))) {
                    if (first < 0) first = y;
                    last = y;
                    break;
                }
        look.textHeight = first < 0 ? 0 : last - first + 1;
        if (!scale.IsIdentity()) MatchPlayIcon(window, scale, look);
        return look;
    }

    // The icon lies on the button's opaque face, so no pixel compared depends on what is behind
    // the picture; at 96 DPI both renders are the 1x one and nothing is compared.
    static void MatchPlayIcon(HWND window, const UiLib::CDpiScale& scale, Look& look) {
        const std::optional<UiLib::RgbaPngRows> render = StartButtonRender(scale.Dpi() == 144 ? L"@1.5x" : L"@2x");
        const std::optional<UiLib::RgbaPngRows> plain = StartButtonRender(L"");
        ASSERT_TRUE(render && plain) << "the build's renders of the start button are read";
        const POINT button = scale.Scale(POINT{kStartButton.left, kStartButton.top});
        const RECT icon = scale.Scale(kPlayIcon);
        UiLib::CWindowDC dc(window);
        for (int y = icon.top; y < icon.bottom; ++y) {
            for (int x = icon.left; x < icon.right; ++x) {
                const uint8_t* ours = render->Row(y) + x * 4;
                if (ours[3] != 255) continue;
                const COLORREF shown = GetPixel(dc.Get(), button.x + x, button.y + y);
                const int plainX = x * UiLib::CDpiScale::kSkinDpi / scale.Dpi();
                const int plainY = y * UiLib::CDpiScale::kSkinDpi / scale.Dpi();
                ++look.iconPixels;
                look.matchRender += IsNear(shown, ours);
                look.matchStretched += IsNear(shown, plain->Row(plainY) + plainX * 4);
            }
        }
    }

    static bool IsWhite(uint32_t rgb) { return (rgb & 0xF0F0F0) == 0xF0F0F0; }

    // Starts the program, selects the second game where its button is drawn and clicks where the
    // start button is drawn; the window's look once the game is started.
    Look StartTheSecondGameAt(int dpi) {
        DisplayDpi::Set(dpi);
        Look look;
        HWND window = Start();
        EXPECT_NE(window, nullptr);
        if (window == nullptr) return look;
        const UiLib::CDpiScale scale(dpi);
        // The window as a whole on the screen, where the real pointer reaches all of it.
        SetWindowPos(window, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        service_.Reset();
        for (int attempt = 0; attempt < 3 && service_.CountRequests("act=getGongLue&ID=12") == 0; ++attempt) {
            SetForegroundWindow(window);
            LeftClick(window, scale.Scale(kSecondGame));
            WaitUntil([&] { return service_.CountRequests("act=getGongLue&ID=12") > 0; }, 3000);
        }
        EXPECT_GT(service_.CountRequests("act=getGongLue&ID=12"), 0) << "a click on the second game selects it";
        UpdateWindow(window);
        look = LookAt(window, scale);
        LeftClick(window, scale.Scale(POINT{(kStartButton.left + kStartButton.right) / 2,
                                             (kStartButton.top + kStartButton.bottom) / 2}));
        EXPECT_TRUE(WaitUntil([&] { return FileExists(games_.Folder(2) + L"\\started.txt"); }))
            << "a click on the start button starts the selected game";
        program_->Terminate();
        program_.reset();
        DemoGames::EndRunning();
        DeleteFileW((games_.Folder(2) + L"\\started.txt").c_str());
        return look;
    }

    DisplayDpi displayDpi_;
};

}  // namespace

TEST_F(DpiE2ETest, TheMainWindowTextAndClicksScaleWithTheDisplay) {
    const Look plain = StartTheSecondGameAt(96);
    EXPECT_EQ(plain.window.cx, kMainWindow.cx);
    EXPECT_EQ(plain.window.cy, kMainWindow.cy);
    ASSERT_GT(plain.textHeight, 10) << "the start button's text is seen at 96 DPI";

    for (int dpi : {144, 192}) {
        SCOPED_TRACE(dpi);
        const UiLib::CDpiScale scale(dpi);
        const Look scaled = StartTheSecondGameAt(dpi);
        EXPECT_EQ(scaled.window.cx, scale.Scale(kMainWindow.cx));
        EXPECT_EQ(scaled.window.cy, scale.Scale(kMainWindow.cy));
        // Text of a font made for the DPI, not a stretched bitmap: its height scales to within
        // the rounding of the font's own metrics.
        EXPECT_NEAR(scaled.textHeight * UiLib::CDpiScale::kSkinDpi, plain.textHeight * dpi, 2 * dpi);
        // The picture is drawn from the render made for the DPI, not from the 1x one stretched.
        EXPECT_GE(scaled.matchRender, scaled.iconPixels * 97 / 100);
        EXPECT_LT(scaled.matchStretched, scaled.iconPixels * 9 / 10) << "the stretched 1x render differs at the edges";
    }
}
