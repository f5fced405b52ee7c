#include "app/ControlChannel.h"

#include <algorithm>

#include "app/WinSock.h"
#include "games/StartLink.h"
#include "shared/TextConvert.h"

namespace {

constexpr UINT kSocketMessage = WM_APP + 1;
constexpr UINT_PTR kListenTimer = 1;
constexpr UINT_PTR kSilenceTimer = 2;
// A connection that stays silent is served after this long.
constexpr ULONGLONG kSilenceMs = 2000;
constexpr UINT kSilenceCheckMs = 500;
const char kStartRequestHead[] = "start\n";
constexpr size_t kStartRequestHeadLength = sizeof(kStartRequestHead) - 1;
// The head, the longest name in UTF-8 and the NUL.
constexpr size_t kMaxRequestBytes = kStartRequestHeadLength + kMaxStartNameLength * 3 + 1;
const wchar_t kWindowClass[] = L"LudoraControlChannel";

// The socket library, started; null when it is missing.
const WinSockFunctions* StartWinsock() {
    const WinSockFunctions* sockets = WinSock();
    WSADATA data;
    if (sockets) sockets->startup(0x0101, &data);
    return sockets;
}

sockaddr_in LoopbackAddress(const WinSockFunctions& sockets, unsigned short port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = sockets.hostToNetwork32(INADDR_LOOPBACK);
    address.sin_port = sockets.hostToNetwork16(port);
    return address;
}

// No program the manager starts may hold its port or its connections: its sockets are never
// inherited, whatever a later start asks for.
SOCKET NotInherited(SOCKET socket) {
    if (socket != INVALID_SOCKET) ::SetHandleInformation(reinterpret_cast<HANDLE>(socket), HANDLE_FLAG_INHERIT, 0);
    return socket;
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

// Bytes that are still the beginning of a start request, which more bytes may complete.
bool MayBecomeStartRequest(const std::string& received) {
    if (received.size() >= kMaxRequestBytes || received.find('\0') != std::string::npos) return false;
    const size_t compared = std::min(received.size(), kStartRequestHeadLength);
    return received.compare(0, compared, kStartRequestHead, compared) == 0;
}

void SendRequest(const std::string& request) {
    const WinSockFunctions* sockets = StartWinsock();
    if (!sockets) return;
    SOCKET sock = NotInherited(sockets->socket(AF_INET, SOCK_STREAM, 0));
    sockaddr_in address = LoopbackAddress(*sockets, kControlChannelPort);
    if (sockets->connect(sock, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0)
        sockets->send(sock, request.data(), static_cast<int>(request.size()), 0);
    sockets->closeSocket(sock);
}

}  // namespace

std::string StartRequestBytes(const std::wstring& name) {
    return kStartRequestHead + WideToUtf8(name) + std::string(1, '\0');
}

std::optional<std::wstring> StartRequestName(const std::string& request) {
    if (request.size() <= kStartRequestHeadLength + 1 || request.compare(0, kStartRequestHeadLength, kStartRequestHead) != 0 ||
        request.back() != '\0')
        return std::nullopt;
    const std::string name = request.substr(kStartRequestHeadLength, request.size() - kStartRequestHeadLength - 1);
    if (name.find('\0') != std::string::npos) return std::nullopt;
    return DecodeStartName(name);
}

bool NotifyRunningInstance() {
    SendRequest(std::string("show", 5));
    return true;
}

void AskRunningInstanceToStart(const std::wstring& name) { SendRequest(StartRequestBytes(name)); }

ControlChannelReceiver::ControlChannelReceiver(std::function<void()> show,
                                               std::function<void(const std::wstring& name)> start)
    : show_(std::move(show)),
      start_(std::move(start)),
      window_(CreateMessageWindow(&WindowProc, this)),
      sockets_(StartWinsock()) {}

ControlChannelReceiver::~ControlChannelReceiver() {
    if (!sockets_) return;
    for (const Connection& connection : connections_) sockets_->closeSocket(connection.socket);
    if (listener_ != INVALID_SOCKET) sockets_->closeSocket(listener_);
    window_.Reset();
    sockets_->cleanup();
}

int ControlChannelReceiver::Listen(unsigned short port) {
    if (!sockets_) return WSASYSNOTREADY;
    SOCKET listener = NotInherited(sockets_->socket(AF_INET, SOCK_STREAM, 0));
    sockaddr_in address = LoopbackAddress(*sockets_, port);
    if (sockets_->bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        sockets_->listen(listener, SOMAXCONN) != 0 ||
        sockets_->asyncSelect(listener, window_.Get(), kSocketMessage, FD_ACCEPT) != 0) {
        const int error = sockets_->lastError();
        if (listener != INVALID_SOCKET) sockets_->closeSocket(listener);
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
    if (listener_ == INVALID_SOCKET) return 0;
    if (sockets_->getSockName(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) return 0;
    return sockets_->networkToHost16(address.sin_port);
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
    if (socket == listener_ && event == FD_ACCEPT) {
        AcceptWaiting();
        return;
    }
    if (event != FD_READ && event != FD_CLOSE) return;
    auto connection = std::find_if(connections_.begin(), connections_.end(),
                                   [socket](const Connection& served) { return served.socket == socket; });
    if (connection == connections_.end()) return;
    if (Receive(*connection) || event == FD_CLOSE) Serve(socket);
}

bool ControlChannelReceiver::Receive(Connection& connection) {
    char bytes[kMaxRequestBytes];
    const int wanted = static_cast<int>(kMaxRequestBytes - connection.received.size());
    const int read = wanted > 0 ? sockets_->recv(connection.socket, bytes, wanted, 0) : 0;
    if (read > 0) connection.received.append(bytes, static_cast<size_t>(read));
    return !MayBecomeStartRequest(connection.received);
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
        SOCKET accepted = NotInherited(sockets_->accept(listener_, nullptr, nullptr));
        if (accepted == INVALID_SOCKET) return;
        sockets_->asyncSelect(accepted, window_.Get(), kSocketMessage, FD_READ | FD_CLOSE);
        connections_.push_back(Connection{accepted, ::GetTickCount64(), {}});
        ::SetTimer(window_.Get(), kSilenceTimer, kSilenceCheckMs, nullptr);
    }
}

// Every connection is one request, whatever more it would send.
void ControlChannelReceiver::Serve(SOCKET socket) {
    auto served = std::find_if(connections_.begin(), connections_.end(),
                               [socket](const Connection& connection) { return connection.socket == socket; });
    if (served == connections_.end()) return;
    const std::optional<std::wstring> name = StartRequestName(served->received);
    connections_.erase(served);
    if (connections_.empty()) ::KillTimer(window_.Get(), kSilenceTimer);
    sockets_->closeSocket(socket);
    if (name && start_) start_(*name);
    else if (show_) show_();
}
