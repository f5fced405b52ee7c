// The news pop-up, the advert and the today's-news window of the real program, raised by the
// local management service's replies. Wine here has no HTML engine: every web page fails to load
// and, as a failing page does, closes its window at once. The replies therefore name the blank
// page, which the windows show without loading anything.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/MainFrame.h"
#include "online/ManagementService.h"
#include "tests/support/LocalService.h"
#include "tests/support/LudoraProcess.h"
#include "tests/support/ProgramWindows.h"
#include "tests/support/TestFolder.h"

namespace {

constexpr unsigned short kServicePort = 18360;

void WriteSettings(const std::string& newsUrl, const std::string& newsTime) {
    ClearProgramData();
    CreateDirectoryW(ProgramDataFolder().c_str(), nullptr);
    CreateDirectoryW((ProgramDataFolder() + L"\\Patchs").c_str(), nullptr);
    WriteFileBytes(ProgramDataFolder() + L"\\config.xml",
                   "<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"yes\" ?>\n<SysSet><Setting AutoRun=\"0\" "
                   "IsColse=\"0\" IsShow=\"1\" UpdateType=\"0\" NewsUrl=\"" + newsUrl + "\" AdTime=\"\" NewsTime=\"" +
                       newsTime + "\" /></SysSet>\n");
}

RECT WorkArea() {
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    return work;
}

class PopupsE2ETest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(service_.Running());
        // No delay in the replies: the windows' own delays are what is measured.
        AnswerWith("#success#about:blank#0#3#320#180#", "#success#about:blank#0#60#100000#0#",
                   "#success#about:blank#0#0#700#450#");
        SetCursorPos(0, 0);
    }
    // The news is answered once: the news fetch asks again when it is due, and then hears of none.
    void AnswerWith(const std::string& news, const std::string& advert, const std::string& today) {
        service_.Reset();
        ServiceAnswer once;
        once.once = true;
        service_.Answer("getPop-news", news, once);
        service_.Answer("getPop-news", "#fail#");
        service_.Answer("getPop-ad", advert);
        service_.Answer("getNews", today);
    }
    void TearDown() override {
        if (program_) program_->Terminate();
        ClearProgramData();
    }
    HWND Start() {
        program_ = std::make_unique<LudoraProcess>(L"");
        return program_->WaitForWindow(MainFrame::kWindowClassName);
    }

    LocalService service_{kServicePort};
    std::unique_ptr<LudoraProcess> program_;
};

}  // namespace

TEST_F(PopupsE2ETest, TheRepliesRaiseTheirWindowsAfterTheirDelaysAtSoundSizesOncePerDay) {
    WriteSettings("", "");
    ASSERT_NE(Start(), nullptr);
    const DWORD started = GetTickCount();
    const RECT work = WorkArea();

    // The news pop-up: after about 5 s, topmost, in the corner at the reply's size.
    HWND news = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        for (HWND window : VisibleWindows(program_->Id(), L"PopWnd"))
            if (IsTopmost(window)) news = window;
        return news != nullptr;
    }, 15000));
    const DWORD newsShown = GetTickCount() - started;
    EXPECT_GE(newsShown, 3500u);
    RECT rect{};
    GetWindowRect(news, &rect);
    EXPECT_EQ(rect.right, work.right);
    EXPECT_EQ(rect.bottom, work.bottom);
    EXPECT_EQ(rect.right - rect.left, 320);
    EXPECT_EQ(rect.bottom - rect.top, 180);

    // The advert after about 10 s, not topmost, its size of 100000 by 0 brought into reason; the
    // today's-news window as well, 700 by 450 in the middle of the screen.
    HWND advert = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        for (HWND window : VisibleWindows(program_->Id(), L"PopWnd"))
            if (window != news) advert = window;
        return advert != nullptr;
    }, 20000));
    EXPECT_GE(GetTickCount() - started, 8000u);
    EXPECT_FALSE(IsTopmost(advert));
    GetWindowRect(advert, &rect);
    EXPECT_EQ(rect.right - rect.left, work.right - work.left);
    EXPECT_EQ(rect.bottom - rect.top, 170);
    HWND today = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        std::vector<HWND> found = VisibleWindows(program_->Id(), L"MiniInformationWndUI");
        today = found.empty() ? nullptr : found.front();
        return today != nullptr;
    }, 10000));
    GetWindowRect(today, &rect);
    EXPECT_EQ(rect.right - rect.left, 700);
    EXPECT_EQ(rect.bottom - rect.top, 450);
    EXPECT_NEAR((rect.left + rect.right) / 2, (work.left + work.right) / 2, 1);

    // The news closes itself after its display time of 3 s.
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(news); }, 10000));
}

TEST_F(PopupsE2ETest, NewsAlreadyShownAndTodaysNewsOfTodayRaiseNothing) {
    std::wstring today = TodayStamp();
    WriteSettings("about:blank", std::string(today.begin(), today.end()));
    ASSERT_NE(Start(), nullptr);
    ASSERT_TRUE(WaitUntil([&] { return service_.CountRequests("type=news") > 0; }));
    ASSERT_TRUE(WaitUntil([&] { return service_.CountRequests("type=ad") > 0; }, 20000));
    Sleep(6000);
    for (HWND window : VisibleWindows(program_->Id(), L"PopWnd")) EXPECT_FALSE(IsTopmost(window)) << "no news";
    EXPECT_EQ(service_.CountRequests("act=getNews"), 0) << "today's news was shown today";
    EXPECT_TRUE(VisibleWindows(program_->Id(), L"MiniInformationWndUI").empty());
}

// The fetches do not wait for a pop-up's delay: the main window raises the pop-up when it is due.
TEST_F(PopupsE2ETest, ThePopupIsRaisedWhenTheDelayOfItsReplyHasPassed) {
    AnswerWith("#success#about:blank#2#3#320#180#", "#fail#", "#fail#");
    WriteSettings("", "");
    ASSERT_NE(Start(), nullptr);
    ASSERT_TRUE(WaitUntil([&] { return service_.CountRequests("type=news") > 0; }));
    const DWORD answered = GetTickCount();
    ASSERT_TRUE(WaitUntil([&] { return FindProcessWindow(program_->Id(), L"PopWnd") != nullptr; }, 10000));
    EXPECT_GE(GetTickCount() - answered, 1500u);
    EXPECT_TRUE(WaitUntil([&] { return service_.CountRequests("type=news") == 2; })) << "asked again when it was due";
}

// A page that downloads in the background has the network to itself: the news page raised while
// the strategy page still downloads waits for it, so that the two never take a thread each.
TEST_F(PopupsE2ETest, APageWaitsForThePageDownloadingBeforeIt) {
    AnswerWith("#success#http://{host}/news-page.html#1#3#320#180#", "#fail#", "#fail#");
    service_.Answer("getGongLue", "#success#http://{host}/slow-strategy.html#");
    ServiceAnswer slow;
    slow.delaySeconds = 2.5;
    service_.Answer("/slow-strategy.html", "<html></html>", slow);
    WriteSettings("", "");
    ASSERT_NE(Start(), nullptr);
    ASSERT_TRUE(WaitUntil([&] { return service_.CountRequests("/slow-strategy.html") > 0; }));
    ASSERT_TRUE(WaitUntil([&] { return FindProcessWindow(program_->Id(), L"PopWnd") != nullptr; }, 5000));
    Sleep(300);
    EXPECT_EQ(service_.CountRequests("/news-page.html"), 0) << "loaded beside the strategy page";
    EXPECT_TRUE(WaitUntil([&] { return service_.CountRequests("/news-page.html") > 0; }, 10000))
        << "loaded once the strategy page was in";
}
