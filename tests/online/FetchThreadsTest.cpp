#include "online/FetchThreads.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "shared/BackgroundWork.h"
#include "shared/ScopedHandle.h"
#include "shared/SysSettings.h"
#include "online/ManagementService.h"
#include "tests/support/LocalService.h"
#include "tests/support/LudoraProcess.h"

namespace {

struct Delivery {
    UINT message;
    std::wstring reply;
};

// The fetchers against the local service, with waits that are recorded instead of slept.
class FetchThreadsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { service_ = new LocalService(); }
    static void TearDownTestSuite() {
        delete service_;
        service_ = nullptr;
    }

    void SetUp() override {
        ASSERT_TRUE(service_->Running());
        service_->Reset();
        environment_.serviceHost = service_->Host();
        environment_.settings = [this] { return settings_; };
        environment_.sleep = [this](unsigned long milliseconds) { sleeps_.push_back(milliseconds); };
        environment_.checkConnection = [this] { return connectedAtCheck_ == ++checks_; };
        environment_.deliver = [this](UINT message, std::wstring reply) { deliveries_.push_back({message, reply}); };
    }

    static LocalService* service_;
    SettingValues settings_;
    FetchEnvironment environment_;
    std::vector<unsigned long> sleeps_;
    std::vector<Delivery> deliveries_;
    int checks_ = 0;
    int connectedAtCheck_ = 0;
};

LocalService* FetchThreadsTest::service_ = nullptr;

const char kPopReply[] = "#success#http://127.0.0.1/pop.html#5#8#300#170#";

}  // namespace

TEST_F(FetchThreadsTest, TheProbeWaitsLongerAfterEachFailedCheck) {
    RunConnectivityProbe(environment_);
    EXPECT_EQ(checks_, 4);
    EXPECT_EQ(sleeps_, (std::vector<unsigned long>{30000, 60000, 150000, 900000}));

    checks_ = 0;
    sleeps_.clear();
    connectedAtCheck_ = 3;
    RunConnectivityProbe(environment_);
    EXPECT_EQ(checks_, 3);
    EXPECT_EQ(sleeps_, (std::vector<unsigned long>{30000, 60000}));
}

TEST_F(FetchThreadsTest, TheConnectivityCheckConnectsForReal) {
    EXPECT_TRUE(CheckConnectivity(service_->Url("/")));
    EXPECT_FALSE(CheckConnectivity(L"http://127.0.0.1:" + std::to_wstring(FreeLocalPort()) + L"/"));
}

// The window raises the advert after its delay; the fetch does not wait for it.
TEST_F(FetchThreadsTest, TheAdvertIsHandedOverAtOnce) {
    service_->Answer("getPop-ad", kPopReply);
    RunAdFetch(environment_);
    EXPECT_TRUE(sleeps_.empty());
    ASSERT_EQ(deliveries_.size(), 1u);
    EXPECT_EQ(deliveries_[0].message, WM_POP_AD);
    EXPECT_EQ(deliveries_[0].reply, L"#success#http://127.0.0.1/pop.html#5#8#300#170#");
}

// With the probe's site unreachable and the service answering, the first news is asked for and
// handed over while the probe still waits for the network; today's news and then the advert come
// once the probe has ended, and only the probe waits.
TEST_F(FetchThreadsTest, TheNewsComesAtOnceTodaysNewsAndTheAdvertFollowTheProbe) {
    service_->Answer("getNews", "#success#http://127.0.0.1/today.html#9#9#9#9#");
    service_->Answer("getPop-ad", "#success#http://127.0.0.1/ad.html#7#8#300#170#");
    service_->Answer("getPop-news", kPopReply);
    // Written before `wake` is set, read by the probe after it wakes.
    std::wstring probeUrl = L"http://127.0.0.1:" + std::to_wstring(FreeLocalPort()) + L"/";
    ScopedHandle probeWaiting(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    ScopedHandle wake(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    ScopedHandle newsHandedOver(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    ScopedHandle advertHandedOver(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    environment_.checkConnection = [&] {
        ++checks_;
        return CheckConnectivity(probeUrl);
    };
    environment_.sleep = [&](unsigned long milliseconds) {
        sleeps_.push_back(milliseconds);
        SetEvent(probeWaiting.get());
        WaitForSingleObject(wake.get(), 10000);
    };
    environment_.deliver = [&](UINT message, std::wstring reply) {
        deliveries_.push_back({message, reply});
        if (message == WM_POP_AD) SetEvent(advertHandedOver.get());
    };
    unsigned long wait = 0;
    environment_.askNewsAgain = [&](unsigned long milliseconds) {
        wait = milliseconds;
        SetEvent(newsHandedOver.get());
    };
    StartFetchThread(environment_);

    EXPECT_EQ(WaitForSingleObject(newsHandedOver.get(), 10000), WAIT_OBJECT_0) << "the news waited for the probe";
    EXPECT_EQ(WaitForSingleObject(probeWaiting.get(), 10000), WAIT_OBJECT_0);
    EXPECT_EQ(service_->CountRequests("act=getNews"), 0) << "asked before the probe ended";
    EXPECT_EQ(service_->CountRequests("type=ad"), 0) << "asked before the probe ended";
    EXPECT_EQ(wait, 5000u) << "the next news is asked for when this one is due";
    EXPECT_EQ(deliveries_.size(), 1u);

    probeUrl = service_->Url("/");
    SetEvent(wake.get());
    ASSERT_EQ(WaitForSingleObject(advertHandedOver.get(), 10000), WAIT_OBJECT_0);
    // A news that came late has ended too before the fixture goes.
    ASSERT_EQ(WaitForSingleObject(newsHandedOver.get(), 10000), WAIT_OBJECT_0);
    EXPECT_EQ(checks_, 2);
    EXPECT_EQ(sleeps_, (std::vector<unsigned long>{30000})) << "only the probe waits";
    ASSERT_EQ(deliveries_.size(), 3u);
    EXPECT_EQ(deliveries_[0].message, WM_POP_NEWS);
    EXPECT_EQ(deliveries_[1].message, WM_TODAY_NEWS);
    EXPECT_EQ(deliveries_[2].message, WM_POP_AD);
}

// Other background jobs (the strategy page, the icons) take their turn while the probe waits for
// the network to come up.
TEST_F(FetchThreadsTest, AProbeWaitingForTheNetworkHoldsUpNoOtherBackgroundJob) {
    ScopedHandle sleeping(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    ScopedHandle wake(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    ScopedHandle otherJobRan(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    ScopedHandle advertHandedOver(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    service_->Answer("getPop-ad", kPopReply);
    connectedAtCheck_ = 2;
    environment_.sleep = [&](unsigned long) {
        SetEvent(sleeping.get());
        WaitForSingleObject(wake.get(), 10000);
    };
    environment_.deliver = [&](UINT message, std::wstring) {
        if (message == WM_POP_AD) SetEvent(advertHandedOver.get());
    };
    StartFetchThread(environment_);
    ASSERT_EQ(WaitForSingleObject(sleeping.get(), 10000), WAIT_OBJECT_0);
    ASSERT_TRUE(RunInBackground(BackgroundLane::Network, [done = otherJobRan.get()] { SetEvent(done); }));
    EXPECT_EQ(WaitForSingleObject(otherJobRan.get(), 10000), WAIT_OBJECT_0);
    SetEvent(wake.get());
    EXPECT_EQ(WaitForSingleObject(advertHandedOver.get(), 10000), WAIT_OBJECT_0);
}

TEST_F(FetchThreadsTest, NoAdvertRequestOnTheDayItWasShown) {
    settings_.AdTime = TodayStamp();
    RunAdFetch(environment_);
    EXPECT_EQ(service_->CountRequests("act=getPop"), 0);
    EXPECT_TRUE(deliveries_.empty());
}

TEST_F(FetchThreadsTest, UnsuccessfulAdvertAndTodayNewsRepliesShowNothing) {
    service_->Answer("getPop-ad", "#Success#http://x#1#1#1#1#");
    service_->Answer("getNews", "#fail#");
    RunAdFetch(environment_);
    RunTodayNewsFetch(environment_);
    EXPECT_EQ(service_->CountRequests("act=getPop&type=ad"), 1);
    EXPECT_EQ(service_->CountRequests("act=getNews"), 1);
    EXPECT_TRUE(deliveries_.empty());
    EXPECT_TRUE(sleeps_.empty());
}

TEST_F(FetchThreadsTest, TodaysNewsIsHandedOverAtOnce) {
    service_->Answer("getNews", "#success#http://127.0.0.1/today.html#9#9#9#9#");
    RunTodayNewsFetch(environment_);
    EXPECT_TRUE(sleeps_.empty());
    ASSERT_EQ(deliveries_.size(), 1u);
    EXPECT_EQ(deliveries_[0].message, WM_TODAY_NEWS);
    EXPECT_EQ(deliveries_[0].reply, L"#success#http://127.0.0.1/today.html#9#9#9#9#");
}

TEST_F(FetchThreadsTest, NoTodaysNewsRequestWhenTurnedOffOrShownToday) {
    settings_.IsShow = L"0";
    RunTodayNewsFetch(environment_);
    settings_.IsShow = L"1";
    settings_.NewsTime = TodayStamp();
    RunTodayNewsFetch(environment_);
    EXPECT_EQ(service_->CountRequests("act=getNews"), 0);
    EXPECT_TRUE(deliveries_.empty());
}

TEST_F(FetchThreadsTest, AnUnsuccessfulNewsReplyIsAskedAgainAfterHalfAnHour) {
    ServiceAnswer once;
    once.once = true;
    service_->Answer("getPop-news", "#error#", once);
    service_->Answer("getPop-news", kPopReply);
    EXPECT_EQ(RunPopNewsFetch(environment_), 1800000u);
    EXPECT_TRUE(deliveries_.empty());
    EXPECT_EQ(RunPopNewsFetch(environment_), 5000u);
    EXPECT_EQ(service_->CountRequests("act=getPop&type=news"), 2);
    EXPECT_TRUE(sleeps_.empty()) << "the fetch never waits itself";
    ASSERT_EQ(deliveries_.size(), 1u);
    EXPECT_EQ(deliveries_[0].message, WM_POP_NEWS);
}

// A negative delay counts as none rather than as a wait of weeks; without a delay the service is
// asked again a minute later, not at once and without end.
TEST_F(FetchThreadsTest, NewsWithoutAPositiveDelayIsAskedForAgainAfterAMinute) {
    for (const char* delay : {"-4", "0", "", "soon"}) {
        service_->Answer("getPop-news", std::string("#success#http://n#") + delay + "#8#1#1#");
        EXPECT_EQ(RunPopNewsFetch(environment_), 60000u) << delay;
    }
    EXPECT_EQ(deliveries_.size(), 4u);
}

// The thread hands its wait over as it ends, so the window's timer asks for the next news.
TEST_F(FetchThreadsTest, ANewsThreadHandsOverTheWaitBeforeTheNextRequest) {
    service_->Answer("getPop-news", kPopReply);
    HANDLE handedOver = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    unsigned long wait = 0;
    environment_.askNewsAgain = [&](unsigned long milliseconds) {
        wait = milliseconds;
        SetEvent(handedOver);
    };
    StartNewsFetchThread(environment_);
    ASSERT_EQ(WaitForSingleObject(handedOver, 10000), WAIT_OBJECT_0);
    CloseHandle(handedOver);
    EXPECT_EQ(wait, 5000u);
    EXPECT_EQ(deliveries_.size(), 1u);
}

TEST_F(FetchThreadsTest, AMegabyteReplyIsHandedOverWhole) {
    std::string url = "http://127.0.0.1/" + std::string(1024 * 1024, 'u');
    service_->Answer("getPop-ad", "#success#" + url + "#0#1#2#3#");
    RunAdFetch(environment_);
    ASSERT_EQ(deliveries_.size(), 1u);
    EXPECT_EQ(ParsePopupReply(deliveries_[0].reply).url, std::wstring(url.begin(), url.end()));
}

TEST(DelayMilliseconds, ClampsNegativeAndHugeDelays) {
    EXPECT_EQ(DelayMilliseconds(5), 5000u);
    EXPECT_EQ(DelayMilliseconds(0), 0u);
    EXPECT_EQ(DelayMilliseconds(-1), 0u);
    EXPECT_LT(DelayMilliseconds(INT_MAX), 0xFFFFFFFFu);
    EXPECT_GT(DelayMilliseconds(INT_MAX), 4000000000u);
}
