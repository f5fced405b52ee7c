#include "online/FetchThreads.h"

#include <wininet.h>

#include <climits>

#include "BuildConfig.h"
#include "app/MainFrame.h"
#include "app/SysSettings.h"
#include "online/ManagementService.h"
#include "online/ReplyMessages.h"
#include "app/ScopedHandle.h"

namespace {

// The probe gives the network this long to come up before the fetchers ask in any case.
constexpr unsigned long kProbeWaits[] = {30000, 60000, 150000};
constexpr unsigned long kLastProbeWait = 900000;
constexpr unsigned long kNewsRetryWait = 1800000;

FetchEnvironment MainWindowEnvironment(HANDLE probeThread) {
    FetchEnvironment environment;
    environment.serviceHost = ManagementServiceHost();
    environment.settings = g_mainFrame != nullptr ? &g_mainFrame->Settings() : nullptr;
    environment.sleep = [](unsigned long milliseconds) { Sleep(milliseconds); };
    environment.checkConnection = [] { return CheckConnectivity(LUDORA_PROBE_URL); };
    environment.waitForProbe = [probeThread] {
        if (probeThread != nullptr) WaitForSingleObject(probeThread, INFINITE);
    };
    environment.deliver = [](UINT message, std::unique_ptr<std::wstring> reply) {
        SendReplyToWindow(g_mainFrame != nullptr ? g_mainFrame->GetHWND() : nullptr, message, std::move(reply));
    };
    environment.keepAsking = [] { return true; };
    return environment;
}

void Deliver(const FetchEnvironment& environment, UINT message, const std::wstring& reply) {
    environment.deliver(message, std::make_unique<std::wstring>(reply));
}

}  // namespace

bool CheckConnectivity(const std::wstring& url) {
    return InternetCheckConnectionW(url.c_str(), FLAG_ICC_FORCE_CONNECTION, 0) != FALSE;
}

void SendReplyToWindow(HWND window, UINT message, std::unique_ptr<std::wstring> reply) {
    if (window == nullptr || !IsWindow(window)) return;
    SendMessageW(window, message, reinterpret_cast<WPARAM>(reply.release()), 0);
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
    if (environment.settings == nullptr || environment.settings->AdTime == TodayStamp()) return;
    std::wstring reply = RequestFromService(environment.serviceHost, ServiceAction::Advert);
    if (!IsSuccessfulReply(reply)) return;
    PopupReply advert = ParsePopupReply(reply);
    environment.sleep(DelayMilliseconds(advert.delaySeconds));
    Deliver(environment, WM_POP_AD, reply);
}

void RunTodayNewsFetch(const FetchEnvironment& environment) {
    environment.waitForProbe();
    if (environment.settings == nullptr || environment.settings->IsShow == L"0") return;
    if (environment.settings->NewsTime == TodayStamp()) return;
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

DWORD WINAPI ConnectivityProbeThread(LPVOID) {
    RunConnectivityProbe(MainWindowEnvironment(nullptr));
    return 0;
}

DWORD WINAPI AdFetchThread(LPVOID probeThread) {
    ScopedHandle probe(probeThread);
    RunAdFetch(MainWindowEnvironment(probe.get()));
    return 0;
}

DWORD WINAPI TodayNewsFetchThread(LPVOID probeThread) {
    ScopedHandle probe(probeThread);
    RunTodayNewsFetch(MainWindowEnvironment(probe.get()));
    return 0;
}

DWORD WINAPI PopNewsFetchThread(LPVOID) {
    RunPopNewsFetch(MainWindowEnvironment(nullptr));
    return 0;
}
