#pragma once
#include <winsock2.h>
#include <windows.h>

#include <functional>
#include <vector>

#include "UiLib/render/ScopedWindow.h"

struct WinSockFunctions;

// The local control channel: a second start asks the running instance to show its window.
constexpr unsigned short kControlChannelPort = 61567;

// Client side: connects to 127.0.0.1 and sends "show" with its NUL. Nothing is checked: with no
// listener the request is simply lost.
bool NotifyRunningInstance();

// The receiver, on the thread of the window it shows: its sockets report to a message-only window
// of its own (WSAAsyncSelect), so no thread waits for a second start. Every connection is one
// "show" request, whatever it sends, served when data or its end arrives, or after two seconds of
// silence, so that a silent client cannot hold the channel.
class ControlChannelReceiver {
public:
    explicit ControlChannelReceiver(std::function<void()> show);
    ~ControlChannelReceiver();
    ControlChannelReceiver(const ControlChannelReceiver&) = delete;
    ControlChannelReceiver& operator=(const ControlChannelReceiver&) = delete;

    // Listens on 127.0.0.1:`port` (0 picks a free port): 0, or the Windows Sockets error when the
    // port cannot be bound or listened on.
    int Listen(unsigned short port);
    // Listens on `port` once `delayMs` have passed, and calls `failed` with the error if it cannot.
    void ListenLater(unsigned short port, UINT delayMs, std::function<void(int error)> failed);
    unsigned short Port() const;

private:
    struct Connection {
        SOCKET socket;
        ULONGLONG accepted;
    };

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void OnSocket(SOCKET socket, int event);
    void OnTimer(UINT_PTR timer);
    void AcceptWaiting();
    void Serve(SOCKET socket);

    std::function<void()> show_;
    UiLib::CScopedWindow window_;
    const WinSockFunctions* sockets_;  // null without a socket library: nothing listens
    SOCKET listener_ = INVALID_SOCKET;
    std::vector<Connection> connections_;
    unsigned short delayedPort_ = 0;
    std::function<void(int error)> failed_;
};
