#pragma once
#include <winsock2.h>
#include <windows.h>

// The socket library's functions, bound when the control channel first needs them rather than at
// start: loading the library with the program delays its first window, which does not need it.
struct WinSockFunctions {
    decltype(&::WSAStartup) startup;
    decltype(&::WSACleanup) cleanup;
    decltype(&::WSAAsyncSelect) asyncSelect;
    decltype(&::WSAGetLastError) lastError;
    decltype(&::socket) socket;
    decltype(&::bind) bind;
    decltype(&::listen) listen;
    decltype(&::accept) accept;
    decltype(&::connect) connect;
    decltype(&::send) send;
    decltype(&::recv) recv;
    decltype(&::closesocket) closeSocket;
    decltype(&::getsockname) getSockName;
    decltype(&::htons) hostToNetwork16;
    decltype(&::htonl) hostToNetwork32;
    decltype(&::ntohs) networkToHost16;
};

// The functions, loaded once for the life of the process; null when the library or one of them is
// missing.
const WinSockFunctions* WinSock();
