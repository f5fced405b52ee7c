#pragma once
#include <winsock2.h>
#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "UiLib/render/ScopedWindow.h"

struct WinSockFunctions;

// The local control channel: a second start asks the running instance to show its window, or to
// start a game of its list by name. One connection carries one request: "start\n", the game's name
// in UTF-8 and a NUL asks for the game; any other bytes, or none, mean "show".
constexpr unsigned short kControlChannelPort = 61567;

// Client side: connects to 127.0.0.1 and sends "show" with its NUL. Nothing is checked: with no
// listener the request is simply lost.
bool NotifyRunningInstance();
// Client side: asks the running instance to start the game of `name`, as above.
void AskRunningInstanceToStart(const std::wstring& name);

// The bytes of a start request, and the name such a request carries (none for any other bytes,
// and for a name that is not well-formed UTF-8 or not acceptable).
std::string StartRequestBytes(const std::wstring& name);
std::optional<std::wstring> StartRequestName(const std::string& request);

// The receiver, on the thread of the window it shows: its sockets report to a message-only window
// of its own (WSAAsyncSelect), so no thread waits for a second start. Every connection is one
// request, served as soon as its bytes can no longer grow into a start request, when its end
// arrives, or after two seconds of silence, so that a silent client cannot hold the channel. A
// start request goes to `start` (to `show` without one); anything else is a "show".
class ControlChannelReceiver {
public:
    explicit ControlChannelReceiver(std::function<void()> show,
                                    std::function<void(const std::wstring& name)> start = nullptr);
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
        std::string received;  // bounded: a request is never longer than a start request can be
    };

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void OnSocket(SOCKET socket, int event);
    void OnTimer(UINT_PTR timer);
    void AcceptWaiting();
    // Reads what arrived; true when the request is complete.
    bool Receive(Connection& connection);
    void Serve(SOCKET socket);

    std::function<void()> show_;
    std::function<void(const std::wstring& name)> start_;
    UiLib::CScopedWindow window_;
    const WinSockFunctions* sockets_;  // null without a socket library: nothing listens
    SOCKET listener_ = INVALID_SOCKET;
    std::vector<Connection> connections_;
    unsigned short delayedPort_ = 0;
    std::function<void(int error)> failed_;
};
