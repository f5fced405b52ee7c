#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "shared/SysSettings.h"

// Which reply a fetch thread hands over.
constexpr UINT WM_POP_NEWS = 30203;
constexpr UINT WM_POP_AD = 30204;
constexpr UINT WM_TODAY_NEWS = 30205;

// What the fetch threads work with, owned by each thread: the service, the waits and the probe of
// the build, the settings and the receiver of the application; tests give their own.
struct FetchEnvironment {
    std::wstring serviceHost;
    std::function<SettingValues()> settings;  // a copy of the settings as they are now
    std::function<void(unsigned long milliseconds)> sleep;
    std::function<bool()> checkConnection;  // one connectivity check
    // Hands a reply on; called on the fetch thread.
    std::function<void(UINT message, std::wstring reply)> deliver;
    // Called as a fetch thread ends, with the wait before news is asked for again.
    std::function<void(unsigned long milliseconds)> askNewsAgain;
};

// The environment of the build's service and probe, with real waits; settings and receiver unset.
FetchEnvironment ServiceFetchEnvironment();

// True when the network reaches `url` (a forced connection to its host).
bool CheckConnectivity(const std::wstring& url);

// Milliseconds of a delay given in seconds by the service; negative delays count as none.
unsigned long DelayMilliseconds(int seconds);

void RunConnectivityProbe(const FetchEnvironment& environment);
// The pop-up replies are handed over as soon as they come; the receiver raises each pop-up after
// the delay its reply gives.
void RunAdFetch(const FetchEnvironment& environment);
void RunTodayNewsFetch(const FetchEnvironment& environment);
// One news request. The result is the wait before the next one: until this news is due, or half an
// hour when the service gave none.
unsigned long RunPopNewsFetch(const FetchEnvironment& environment);
// Start the first news request at once and, independently of it, the connectivity probe followed by
// the today's-news fetch and the advert fetch; or one news request alone. Background work that ends
// with them; a news request ends by calling `askNewsAgain` with the wait before the next news:
// nothing waits half an hour for it.
void StartFetchThread(const FetchEnvironment& environment);
void StartNewsFetchThread(const FetchEnvironment& environment);
