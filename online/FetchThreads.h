#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

class SysSettings;

// What the fetch threads work with; the threads take it from the main window and the build,
// tests give their own service, settings, waits and receiver.
struct FetchEnvironment {
    std::wstring serviceHost;
    const SysSettings* settings = nullptr;
    std::function<void(unsigned long milliseconds)> sleep;
    std::function<bool()> checkConnection;  // one connectivity check
    std::function<void()> waitForProbe;     // returns when the connectivity probe has ended
    std::function<void(UINT message, std::unique_ptr<std::wstring> reply)> deliver;
    std::function<bool()> keepAsking;       // the news pop-up loop runs while this holds
};

// True when the network reaches `url` (a forced connection to its host).
bool CheckConnectivity(const std::wstring& url);

// Sends `reply` to `window` and waits for its handler, which takes ownership; frees the reply
// itself when there is no window to take it.
void SendReplyToWindow(HWND window, UINT message, std::unique_ptr<std::wstring> reply);

// Milliseconds of a delay given in seconds by the service; negative delays count as none.
unsigned long DelayMilliseconds(int seconds);

void RunConnectivityProbe(const FetchEnvironment& environment);
void RunAdFetch(const FetchEnvironment& environment);
void RunTodayNewsFetch(const FetchEnvironment& environment);
void RunPopNewsFetch(const FetchEnvironment& environment);

// The thread procedures. The advert and today's-news threads receive a handle of the probe
// thread, which they wait for and close.
DWORD WINAPI ConnectivityProbeThread(LPVOID);
DWORD WINAPI AdFetchThread(LPVOID probeThread);
DWORD WINAPI TodayNewsFetchThread(LPVOID probeThread);
DWORD WINAPI PopNewsFetchThread(LPVOID);
