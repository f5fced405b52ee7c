#include "online/FetchThreads.h"

#include <wininet.h>

#include <climits>

#include "BuildConfig.h"
#include "online/ManagementService.h"
#include "shared/ScopedHandle.h"

namespace {

// The probe gives the network this long to come up before the fetchers ask in any case.
constexpr unsigned long kProbeWaits[] = {30000, 60000, 150000};
constexpr unsigned long kLastProbeWait = 900000;
constexpr unsigned long kNewsRetryWait = 1800000;

void Deliver(const FetchEnvironment& environment, UINT message, const std::wstring& reply) {
    environment.deliver(message, reply);
}

// A fetch on a thread that owns its environment.
template <void (*Fetch)(const FetchEnvironment&)>
DWORD WINAPI FetchThread(LPVOID parameter) {
    std::unique_ptr<FetchEnvironment> environment(static_cast<FetchEnvironment*>(parameter));
    Fetch(*environment);
    return 0;
}

// Starts the fetch; the handle of a thread to wait for, when given, goes with it.
template <void (*Fetch)(const FetchEnvironment&)>
ScopedHandle StartFetch(const FetchEnvironment& environment, HANDLE waitFor = nullptr) {
    auto owned = std::make_unique<FetchEnvironment>(environment);
    if (waitFor != nullptr) {
        auto probe = std::make_shared<ScopedHandle>(waitFor);
        owned->waitForProbe = [probe] { WaitForSingleObject(probe->get(), INFINITE); };
    }
    ScopedHandle thread(CreateThread(nullptr, 0, &FetchThread<Fetch>, owned.get(), 0, nullptr));
    if (thread) owned.release();
    return thread;
}

// A handle of the probe thread for one fetcher that waits for it.
HANDLE ProbeHandleCopy(HANDLE probe) {
    HANDLE copy = nullptr;
    if (probe == nullptr) return nullptr;
    DuplicateHandle(GetCurrentProcess(), probe, GetCurrentProcess(), &copy, SYNCHRONIZE, FALSE, 0);
    return copy;
}

}  // namespace

FetchEnvironment ServiceFetchEnvironment() {
    FetchEnvironment environment;
    environment.serviceHost = ManagementServiceHost();
    environment.sleep = [](unsigned long milliseconds) { Sleep(milliseconds); };
    environment.checkConnection = [] { return CheckConnectivity(LUDORA_PROBE_URL); };
    environment.waitForProbe = [] {};
    environment.keepAsking = [] { return true; };
    return environment;
}

bool CheckConnectivity(const std::wstring& url) {
    return InternetCheckConnectionW(url.c_str(), FLAG_ICC_FORCE_CONNECTION, 0) != FALSE;
}

unsigned long DelayMilliseconds(int seconds) {
    if (seconds <= 0) return 0;
    constexpr unsigned long kLongest = ULONG_MAX - 1;  // ULONG_MAX itself would mean for ever
    unsigned long long milliseconds = static_cast<unsigned long long>(seconds) * 1000ULL;
    return milliseconds > kLongest ? kLongest : static_cast<unsigned long>(milliseconds);
}

void RunConnectivityProbe(const FetchEnvironment& environment) {
    if (environment.checkConnection()) return;
    for (unsigned long wait : kProbeWaits) {
        environment.sleep(wait);
        if (environment.checkConnection()) return;
    }
    environment.sleep(kLastProbeWait);
}

void RunAdFetch(const FetchEnvironment& environment) {
    environment.waitForProbe();
    if (environment.settings().AdTime == TodayStamp()) return;
    std::wstring reply = RequestFromService(environment.serviceHost, ServiceAction::Advert);
    if (!IsSuccessfulReply(reply)) return;
    PopupReply advert = ParsePopupReply(reply);
    environment.sleep(DelayMilliseconds(advert.delaySeconds));
    Deliver(environment, WM_POP_AD, reply);
}

void RunTodayNewsFetch(const FetchEnvironment& environment) {
    environment.waitForProbe();
    const SettingValues settings = environment.settings();
    if (settings.IsShow == L"0" || settings.NewsTime == TodayStamp()) return;
    std::wstring reply = RequestFromService(environment.serviceHost, ServiceAction::TodayNews);
    if (!IsSuccessfulReply(reply)) return;
    Deliver(environment, WM_TODAY_NEWS, reply);
}

void RunPopNewsFetch(const FetchEnvironment& environment) {
    while (environment.keepAsking()) {
        std::wstring reply = RequestFromService(environment.serviceHost, ServiceAction::NewsPopup);
        if (!IsSuccessfulReply(reply)) {
            environment.sleep(kNewsRetryWait);
            continue;
        }
        PopupReply news = ParsePopupReply(reply);
        environment.sleep(DelayMilliseconds(news.delaySeconds));
        Deliver(environment, WM_POP_NEWS, reply);
    }
}

void StartFetchThreads(const FetchEnvironment& environment) {
    ScopedHandle probe = StartFetch<RunConnectivityProbe>(environment);
    StartFetch<RunTodayNewsFetch>(environment, ProbeHandleCopy(probe.get()));
    StartFetch<RunPopNewsFetch>(environment);
    StartFetch<RunAdFetch>(environment, ProbeHandleCopy(probe.get()));
}
