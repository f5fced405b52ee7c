#pragma once
#include <string>
#include <utility>
#include <vector>

// How the local management service answers one key (an action such as "getversion" or
// "getPop-news", or a path such as "/files/Ludora.pak").
struct ServiceAnswer {
    int status = 200;
    double delaySeconds = 0;
    int cutAfter = -1;   // send only this many body bytes, then close
    bool hang = false;   // accept the request and never answer
    bool once = false;   // for the next request only
    bool raw = false;    // no placeholders
    int pieces = 1;      // the body sent in this many pieces...
    double pauseSeconds = 0;  // ...this long apart
    bool unsized = false;     // no Content-Length: the body ends when the connection closes
};

// One request the service received.
struct RecordedRequest {
    std::string requestLine;
    std::string method;
    std::string target;  // path and query
    std::vector<std::pair<std::string, std::string>> headers;

    bool IsTlsHandshake() const { return requestLine.rfind("TLS-CLIENT-HELLO", 0) == 0; }
    // The first value of a header (names compared without case), or "" when it is missing.
    std::string Header(const std::string& name) const;
    int HeaderCount(const std::string& name) const;
};

// The real local management service (tools/management_service.py) in a process of its own,
// steered and read through its control requests over plain sockets.
class LocalService {
public:
    // Starts on `port`, or on a free port when it is 0, serving the portal pages on
    // `portalPorts` (first, second, third portal); their requests are recorded with the rest.
    explicit LocalService(unsigned short port = 0, const std::vector<unsigned short>& portalPorts = {});
    ~LocalService();
    LocalService(const LocalService&) = delete;
    LocalService& operator=(const LocalService&) = delete;

    bool Running() const { return running_; }
    unsigned short Port() const { return port_; }
    std::wstring Host() const;                              // "127.0.0.1:<port>"
    std::wstring Url(const std::string& pathAndQuery) const;  // "http://127.0.0.1:<port>/..."

    bool Answer(const std::string& key, const std::string& body, const ServiceAnswer& how = {});
    void Reset();
    std::vector<RecordedRequest> Requests();
    // The requests whose target contains `part`.
    int CountRequests(const std::string& part);
    void Stop();

private:
    bool Control(const std::string& command, const std::string& body, std::string* reply = nullptr);

    unsigned short port_ = 0;
    bool running_ = false;
};

// A TCP port on 127.0.0.1 that nothing listens on at the moment.
unsigned short FreeLocalPort();

// One plain HTTP exchange with 127.0.0.1:`port`: sends `request` whole, returns everything the
// server sent until it closed (empty when it cannot connect).
std::string RawHttpExchange(unsigned short port, const std::string& request);

// Percent-encodes a query value.
std::string QueryEscape(const std::string& value);
