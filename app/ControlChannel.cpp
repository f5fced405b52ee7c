#include "app/ControlChannel.h"

#include <algorithm>

namespace {

constexpr UINT kSocketMessage = WM_APP + 1;
constexpr UINT_PTR kListenTimer = 1;
constexpr UINT_PTR kSilenceTimer = 2;
// A connection that stays silent is served after this long.
constexpr ULONGLONG kSilenceMs = 2000;
constexpr UINT kSilenceCheckMs = 500;
constexpr int kMaxRequestBytes = 50;
const wchar_t kWindowClass[] = L"LudoraControlChannel";

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

HWND CreateMessageWindow(WNDPROC procedure, void* receiver) {
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kWindowClass;
    ::RegisterClassW(&windowClass);  // fails harmlessly when a receiver registered it before
    HWND window = ::CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
    if (window) ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(receiver));
    return window;
}

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

ControlChannelReceiver::ControlChannelReceiver(std::function<void()> show)
    : show_(std::move(show)), window_(CreateMessageWindow(&WindowProc, this)) {
    StartWinsock();
}

ControlChannelReceiver::~ControlChannelReceiver() {
    for (const Connection& connection : connections_) closesocket(connection.socket);
    if (listener_ != INVALID_SOCKET) closesocket(listener_);
    window_.Reset();
    WSACleanup();
}

int ControlChannelReceiver::Listen(unsigned short port) {
    SOCKET listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = LoopbackAddress(port);
    if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        listen(listener, SOMAXCONN) != 0 ||
        WSAAsyncSelect(listener, window_.Get(), kSocketMessage, FD_ACCEPT) != 0) {
        const int error = WSAGetLastError();
        if (listener != INVALID_SOCKET) closesocket(listener);
        return error;
    }
    listener_ = listener;
    return 0;
}

void ControlChannelReceiver::ListenLater(unsigned short port, UINT delayMs, std::function<void(int error)> failed) {
    delayedPort_ = port;
    failed_ = std::move(failed);
    ::SetTimer(window_.Get(), kListenTimer, delayMs, nullptr);
}

unsigned short ControlChannelReceiver::Port() const {
    sockaddr_in address{};
    int length = sizeof(address);
    if (listener_ == INVALID_SOCKET || getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return 0;
    return ntohs(address.sin_port);
}

LRESULT CALLBACK ControlChannelReceiver::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* receiver = reinterpret_cast<ControlChannelReceiver*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (receiver && message == kSocketMessage) {
        receiver->OnSocket(static_cast<SOCKET>(wParam), WSAGETSELECTEVENT(lParam));
        return 0;
    }
    if (receiver && message == WM_TIMER) {
        receiver->OnTimer(wParam);
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

void ControlChannelReceiver::OnSocket(SOCKET socket, int event) {
    if (socket == listener_ && event == FD_ACCEPT) AcceptWaiting();
    else if (event == FD_READ || event == FD_CLOSE) Serve(socket);
}

void ControlChannelReceiver::OnTimer(UINT_PTR timer) {
    if (timer == kListenTimer) {
        ::KillTimer(window_.Get(), kListenTimer);
        const int error = Listen(delayedPort_);
        if (error != 0 && failed_) failed_(error);
        return;
    }
    const ULONGLONG now = ::GetTickCount64();
    std::vector<SOCKET> silent;
    for (const Connection& connection : connections_)
        if (now - connection.accepted >= kSilenceMs) silent.push_back(connection.socket);
    for (SOCKET socket : silent) Serve(socket);
}

void ControlChannelReceiver::AcceptWaiting() {
    for (;;) {
        SOCKET accepted = accept(listener_, nullptr, nullptr);
        if (accepted == INVALID_SOCKET) return;
        WSAAsyncSelect(accepted, window_.Get(), kSocketMessage, FD_READ | FD_CLOSE);
        connections_.push_back(Connection{accepted, ::GetTickCount64()});
        ::SetTimer(window_.Get(), kSilenceTimer, kSilenceCheckMs, nullptr);
    }
}

// Whatever arrived is read and dropped: every connection is one request.
void ControlChannelReceiver::Serve(SOCKET socket) {
    auto served = std::find_if(connections_.begin(), connections_.end(),
                               [socket](const Connection& connection) { return connection.socket == socket; });
    if (served == connections_.end()) return;
    connections_.erase(served);
    if (connections_.empty()) ::KillTimer(window_.Get(), kSilenceTimer);
    char request[kMaxRequestBytes];
    recv(socket, request, sizeof(request), 0);
    closesocket(socket);
    if (show_) show_();
}
