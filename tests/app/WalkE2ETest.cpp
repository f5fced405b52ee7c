// The whole program walked through as a player would, in three runs of the real program with the
// local management service and its portal pages: the first start with its games, the portal tabs,
// the tray and the settings; a second run with the news pop-up, today's news and a second start;
// a third one whose manual update check installs a new version and restarts into it. Wine here
// has no HTML engine: the pop-ups are given the blank page, and the portal and strategy pages are
// seen through the requests the program's browsers make for them.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/MainFrame.h"
#include "online/ManagementService.h"
#include "tests/support/DemoGames.h"
#include "tests/support/LocalService.h"
#include "tests/support/LudoraProcess.h"
#include "tests/support/MyGamesPage.h"
#include "tests/support/ProgramWindows.h"
#include "tests/support/TestFolder.h"

namespace {

constexpr unsigned short kServicePort = 18360;
// The navigation options: 70 pixels square, 100 apart, "mygame" first.
constexpr int kFirstOptionLeft = 240;
constexpr int kOptionTop = 24;
constexpr int kOptionSize = 70;
constexpr int kOptionPitch = 100;
constexpr POINT kCloseButton{944, 12};
constexpr POINT kMinButton{904, 12};
constexpr POINT kEmptyBand{120, 60};
constexpr UINT kTrayCallback = 28;
// The settings dialog's "直接退出程序".
constexpr POINT kQuitOnClose{140, 196};
constexpr int kSettingsEntry = 0;
constexpr int kUpdateEntry = 1;

// The page each web tab opens the first time it is shown.
struct PortalPage {
    const char* host;
    const char* target;
};
const PortalPage kPortalPages[] = {{"127.0.0.1:18361", "/hezi/tj.htm"},
                                   {"127.0.0.1:18361", "/hezi/"},
                                   {"127.0.0.1:18362", "/hezi/"},
                                   {"127.0.0.1:18363", "/hezi.htm"}};

POINT OptionCentre(int option) {
    return POINT{kFirstOptionLeft + kOptionPitch * option + kOptionSize / 2, kOptionTop + kOptionSize / 2};
}

// The sum of the option's painted pixels: its selected image differs from its normal one.
uint64_t OptionLook(HWND window, int option) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = kOptionSize;
    info.bmiHeader.biHeight = -kOptionSize;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    HDC source = GetDC(window);
    HDC memory = CreateCompatibleDC(source);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, kOptionSize, kOptionSize, source, kFirstOptionLeft + kOptionPitch * option, kOptionTop, SRCCOPY);
    uint64_t sum = 0;
    for (int i = 0; i < kOptionSize * kOptionSize; ++i) sum += static_cast<const uint32_t*>(bits)[i] & 0xFFFFFF;
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(window, source);
    return sum;
}

void MoveCursorTo(HWND window, POINT client) {
    ClientToScreen(window, &client);
    SetCursorPos(client.x, client.y);
}

std::string Config() { return ReadFileBytes(ProgramDataFolder() + L"\\config.xml"); }
std::string UserGames() { return ReadFileBytes(ProgramDataFolder() + L"\\UserGame.xml"); }

class WalkE2ETest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(service_.Running());
        service_.Reset();
        ClearProgramData();
        originalBytes_ = ReadFileBytes(LudoraExePath());
        ASSERT_GT(originalBytes_.size(), 100000u);
        // The next version, signed as the build signs the program (made by tests/online).
        packageBytes_ = ReadFileBytes(HostPathToWindows(UPDATE_PACKAGES) + L"\\signed.exe");
        ASSERT_GT(packageBytes_.size(), 100000u);
        WriteFileBytes(program_, originalBytes_);
    }
    void TearDown() override {
        if (running_) running_->Terminate();
        if (HWND window = FindWindowW(MainFrame::kWindowClassName, nullptr)) EndProcessOfWindow(window);
        DemoGames::EndRunning();
        ClearProgramData();
    }

    // The service's answers of a run: no pop-up unless asked for, this program's own version.
    void AnswerQuietly() {
        service_.Reset();
        for (const char* key : {"getPop-news", "getPop-ad", "getNews"}) service_.Answer(key, "#fail#");
        service_.Answer("getGongLue", "#success#http://{host}/strategy-{id}.html#");
        service_.Answer("getversion", Announcement("1.0.0.0"));
        ServiceAnswer raw;
        raw.raw = true;
        service_.Answer("/files/Ludora.pak", packageBytes_, raw);
    }
    static std::string Announcement(const std::string& version) {
        return "#success#" + version + "#{md5:/files/Ludora.pak}#http://{host}/files/Ludora.pak#";
    }

    static void RecordTodaysNewsShown() {
        std::string config = Config();
        const std::string unset = "NewsTime=\"\"";
        ASSERT_NE(config.find(unset), std::string::npos) << config;
        WriteFileBytes(ProgramDataFolder() + L"\\config.xml",
                       config.replace(config.find(unset), unset.size(), "NewsTime=\"" + Utf8(TodayStamp()) + "\""));
    }

    HWND Start() {
        running_ = std::make_unique<LudoraProcess>(L"", program_);
        HWND window = WaitForShownMainWindow(*running_);
        if (window != nullptr) page_ = std::make_unique<MyGamesPage>(window, running_->Id());
        return window;
    }

    bool Requested(const PortalPage& page) {
        for (const RecordedRequest& request : service_.Requests())
            if (request.target == page.target && request.Header("Host") == page.host) return true;
        return false;
    }

    bool UseMainMenu(HWND window, int entry) { return ::UseMainMenu(window, running_->Id(), entry); }

    void WalkTheGames(HWND window) {
        // The three installed games, then "moregame": no fourth game yet.
        for (int button = 0; button < 3; ++button) EXPECT_TRUE(page_->HasGame(button)) << button;
        EXPECT_FALSE(page_->HasGame(3));
        ASSERT_TRUE(page_->AddByHand(games_.HandGame(), L"新游戏"));
        EXPECT_NE(UserGames().find(Utf8(L"新游戏")), std::string::npos);
        EXPECT_TRUE(page_->HasGame(3));

        // Selecting the second game asks for its strategy page, which the page's browser opens.
        ASSERT_TRUE(page_->Select(1, service_, "act=getGongLue&ID=12"));
        EXPECT_TRUE(WaitUntil([&] { return service_.CountRequests("/strategy-12.html") > 0; }, 15000));
        page_->StartSelected();
        EXPECT_TRUE(WaitUntil([&] { return FileExists(games_.Folder(2) + L"\\started.txt"); }));
        DemoGames::EndRunning();

        // "删除游戏" on the hand-added game takes it off the file; on the third game it runs the
        // uninstaller, which removes the game's files and key.
        ASSERT_TRUE(page_->UseMenu(3, 2));
        EXPECT_TRUE(WaitUntil([] { return UserGames().find("hand.exe") == std::string::npos; }));
        ASSERT_TRUE(page_->UseMenu(2, 2));
        EXPECT_TRUE(WaitUntil([&] { return !FileExists(games_.Folder(3) + L"\\demogame.exe"); }, 20000));
        EXPECT_TRUE(WaitUntil([&] { return !games_.KeyExists(3); }));
        EXPECT_TRUE(WaitUntil([&] { return !page_->HasGame(2); }, 10000)) << "two games remain";
        SetForegroundWindow(window);
    }

    // Each web tab: its option is shown selected, the one before it no longer, and its browser
    // opens the tab's page.
    void WalkThePortalTabs(HWND window) {
        MoveCursorTo(window, kEmptyBand);
        std::vector<uint64_t> initial;
        for (int option = 0; option <= 4; ++option) initial.push_back(OptionLook(window, option));
        // "mygame" is selected at first.
        auto selected = [&](int option) { return (OptionLook(window, option) == initial[option]) == (option == 0); };
        for (int tab = 1; tab <= 4; ++tab) {
            const PortalPage& page = kPortalPages[tab - 1];
            bool opened = false;
            for (int attempt = 0; attempt < 3 && !opened; ++attempt) {
                SetForegroundWindow(window);
                LeftClick(window, OptionCentre(tab));
                opened = WaitUntil([&] { return Requested(page); }, 5000);
            }
            EXPECT_TRUE(opened) << "tab " << tab << " never asked for " << page.host << page.target;
            MoveCursorTo(window, kEmptyBand);
            EXPECT_TRUE(WaitUntil([&] { return selected(tab) && !selected(tab - 1); }, 5000)) << "tab " << tab;
        }
    }

    void WalkTheTrayAndSettings(HWND window) {
        ClickByMessages(window, kCloseButton);
        ASSERT_TRUE(WaitUntil([window] { return !IsWindowVisible(window); }));
        EXPECT_TRUE(WaitUntil([window] { return TrayHasIcon(window); }));
        SendMessageW(window, kTrayCallback, MainFrame::kTrayIconId, WM_LBUTTONDOWN);
        ASSERT_TRUE(WaitUntil([window] { return IsWindowVisible(window) != FALSE; }));

        // The close button is set to end the program from now on.
        ASSERT_TRUE(UseMainMenu(window, kSettingsEntry));
        HWND settings = WaitForShownWindow(running_->Id(), L"SystemSetWnd");
        ASSERT_NE(settings, nullptr);
        ClickByMessages(settings, kQuitOnClose);
        ClickByMessages(settings, kSettingsOkButton);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(settings); }));
        EXPECT_NE(Config().find("IsColse=\"1\""), std::string::npos) << Config();
    }

    // The news pop-up, closed by its button, and today's news.
    void WalkThePopups() {
        HWND news = nullptr;
        ASSERT_TRUE(WaitUntil([&] {
            for (HWND popup : VisibleWindows(running_->Id(), L"PopWnd"))
                if (IsTopmost(popup)) news = popup;
            return news != nullptr;
        }, 20000));
        HWND today = nullptr;
        ASSERT_TRUE(WaitUntil([&] {
            std::vector<HWND> found = VisibleWindows(running_->Id(), L"MiniInformationWndUI");
            today = found.empty() ? nullptr : found.front();
            return today != nullptr;
        }, 30000));
        RECT client{};
        GetClientRect(news, &client);
        ClickByMessages(news, POINT{client.right - 21, 12});
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(news); }, 10000)) << "the close button";
    }

    // A second start ends at once and brings the first one's minimised window back.
    void WalkASecondStart(HWND window) {
        ClickByMessages(window, kMinButton);
        ASSERT_TRUE(WaitUntil([&] { return IsIconic(window) != FALSE; }));
        LudoraProcess second(L"", program_);
        EXPECT_EQ(second.WaitForExit(), 0u);
        EXPECT_TRUE(WaitUntil([&] { return !IsIconic(window) && IsWindowVisible(window); }));
    }

    // "检查更新" until the download starts: a check while the automatic one still runs is only
    // told, in a box, that an update is on its way.
    bool CheckForUpdatesUntilDownloading(HWND window) {
        for (int attempt = 0; attempt < 3; ++attempt) {
            if (!UseMainMenu(window, kUpdateEntry)) return false;
            HWND box = nullptr;
            WaitUntil([&] {
                box = FindProcessWindow(running_->Id(), L"MyMessageBox");
                return box != nullptr || service_.CountRequests("/files/Ludora.pak") > 0;
            }, 10000);
            if (box == nullptr) return service_.CountRequests("/files/Ludora.pak") > 0;
            PostMessageW(box, WM_KEYDOWN, VK_ESCAPE, 0);
            WaitUntil([&] { return !IsWindow(box); });
        }
        return false;
    }

    // The manual check hears of a new version once, downloads and verifies it, and hands over to
    // the updater, which installs it and starts it; the new version then hears of no newer one.
    void WalkTheManualUpdate(HWND window) {
        ServiceAnswer once;
        once.once = true;
        service_.Answer("getversion", Announcement("1.0.0.1"), once);
        ASSERT_TRUE(CheckForUpdatesUntilDownloading(window));
        EXPECT_EQ(running_->WaitForExit(30000), 0u) << "the old version quits for the updater";
        EXPECT_TRUE(WaitUntil([&] { return ReadFileBytes(program_) == packageBytes_; }, 30000));
        HWND restarted = nullptr;
        EXPECT_TRUE(WaitUntil([&] { return (restarted = FindWindowW(MainFrame::kWindowClassName, nullptr)) != nullptr; }, 30000));
        ASSERT_NE(restarted, nullptr);
        WaitUntilSettled(restarted);
        EXPECT_TRUE(IsWindowVisible(restarted));
        EXPECT_EQ(service_.CountRequests("/files/Ludora.pak"), 1);
    }

    LocalService service_{kServicePort, {18361, 18362, 18363}};
    DemoGames games_;
    TestFolder folder_;
    std::wstring program_ = folder_.File(L"Ludora.exe");
    std::string originalBytes_;
    std::string packageBytes_;
    std::unique_ptr<LudoraProcess> running_;
    std::unique_ptr<MyGamesPage> page_;
};

}  // namespace

TEST_F(WalkE2ETest, APlayerWalksThroughTheWholeProgram) {
    // The first start makes the data folder and its settings.
    AnswerQuietly();
    HWND window = Start();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(WaitUntil([] { return FileExists(ProgramDataFolder() + L"\\Patchs") && !Config().empty(); }));
    ASSERT_NO_FATAL_FAILURE(WalkTheGames(window));
    ASSERT_NO_FATAL_FAILURE(WalkThePortalTabs(window));
    ASSERT_NO_FATAL_FAILURE(WalkTheTrayAndSettings(window));
    PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    ASSERT_EQ(running_->WaitForExit(), 0u);

    // The second run: the news and today's news come, the settings were kept.
    AnswerQuietly();
    ServiceAnswer once;
    once.once = true;
    service_.Answer("getPop-news", "#success#about:blank#0#60#320#180#", once);
    service_.Answer("getNews", "#success#about:blank#0#0#700#450#");
    window = Start();
    ASSERT_NE(window, nullptr);
    ASSERT_NO_FATAL_FAILURE(WalkThePopups());
    ASSERT_NO_FATAL_FAILURE(WalkASecondStart(window));
    ClickByMessages(window, kCloseButton);
    ASSERT_EQ(running_->WaitForExit(), 0u) << "the close button ends the program, as set in the first run";

    // The third run: no news again today; then the manual update. Today's news records the day
    // once its page has loaded, which Wine cannot do here: the day is written as that load would.
    RecordTodaysNewsShown();
    AnswerQuietly();
    service_.Answer("getNews", "#success#about:blank#0#0#700#450#");
    window = Start();
    ASSERT_NE(window, nullptr);
    // The advert is asked for after today's news would be: by then that one was left out.
    ASSERT_TRUE(WaitUntil([&] { return service_.CountRequests("type=ad") > 0; }, 30000));
    EXPECT_EQ(service_.CountRequests("act=getNews"), 0);
    EXPECT_TRUE(VisibleWindows(running_->Id(), L"MiniInformationWndUI").empty());
    ASSERT_TRUE(WaitUntil([&] { return service_.CountRequests("act=getversion") > 0; }, 30000));
    WalkTheManualUpdate(window);
}
