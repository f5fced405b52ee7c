// The real program on displays of 150 % and 200 % (LogPixels 144 and 192), against the same
// program on a 96-DPI display: the main window comes up one and a half and two times as large,
// its text is drawn at the scaled size, and a real click where a control is drawn hits it.
//
// Runs in a Wine prefix of its own (tools/wine-run-apart.sh): Wine reads the prefix's LogPixels
// as each program starts, so the test sets it before each start of the program and the tests of
// the build's prefix never see it. Wine has one DPI for every display and never stretches a window.
#include <windows.h>

#include <gtest/gtest.h>

#include "UiLib/render/DpiScale.h"
#include "tests/support/DemoGamesProgramTest.h"
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
        return look;
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
    }
}
