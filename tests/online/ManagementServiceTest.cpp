#include "online/ManagementService.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <climits>
#include <random>

#include "tests/support/LocalService.h"

TEST(ServiceRequestUrl, NamesTheFiveActions) {
    const std::wstring base = L"http://host:1/api.php?op=get_manager_setting&act=";
    EXPECT_EQ(ServiceRequestUrl(L"host:1", ServiceAction::Version), base + L"getversion");
    EXPECT_EQ(ServiceRequestUrl(L"host:1", ServiceAction::StrategyPage, 12), base + L"getGongLue&ID=12");
    EXPECT_EQ(ServiceRequestUrl(L"host:1", ServiceAction::StrategyPage), base + L"getGongLue&ID=0");
    EXPECT_EQ(ServiceRequestUrl(L"host:1", ServiceAction::NewsPopup), base + L"getPop&type=news");
    EXPECT_EQ(ServiceRequestUrl(L"host:1", ServiceAction::Advert), base + L"getPop&type=ad");
    EXPECT_EQ(ServiceRequestUrl(L"host:1", ServiceAction::TodayNews), base + L"getNews");
}

// A build may name the service with "https://": its requests then go over TLS to port 443.
TEST(ServiceRequestUrl, KeepsTheSchemeOfAServiceHostThatNamesOne) {
    const std::wstring url = ServiceRequestUrl(L"https://service.example.com", ServiceAction::Version);
    EXPECT_EQ(url, L"https://service.example.com/api.php?op=get_manager_setting&act=getversion");
    UrlParts parts = CrackUrl(url);
    EXPECT_EQ(parts.scheme, 4) << "INTERNET_SCHEME_HTTPS";
    EXPECT_EQ(parts.port, 443);
    EXPECT_EQ(ServiceRequestUrl(L"http://host:1", ServiceAction::TodayNews),
              L"http://host:1/api.php?op=get_manager_setting&act=getNews");
}

TEST(ReplyField, ReadsTheFieldsOfAPopUpReply) {
    const std::wstring reply = L"#success#http://news/a.html#5#8#300#170#";
    EXPECT_TRUE(IsSuccessfulReply(reply));
    PopupReply popup = ParsePopupReply(reply);
    EXPECT_EQ(popup.url, L"http://news/a.html");
    EXPECT_EQ(popup.delaySeconds, 5);
    EXPECT_EQ(popup.showSeconds, 8);
    EXPECT_EQ(popup.width, 300);
    EXPECT_EQ(popup.height, 170);
    EXPECT_EQ(ReplyField(reply, 0), L"");
    EXPECT_EQ(ReplyField(L"head#success#", 0), L"head");
}

TEST(ReplyField, MalformedRepliesGiveShiftedOrEmptyFields) {
    // No "#" in front: the status is what follows the first "#".
    EXPECT_EQ(ReplyField(L"success#http://x#", 1), L"http://x");
    EXPECT_FALSE(IsSuccessfulReply(L"success#http://x#"));
    // The last field without its closing "#" is empty.
    EXPECT_EQ(ReplyField(L"#success#http://x", 2), L"");
    EXPECT_EQ(ParsePopupReply(L"#success#http://x").url, L"");
    // Case and blanks matter.
    EXPECT_FALSE(IsSuccessfulReply(L"#Success#u#"));
    EXPECT_FALSE(IsSuccessfulReply(L"# success#u#"));
    EXPECT_FALSE(IsSuccessfulReply(L""));
    EXPECT_FALSE(IsSuccessfulReply(L"no separators"));
    // A failed search starts the next one from the beginning again.
    EXPECT_EQ(ReplyField(L"a#b", 1), L"");
    EXPECT_EQ(ReplyField(L"a#b", 2), L"a");
    EXPECT_EQ(ReplyField(L"#success#", 2), L"");
    EXPECT_EQ(ReplyField(L"#success#", 4), L"success");
}

TEST(ReplyNumber, ReadsLeadingDecimalDigits) {
    EXPECT_EQ(ReplyNumber(L"42"), 42);
    EXPECT_EQ(ReplyNumber(L"  7s"), 7);
    EXPECT_EQ(ReplyNumber(L"-3"), -3);
    EXPECT_EQ(ReplyNumber(L"+9"), 9);
    EXPECT_EQ(ReplyNumber(L""), 0);
    EXPECT_EQ(ReplyNumber(L"abc"), 0);
    EXPECT_EQ(ReplyNumber(L"- 5"), 0);
    EXPECT_EQ(ReplyNumber(L"99999999999999999999"), INT_MAX);
    EXPECT_EQ(ReplyNumber(L"-99999999999999999999"), INT_MIN);
    PopupReply popup = ParsePopupReply(L"#success#u#five#8x#-2##");
    EXPECT_EQ(popup.delaySeconds, 0);
    EXPECT_EQ(popup.showSeconds, 8);
    EXPECT_EQ(popup.width, -2);
    EXPECT_EQ(popup.height, 0);
}

TEST(ReplyField, LongRepliesAndLongFields) {
    std::wstring url = L"http://127.0.0.1/" + std::wstring(1024 * 1024, L'u');
    PopupReply popup = ParsePopupReply(L"#success#" + url + L"#1#2#3#4#");
    EXPECT_EQ(popup.url, url);
    EXPECT_EQ(popup.height, 4);
}

TEST(ReplyField, RandomRepliesGiveSubstringsWithoutSeparators) {
    std::mt19937 random(20260612);
    const wchar_t alphabet[] = L"##ab1 -success中";
    for (int round = 0; round < 3000; ++round) {
        std::wstring reply;
        int length = static_cast<int>(random() % 40);
        for (int i = 0; i < length; ++i) reply += alphabet[random() % (sizeof(alphabet) / sizeof(wchar_t) - 1)];
        for (int k = 0; k < 9; ++k) {
            std::wstring field = ReplyField(reply, k);
            EXPECT_EQ(field.find(L'#'), std::wstring::npos) << round;
            EXPECT_NE(reply.find(field), std::wstring::npos) << round;
            ReplyNumber(field);
        }
        ParsePopupReply(reply);
    }
}

TEST(TodayStamp, IsTheLocalDateWithoutSeparators) {
    SYSTEMTIME before{}, after{};
    GetLocalTime(&before);
    std::wstring stamp = TodayStamp();
    GetLocalTime(&after);
    wchar_t expected[2][16];
    swprintf(expected[0], 16, L"%04d%02d%02d", before.wYear, before.wMonth, before.wDay);
    swprintf(expected[1], 16, L"%04d%02d%02d", after.wYear, after.wMonth, after.wDay);
    EXPECT_EQ(stamp.size(), 8u);
    EXPECT_TRUE(stamp == expected[0] || stamp == expected[1]) << stamp;
}

class ManagementServiceTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { service_ = new LocalService(); }
    static void TearDownTestSuite() {
        delete service_;
        service_ = nullptr;
    }
    void SetUp() override {
        ASSERT_TRUE(service_->Running());
        service_->Reset();
    }
    static LocalService* service_;
};

LocalService* ManagementServiceTest::service_ = nullptr;

TEST_F(ManagementServiceTest, RequestsReachTheServiceWithTheirActions) {
    service_->Answer("getNews", "#success#http://today#0#0#0#0#");
    EXPECT_EQ(RequestFromService(service_->Host(), ServiceAction::TodayNews), L"#success#http://today#0#0#0#0#");
    RequestFromService(service_->Host(), ServiceAction::Advert);
    auto requests = service_->Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].target, "/api.php?op=get_manager_setting&act=getNews");
    EXPECT_EQ(requests[1].target, "/api.php?op=get_manager_setting&act=getPop&type=ad");
}

TEST_F(ManagementServiceTest, TheStrategyPageIsField2OfASuccessfulReply) {
    service_->Answer("getGongLue", "#success#http://guide/{id}.html#", {});
    EXPECT_EQ(StrategyPageAddress(service_->Host(), 12), L"http://guide/12.html");
    EXPECT_EQ(StrategyPageAddress(service_->Host(), 0), L"http://guide/0.html");
    EXPECT_EQ(service_->CountRequests("act=getGongLue&ID=12"), 1);

    service_->Answer("getGongLue", "#fail#http://guide/x.html#");
    EXPECT_EQ(StrategyPageAddress(service_->Host(), 12), L"");
    EXPECT_EQ(StrategyPageAddress(L"127.0.0.1:" + std::to_wstring(FreeLocalPort()), 12), L"");
}
