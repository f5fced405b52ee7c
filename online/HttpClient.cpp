#include "online/HttpClient.h"

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <functional>
#include <memory>
#include <optional>

#include "online/WinInet.h"
#include "shared/ScopedHandle.h"
#include "shared/TempFile.h"

namespace {

const wchar_t kAgent[] = L"HttpPost";
const wchar_t kContentTypeHeader[] = L"Content-Type: application/x-www-form-urlencoded";
const wchar_t kAcceptHeader[] = L"Accept: */*";
constexpr DWORD kPartLength = 256;
constexpr DWORD kReadSize = 1023;
// Far more than any answer of the service; a body beyond it is not one.
constexpr size_t kLongestReply = 4 << 20;

struct InternetHandleCloser {
    void operator()(HINTERNET handle) const { WinInet()->closeHandle(handle); }
};
using InternetHandle = std::unique_ptr<void, InternetHandleCloser>;

// The three handles of one request; they close in reverse order: request, connection, root.
struct OpenRequest {
    InternetHandle root;
    InternetHandle connection;
    InternetHandle request;
};

// Set on the root and again on the connection: some WinINet versions do not hand the root's
// time-outs down to the connections opened under it.
void SetTimeouts(HINTERNET handle, const HttpTimeouts& timeouts) {
    DWORD connect = timeouts.connectMs, send = timeouts.sendMs, receive = timeouts.receiveMs;
    const auto setOption = WinInet()->setOption;
    setOption(handle, INTERNET_OPTION_CONNECT_TIMEOUT, &connect, sizeof(connect));
    setOption(handle, INTERNET_OPTION_SEND_TIMEOUT, &send, sizeof(send));
    setOption(handle, INTERNET_OPTION_RECEIVE_TIMEOUT, &receive, sizeof(receive));
}

bool AddHeader(HINTERNET request, const wchar_t* header) {
    const DWORD length = static_cast<DWORD>(wcslen(header));
    return WinInet()->addRequestHeaders(request, header, length, HTTP_ADDREQ_FLAG_ADD) != FALSE;
}

// Opens, connects and sends a GET of `objectName` on the URL's server; false when any step fails.
bool SendGet(const UrlParts& parts, const std::wstring& objectName, const HttpTimeouts& timeouts, OpenRequest& open) {
    const WinInetFunctions* inet = WinInet();
    if (!inet) return false;
    open.root.reset(inet->open(kAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!open.root) return false;
    SetTimeouts(open.root.get(), timeouts);
    open.connection.reset(inet->connect(open.root.get(), parts.host.c_str(), static_cast<INTERNET_PORT>(parts.port),
                                           nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0));
    if (!open.connection) return false;
    SetTimeouts(open.connection.get(), timeouts);
    DWORD flags = parts.scheme == INTERNET_SCHEME_HTTPS ? INTERNET_FLAG_SECURE : 0;
    open.request.reset(inet->openRequest(open.connection.get(), L"GET", objectName.c_str(), nullptr, nullptr, nullptr,
                                        flags, 0));
    if (!open.request) return false;
    if (!AddHeader(open.request.get(), kContentTypeHeader) || !AddHeader(open.request.get(), kAcceptHeader)) return false;
    return inet->sendRequest(open.request.get(), nullptr, 0, nullptr, 0) != FALSE;
}

// When a request must be done by, or 0 when it may take as long as its steps allow.
ULONGLONG DeadlineOf(const HttpTimeouts& timeouts) {
    return timeouts.totalMs == 0 ? 0 : GetTickCount64() + timeouts.totalMs;
}

// Reads the body in pieces of at most 1023 bytes and hands each to `sink`. True when the body
// ended normally; false when a read failed (a time-out included), the deadline passed or `sink`
// refused the bytes. Only what has arrived is read, so that the deadline is looked at between
// pieces however slowly they come: a read of a full buffer would wait for all of it.
bool ReadBody(HINTERNET request, ULONGLONG deadline, const std::function<bool(const char*, DWORD)>& sink) {
    const WinInetFunctions* inet = WinInet();
    char buffer[kReadSize + 1];
    for (;;) {
        DWORD available = 0;
        if (!inet->queryDataAvailable(request, &available, 0, 0)) return false;
        if (available == 0) return true;
        if (deadline != 0 && GetTickCount64() > deadline) return false;
        DWORD read = 0;
        if (!inet->readFile(request, buffer, available < kReadSize ? available : kReadSize, &read)) return false;
        if (read == 0) return true;
        if (!sink(buffer, read)) return false;
    }
}

// The Content-Length the server announced, or -1 when it gave none.
long long AnnouncedLength(HINTERNET request) {
    wchar_t text[32] = {};
    DWORD size = sizeof(text);
    if (!WinInet()->queryInfo(request, HTTP_QUERY_CONTENT_LENGTH, text, &size, nullptr)) return -1;
    wchar_t* end = nullptr;
    long long length = wcstoll(text, &end, 10);
    return end == text || length < 0 ? -1 : length;
}

// An error page comes with another status; it is never taken for the file asked for.
bool AnsweredOk(HINTERNET request) {
    DWORD status = 0;
    DWORD size = sizeof(status);
    return WinInet()->queryInfo(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr) &&
           status == HTTP_STATUS_OK;
}

std::wstring DecodeUtf8(const std::string& bytes) {
    if (bytes.empty()) return {};
    int length = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), length);
    return text;
}

}  // namespace

UrlParts CrackUrl(const std::wstring& url) {
    wchar_t host[kPartLength] = {}, path[kPartLength] = {}, extra[kPartLength] = {};
    URL_COMPONENTSW components{};
    components.dwStructSize = sizeof(components);
    components.lpszHostName = host;
    components.dwHostNameLength = kPartLength;
    components.lpszUrlPath = path;
    components.dwUrlPathLength = kPartLength;
    components.lpszExtraInfo = extra;
    components.dwExtraInfoLength = kPartLength;
    const WinInetFunctions* inet = WinInet();
    if (!inet || !inet->crackUrl(url.c_str(), 0, ICU_ESCAPE, &components)) {
        std::fputs("Error:InternetCrackUrl failed!/n", stdout);
        std::fflush(stdout);
        return {};
    }
    return {static_cast<int>(components.nScheme), host, components.nPort, path, extra};
}

bool HttpGetString(const std::wstring& url, std::wstring& body, const HttpTimeouts& timeouts) {
    const ULONGLONG deadline = DeadlineOf(timeouts);
    UrlParts parts = CrackUrl(url);
    OpenRequest open;
    if (!SendGet(parts, parts.path + parts.extraInfo, timeouts, open)) return false;
    // Decoded once at the end, so that no character is split between two reads.
    std::string bytes;
    bool overrun = false;
    ReadBody(open.request.get(), deadline, [&](const char* chunk, DWORD count) {
        overrun = bytes.size() + count > kLongestReply;
        if (!overrun) bytes.append(chunk, count);
        return !overrun;
    });
    if (overrun || (deadline != 0 && GetTickCount64() > deadline)) return false;
    body += DecodeUtf8(bytes);
    return true;
}

bool HttpDownloadFile(const std::wstring& url, const std::wstring& filePath, const HttpTimeouts& timeouts,
                      const DownloadProgress& progress, long long maxBytes) {
    const ULONGLONG deadline = DeadlineOf(timeouts);
    UrlParts parts = CrackUrl(url);
    OpenRequest open;
    if (!SendGet(parts, parts.path + parts.extraInfo, timeouts, open)) return false;
    const long long announced = AnnouncedLength(open.request.get());
    if (!AnsweredOk(open.request.get()) || announced > maxBytes) return true;
    // Written beside the target and moved into place only once it is complete.
    std::optional<TempFile> file = TempFile::CreateBeside(filePath);
    if (!file) return true;
    long long received = 0;
    bool complete = ReadBody(open.request.get(), deadline, [&](const char* chunk, DWORD count) {
        // More than announced is not the announced file; more than the limit is no file of ours.
        if ((announced >= 0 && received + count > announced) || received + count > maxBytes) return false;
        if (!file->Write(chunk, count)) return false;
        received += count;
        if (progress) progress(received, announced);
        return true;
    });
    if (complete && (announced < 0 || announced == received)) file->ReplaceTarget();
    return true;
}
