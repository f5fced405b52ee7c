#pragma once
#include <windows.h>
#include <wininet.h>

// The network library's functions, bound when the program first makes a request rather than at
// start: loading the library, and the socket layer it brings, with the program delays its first
// window, which needs neither.
struct WinInetFunctions {
    decltype(&::InternetOpenW) open;
    decltype(&::InternetConnectW) connect;
    decltype(&::InternetSetOptionW) setOption;
    decltype(&::InternetCloseHandle) closeHandle;
    decltype(&::InternetReadFile) readFile;
    decltype(&::InternetQueryDataAvailable) queryDataAvailable;
    decltype(&::InternetCrackUrlW) crackUrl;
    decltype(&::InternetCheckConnectionW) checkConnection;
    decltype(&::HttpOpenRequestW) openRequest;
    decltype(&::HttpAddRequestHeadersW) addRequestHeaders;
    decltype(&::HttpSendRequestW) sendRequest;
    decltype(&::HttpQueryInfoW) queryInfo;
};

// The functions, loaded once for the life of the process; null when the library or one of them is
// missing, and every request then fails as without a network.
const WinInetFunctions* WinInet();
