#include "tests/support/LocalService.h"

#include <winsock2.h>
#include <windows.h>

#include <cctype>
#include <cstdio>
#include <vector>

namespace {

class WinsockSession {
public:
    WinsockSession() {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
    }
    ~WinsockSession() { WSACleanup(); }
};

class Socket {
public:
    Socket() : socket_(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP)) {}
    ~Socket() {
        if (socket_ != INVALID_SOCKET) closesocket(socket_);
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    SOCKET get() const { return socket_; }

private:
    SOCKET socket_;
};

sockaddr_in Loopback(unsigned short port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

bool CanConnect(unsigned short port) {
    WinsockSession session;
    Socket socket;
    sockaddr_in address = Loopback(port);
    return connect(socket.get(), reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
}

std::wstring WindowsPath(const std::string& unixPath) {
    std::wstring path = L"Z:";
    for (char c : unixPath) path += c == '/' ? L'\\' : static_cast<wchar_t>(c);
    return path;
}

std::wstring Widen(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string Body(const std::string& response) {
    size_t end = response.find("\r\n\r\n");
    return end == std::string::npos ? std::string() : response.substr(end + 4);
}

RecordedRequest ParseRecord(const std::string& text) {
    RecordedRequest request;
    size_t lineEnd = text.find("\r\n");
    request.requestLine = text.substr(0, lineEnd);
    size_t space = request.requestLine.find(' ');
    request.method = request.requestLine.substr(0, space);
    if (space != std::string::npos) {
        size_t second = request.requestLine.find(' ', space + 1);
        request.target = request.requestLine.substr(space + 1, second == std::string::npos ? std::string::npos
                                                                                           : second - space - 1);
    }
    while (lineEnd != std::string::npos) {
        size_t start = lineEnd + 2;
        lineEnd = text.find("\r\n", start);
        std::string line = text.substr(start, lineEnd == std::string::npos ? std::string::npos : lineEnd - start);
        size_t colon = line.find(": ");
        if (colon != std::string::npos) request.headers.emplace_back(line.substr(0, colon), line.substr(colon + 2));
    }
    return request;
}

}  // namespace

std::string RecordedRequest::Header(const std::string& name) const {
    for (const auto& [key, value] : headers)
        if (Lower(key) == Lower(name)) return value;
    return {};
}

int RecordedRequest::HeaderCount(const std::string& name) const {
    int count = 0;
    for (const auto& header : headers) count += Lower(header.first) == Lower(name) ? 1 : 0;
    return count;
}

unsigned short FreeLocalPort() {
    WinsockSession session;
    Socket socket;
    sockaddr_in address = Loopback(0);
    bind(socket.get(), reinterpret_cast<sockaddr*>(&address), sizeof(address));
    int size = sizeof(address);
    getsockname(socket.get(), reinterpret_cast<sockaddr*>(&address), &size);
    return ntohs(address.sin_port);
}

std::string RawHttpExchange(unsigned short port, const std::string& request) {
    WinsockSession session;
    Socket socket;
    sockaddr_in address = Loopback(port);
    if (connect(socket.get(), reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) return {};
    for (size_t sent = 0; sent < request.size();) {
        int count = send(socket.get(), request.data() + sent, static_cast<int>(request.size() - sent), 0);
        if (count <= 0) return {};
        sent += static_cast<size_t>(count);
    }
    std::string response;
    char buffer[65536];
    for (int count; (count = recv(socket.get(), buffer, sizeof(buffer), 0)) > 0;) response.append(buffer, count);
    return response;
}

std::string QueryEscape(const std::string& value) {
    std::string escaped;
    char hex[4];
    for (unsigned char c : value) {
        if (std::isalnum(c) || c == '-' || c == '_' || c == '.' || c == '/') {
            escaped += static_cast<char>(c);
        } else {
            std::snprintf(hex, sizeof(hex), "%%%02X", c);
            escaped += hex;
        }
    }
    return escaped;
}

LocalService::LocalService(unsigned short port, const std::vector<unsigned short>& portalPorts)
    : port_(port != 0 ? port : FreeLocalPort()) {
    std::wstring commandLine = WindowsPath(PYTHON3_PATH) + L" " + Widen(LOCAL_SERVICE_SCRIPT) + L" --port " +
                               std::to_wstring(port_) + L" --idle-exit 300 --detach";
    for (size_t i = 0; i < portalPorts.size(); ++i)
        commandLine += (i == 0 ? L" --portal-ports " : L",") + std::to_wstring(portalPorts[i]);
    std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back(L'\0');
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started{};
    // The service is a Unix process: its handle cannot be waited on, it is stopped by request.
    if (!CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started))
        return;
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    for (int attempt = 0; attempt < 200 && !running_; ++attempt) {
        if (CanConnect(port_)) running_ = Control("ping", "");
        if (!running_) Sleep(50);
    }
}

LocalService::~LocalService() { Stop(); }

void LocalService::Stop() {
    if (!running_) return;
    Control("quit", "");
    running_ = false;
    for (int attempt = 0; attempt < 100 && CanConnect(port_); ++attempt) Sleep(50);
}

std::wstring LocalService::Host() const { return L"127.0.0.1:" + std::to_wstring(port_); }

std::wstring LocalService::Url(const std::string& pathAndQuery) const {
    return L"http://" + Host() + Widen(pathAndQuery);
}

bool LocalService::Control(const std::string& command, const std::string& body, std::string* reply) {
    std::string request = "POST /__control/" + command + " HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Length: " +
                          std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
    std::string response = RawHttpExchange(port_, request);
    if (reply != nullptr) *reply = Body(response);
    return response.rfind("HTTP/1.1 200", 0) == 0 || response.rfind("HTTP/1.0 200", 0) == 0;
}

bool LocalService::Answer(const std::string& key, const std::string& body, const ServiceAnswer& how) {
    std::string command = "answer?key=" + QueryEscape(key) + "&status=" + std::to_string(how.status);
    if (how.delaySeconds > 0) command += "&delay=" + std::to_string(how.delaySeconds);
    if (how.cutAfter >= 0) command += "&cut=" + std::to_string(how.cutAfter);
    if (how.hang) command += "&hang=1";
    if (how.once) command += "&once=1";
    if (how.raw) command += "&raw=1";
    if (how.unsized) command += "&unsized=1";
    if (how.pieces > 1) command += "&pieces=" + std::to_string(how.pieces) + "&pause=" + std::to_string(how.pauseSeconds);
    return Control(command, body);
}

void LocalService::Reset() { Control("reset", ""); }

std::vector<RecordedRequest> LocalService::Requests() {
    std::string text;
    Control("requests", "", &text);
    std::vector<RecordedRequest> requests;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find("\r\n\r\n", start);
        requests.push_back(ParseRecord(text.substr(start, end == std::string::npos ? std::string::npos : end - start)));
        if (end == std::string::npos) break;
        start = end + 4;
    }
    return requests;
}

int LocalService::CountRequests(const std::string& part) {
    int count = 0;
    for (const RecordedRequest& request : Requests()) count += request.target.find(part) != std::string::npos ? 1 : 0;
    return count;
}
