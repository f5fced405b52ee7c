#include "app/ControlChannel.h"

#include <winsock2.h>

bool NotifyRunningInstance() {
    WSADATA data;
    WSAStartup(0x0101, &data);
    SOCKET sock = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(kControlChannelPort);
    if (connect(sock, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0) {
        static const char kShow[] = "show";
        send(sock, kShow, sizeof(kShow), 0);
    }
    closesocket(sock);
    return true;
}
