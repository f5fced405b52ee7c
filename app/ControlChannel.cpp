#include "app/ControlChannel.h"

#include <memory>

namespace {

const DWORD kStartDelayMs = 1000;
const DWORD kRequestGapMs = 50;
// A connection that stays silent is served after this long, so it cannot hold the channel.
const DWORD kReadTimeoutMs = 2000;
const int kMaxRequestBytes = 50;

void StartWinsock() {
    WSADATA data;
    WSAStartup(0x0101, &data);
}

sockaddr_in LoopbackAddress(unsigned short port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    return address;
}

// The listener itself is gone or was never usable: waiting for more connections is pointless.
bool ListenerUnusable(int error) { return error == WSAENOTSOCK || error == WSAEINVAL || error == WSANOTINITIALISED; }

}  // namespace

bool NotifyRunningInstance() {
    StartWinsock();
    SOCKET sock = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = LoopbackAddress(kControlChannelPort);
    if (connect(sock, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0) {
        static const char kShow[] = "show";
        send(sock, kShow, sizeof(kShow), 0);
    }
    closesocket(sock);
    return true;
}

SOCKET OpenControlListener(unsigned short port, int& error) {
    SOCKET listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = LoopbackAddress(port);
    if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        listen(listener, 0x7FFFFFFF) != 0) {
        error = WSAGetLastError();
        if (listener != INVALID_SOCKET) closesocket(listener);
        return INVALID_SOCKET;
    }
    error = 0;
    return listener;
}

bool ServeControlRequest(SOCKET listener, SOCKET& served, const std::function<void()>& show) {
    served = accept(listener, nullptr, nullptr);
    if (served == INVALID_SOCKET) return false;
    DWORD timeout = kReadTimeoutMs;
    setsockopt(served, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof(timeout));
    char request[kMaxRequestBytes];
    recv(served, request, sizeof(request), 0);
    show();
    closesocket(served);
    served = INVALID_SOCKET;
    return true;
}

DWORD WINAPI RunControlChannel(void* handlers) {
    std::unique_ptr<ControlChannelHandlers> owned(static_cast<ControlChannelHandlers*>(handlers));
    StartWinsock();
    Sleep(kStartDelayMs);
    int error = 0;
    SOCKET listener = OpenControlListener(kControlChannelPort, error);
    if (listener == INVALID_SOCKET) {
        owned->bindFailed(error);
        return 0;
    }
    SOCKET served = INVALID_SOCKET;
    for (;;) {
        if (!ServeControlRequest(listener, served, owned->show) && ListenerUnusable(WSAGetLastError())) return 0;
        Sleep(kRequestGapMs);
    }
}
