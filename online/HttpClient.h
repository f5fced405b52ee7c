#pragma once
#include <functional>
#include <string>

// A URL split into the parts a request needs. `scheme` is the platform's scheme number
// (4 is HTTPS); `port` is the scheme's default when the URL names none.
struct UrlParts {
    int scheme = 0;
    std::wstring host;
    int port = 0;
    std::wstring path;
    std::wstring extraInfo;  // the query with its "?" (and a "#" fragment)
};

// How long a request may wait for the server before it counts as failed. The first three bound
// each step; `totalMs`, when not 0, bounds the whole request, so that a server trickling its body
// cannot hold it for ever.
struct HttpTimeouts {
    unsigned long connectMs = 5000;
    unsigned long sendMs = 30000;
    unsigned long receiveMs = 30000;
    unsigned long totalMs = 0;
};

// Splits `url`; every part is empty (scheme and port 0) when it cannot be split, for example
// when a part is longer than 255 characters.
UrlParts CrackUrl(const std::wstring& url);

// GET `url` and append its body, decoded from UTF-8, to `body`. True when the request was sent,
// whatever the status; a read that fails midway keeps what arrived. A body over 4 MiB, or one
// still arriving when `totalMs` is over, is no answer: false, and `body` is left as it was.
bool HttpGetString(const std::wstring& url, std::wstring& body, const HttpTimeouts& timeouts = {});

// Told after each piece of a download: the bytes so far and the announced length (-1 without one).
using DownloadProgress = std::function<void(long long received, long long total)>;

// Far more than the program needs; an update package beyond it is not one.
inline constexpr long long kLargestDownload = 64ll << 20;

// GET `url` and store its body in `filePath`. True when the request was sent; the file is
// replaced only by the body of a 200 answer that arrived whole and is at most `maxBytes` long
// (whatever length the server announced, or none), otherwise it keeps its old content.
bool HttpDownloadFile(const std::wstring& url, const std::wstring& filePath, const HttpTimeouts& timeouts = {},
                      const DownloadProgress& progress = {}, long long maxBytes = kLargestDownload);
