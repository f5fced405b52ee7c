#pragma once
#include <winsock2.h>
#include <windows.h>

#include <functional>

// The local control channel: a second start asks the running instance to show its window.
constexpr unsigned short kControlChannelPort = 61567;

// Client side: connects to 127.0.0.1 and sends "show" with its NUL. Nothing is checked: with no
// listener the request is simply lost.
bool NotifyRunningInstance();

// Receiver thread, started once by the entry point: serves requests on 127.0.0.1 until the
// process ends, each by restoring the main window. Ends after telling the user when the port
// cannot be bound.
DWORD WINAPI RunControlChannel(void* unused);

// A socket listening on 127.0.0.1:`port` (0 picks a free port); INVALID_SOCKET with the Windows
// Sockets error in `error` when it cannot be bound or put to listen.
SOCKET OpenControlListener(unsigned short port, int& error);

// Serves one request: accepts a connection, keeps its socket in `served` while it is open,
// reads once (whatever arrives, or nothing, is a "show" request), calls `show` and closes the
// connection. False, without calling `show`, when no connection could be accepted.
bool ServeControlRequest(SOCKET listener, SOCKET& served, const std::function<void()>& show);
