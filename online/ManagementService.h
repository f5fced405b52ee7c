#pragma once
#include <string>

#include "online/HttpClient.h"

// The requests of the maker's management service and the "#"-separated replies it gives.
enum class ServiceAction { Version, StrategyPage, NewsPopup, Advert, TodayNews };

// The management service's host from the build ("host", "host:port", or either after "https://"
// for a service reached over TLS).
std::wstring ManagementServiceHost();

// "http://" + host (or the host as it is when it begins with "http://" or "https://") + the path
// and query of `action`; `gameId` only counts for the strategy page.
std::wstring ServiceRequestUrl(const std::wstring& host, ServiceAction action, int gameId = 0);

// A service request's time-outs: a reply still arriving after a minute holds the lane no longer.
inline constexpr HttpTimeouts kServiceRequestTimeouts{5000, 30000, 30000, 60000};

// Makes the request; the reply, or an empty text when the request failed.
std::wstring RequestFromService(const std::wstring& host, ServiceAction action, int gameId = 0,
                                const HttpTimeouts& timeouts = kServiceRequestTimeouts);

// Field `k` of a reply: the text between the k-th and the (k+1)-th "#".
std::wstring ReplyField(const std::wstring& reply, int k);

// True when field 1 is exactly "success".
bool IsSuccessfulReply(const std::wstring& reply);

// A decimal number: leading blanks, an optional sign, digits up to the first other character;
// 0 without digits, clamped to the range of int.
int ReplyNumber(const std::wstring& field);

// Today's local date as "%d%02d%02d" of year, month and day.
std::wstring TodayStamp();

// Fields 2 to 6 of a news pop-up, advert or today's-news reply.
struct PopupReply {
    std::wstring url;
    int delaySeconds = 0;
    int showSeconds = 0;
    int width = 0;
    int height = 0;
};
PopupReply ParsePopupReply(const std::wstring& reply);

// The strategy page of game `gameId` (0: no game), or an empty text when the service gives none.
std::wstring StrategyPageAddress(const std::wstring& host, int gameId);
