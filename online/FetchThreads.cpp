#include "online/FetchThreads.h"

#include <climits>

#include "BuildConfig.h"
#include "online/ManagementService.h"
#include "online/WinInet.h"
#include "shared/BackgroundWork.h"

namespace {

// The probe gives the network this long to come up before the fetchers ask in any case.
constexpr unsigned long kProbeWaits[] = {30000, 60000, 150000};
constexpr unsigned long kLastProbeWait = 900000;
constexpr unsigned long kNewsRetryWait = 1800000;
// A news reply without a positive delay would otherwise be asked for again at once, without end.
constexpr unsigned long kNewsWaitWithoutDelay = 60000;

void Deliver(const FetchEnvironment& environment, UINT message, const std::wstring& reply) {
    environment.deliver(message, reply);
}

void AskNewsAgain(const FetchEnvironment& environment, unsigned long milliseconds) {
    if (environment.askNewsAgain) environment.askNewsAgain(milliseconds);
}

// Waits after a failed connectivity check, longer each time, until a check succeeds or the last
// wait is over.
void WaitForConnectivity(const FetchEnvironment& environment) {
    for (unsigned long wait : kProbeWaits) {
        environment.sleep(wait);
        if (environment.checkConnection()) return;
    }
    environment.sleep(kLastProbeWait);
}

// Today's news and the advert: unlike the news, they wait for the probe.
void RunDailyFetches(const FetchEnvironment& environment) {
    RunTodayNewsFetch(environment);
    RunAdFetch(environment);
}

}  // namespace

FetchEnvironment ServiceFetchEnvironment() {
    FetchEnvironment environment;
    environment.serviceHost = ManagementServiceHost();
    environment.sleep = [](unsigned long milliseconds) { Sleep(milliseconds); };
    environment.checkConnection = [] { return CheckConnectivity(LUDORA_PROBE_URL); };
    return environment;
}

bool CheckConnectivity(const std::wstring& url) {
    const WinInetFunctions* inet = WinInet();
    return inet && inet->checkConnection(url.c_str(), FLAG_ICC_FORCE_CONNECTION, 0) != FALSE;
}

unsigned long DelayMilliseconds(int seconds) {
    if (seconds <= 0) return 0;
    constexpr unsigned long kLongest = ULONG_MAX - 1;  // ULONG_MAX itself would mean for ever
    unsigned long long milliseconds = static_cast<unsigned long long>(seconds) * 1000ULL;
    return milliseconds > kLongest ? kLongest : static_cast<unsigned long>(milliseconds);
}

void RunConnectivityProbe(const FetchEnvironment& environment) {
    if (!environment.checkConnection()) WaitForConnectivity(environment);
}

void RunAdFetch(const FetchEnvironment& environment) {
    if (environment.settings().AdTime == TodayStamp()) return;
    std::wstring reply = RequestFromService(environment.serviceHost, ServiceAction::Advert);
    if (!IsSuccessfulReply(reply)) return;
    Deliver(environment, WM_POP_AD, reply);
}

void RunTodayNewsFetch(const FetchEnvironment& environment) {
    const SettingValues settings = environment.settings();
    if (settings.IsShow == L"0" || settings.NewsTime == TodayStamp()) return;
    std::wstring reply = RequestFromService(environment.serviceHost, ServiceAction::TodayNews);
    if (!IsSuccessfulReply(reply)) return;
    Deliver(environment, WM_TODAY_NEWS, reply);
}

unsigned long RunPopNewsFetch(const FetchEnvironment& environment) {
    std::wstring reply = RequestFromService(environment.serviceHost, ServiceAction::NewsPopup);
    if (!IsSuccessfulReply(reply)) return kNewsRetryWait;
    Deliver(environment, WM_POP_NEWS, reply);
    // The next news is asked for when this one is due to be shown.
    const unsigned long due = DelayMilliseconds(ParsePopupReply(reply).delaySeconds);
    return due == 0 ? kNewsWaitWithoutDelay : due;
}

// The fetches are short and take their turn with the other background jobs; the news goes first,
// as it never waits for the probe. Without a network the probe waits for minutes: then it and the
// daily fetches after it take a worker of their own, so that the strategy page, the icons and the
// next news do not wait with them.
void StartFetchThread(const FetchEnvironment& environment) {
    StartNewsFetchThread(environment);
    RunInBackground(BackgroundLane::Network, [environment] {
        if (environment.checkConnection()) {
            RunDailyFetches(environment);
            return;
        }
        RunLongInBackground([environment] {
            WaitForConnectivity(environment);
            RunDailyFetches(environment);
        });
    });
}

void StartNewsFetchThread(const FetchEnvironment& environment) {
    RunInBackground(BackgroundLane::Network,
                    [environment] { AskNewsAgain(environment, RunPopNewsFetch(environment)); });
}
