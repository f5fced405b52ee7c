#include "online/ManagementService.h"

#include <windows.h>

#include <climits>
#include <cwchar>
#include <cwctype>

#include "BuildConfig.h"
#include "online/HttpClient.h"

namespace {

const wchar_t kActionPrefix[] = L"/api.php?op=get_manager_setting&act=";
const wchar_t kSuccess[] = L"success";

std::wstring ActionText(ServiceAction action, int gameId) {
    switch (action) {
        case ServiceAction::Version: return L"getversion";
        case ServiceAction::StrategyPage: return L"getGongLue&ID=" + std::to_wstring(gameId);
        case ServiceAction::NewsPopup: return L"getPop&type=news";
        case ServiceAction::Advert: return L"getPop&type=ad";
        case ServiceAction::TodayNews: return L"getNews";
    }
    return {};
}

// Position of the first "#" at or after `start`; -1 when there is none or `start` is past the end.
long long FindSeparator(const std::wstring& reply, long long start) {
    if (start < 0 || start > static_cast<long long>(reply.size())) return -1;
    size_t found = reply.find(L'#', static_cast<size_t>(start));
    return found == std::wstring::npos ? -1 : static_cast<long long>(found);
}

}  // namespace

std::wstring ManagementServiceHost() { return LUDORA_SERVICE_HOST; }

std::wstring ServiceRequestUrl(const std::wstring& host, ServiceAction action, int gameId) {
    const bool hasScheme = host.compare(0, 7, L"http://") == 0 || host.compare(0, 8, L"https://") == 0;
    return (hasScheme ? host : L"http://" + host) + kActionPrefix + ActionText(action, gameId);
}

std::wstring RequestFromService(const std::wstring& host, ServiceAction action, int gameId,
                                const HttpTimeouts& timeouts) {
    std::wstring reply;
    if (!HttpGetString(ServiceRequestUrl(host, action, gameId), reply, timeouts)) return {};
    return reply;
}

std::wstring ReplyField(const std::wstring& reply, int k) {
    if (k < 0) return {};
    // A failed search gives -1, so the next search starts again from the beginning.
    long long previous = -1;
    long long current = FindSeparator(reply, 0);
    for (int j = 1; j <= k; ++j) {
        previous = current;
        current = FindSeparator(reply, previous + 1);
    }
    long long start = previous + 1;
    long long length = current - previous - 1;
    if (length <= 0 || start >= static_cast<long long>(reply.size())) return {};
    return reply.substr(static_cast<size_t>(start), static_cast<size_t>(length));
}

bool IsSuccessfulReply(const std::wstring& reply) { return !reply.empty() && ReplyField(reply, 1) == kSuccess; }

int ReplyNumber(const std::wstring& field) {
    size_t i = 0;
    while (i < field.size() && std::iswspace(field[i])) ++i;
    bool negative = false;
    if (i < field.size() && (field[i] == L'+' || field[i] == L'-')) negative = field[i++] == L'-';
    long long value = 0;
    for (; i < field.size() && field[i] >= L'0' && field[i] <= L'9'; ++i) {
        value = value * 10 + (field[i] - L'0');
        if (value > static_cast<long long>(INT_MAX) + 1) break;
    }
    if (negative) value = -value;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

std::wstring TodayStamp() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    wchar_t text[16] = {};
    swprintf(text, 16, L"%d%02d%02d", now.wYear, now.wMonth, now.wDay);
    return text;
}

PopupReply ParsePopupReply(const std::wstring& reply) {
    return {ReplyField(reply, 2), ReplyNumber(ReplyField(reply, 3)), ReplyNumber(ReplyField(reply, 4)),
            ReplyNumber(ReplyField(reply, 5)), ReplyNumber(ReplyField(reply, 6))};
}

std::wstring StrategyPageAddress(const std::wstring& host, int gameId) {
    std::wstring reply = RequestFromService(host, ServiceAction::StrategyPage, gameId);
    return IsSuccessfulReply(reply) ? ReplyField(reply, 2) : std::wstring();
}
