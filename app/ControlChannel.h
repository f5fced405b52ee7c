#pragma once
#include <winsock2.h>
#include <windows.h>

#include <functional>

// The local control channel: a second start asks the running instance to show its window.
constexpr unsigned short kControlChannelPort = 61567;

// Client side: connects to 127.0.0.1 and sends "show" with its NUL. Nothing is checked: with no
// listener the request is simply lost.
bool NotifyRunningInstance();

// What the receiver does: `show` for each request, `bindFailed` with the Windows Sockets error when
// the port cannot be bound. Both are called on the receiver's thread.
struct ControlChannelHandlers {
    std::function<void()> show;
    std::function<void(int error)> bindFailed;
};

// Receiver thread, started once by the entry point with a heap `ControlChannelHandlers` that it
// takes over: serves requests on 127.0.0.1 until the process ends, then ends after reporting
// when the port cannot be bound.
DWORD WINAPI RunControlChannel(void* handlers);

// A socket listening on 127.0.0.1:`port` (0 picks a free port); INVALID_SOCKET with the Windows
// Sockets error in `error` when it cannot be bound or put to listen.
SOCKET OpenControlListener(unsigned short port, int& error);

// Serves one request: accepts a connection, keeps its socket in `served` while it is open,
// reads once (whatever arrives, or nothing, is a "show" request), calls `show` and closes the
// connection. False, without calling `show`, when no connection could be accepted.
bool ServeControlRequest(SOCKET listener, SOCKET& served, const std::function<void()>& show);
