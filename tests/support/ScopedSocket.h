#pragma once
#include <winsock2.h>

// Owns one socket of a test and closes it at the end of its scope.
class ScopedSocket {
public:
    ScopedSocket() = default;
    explicit ScopedSocket(SOCKET s) : socket_(s) {}
    ~ScopedSocket() { reset(); }
    ScopedSocket(ScopedSocket&& other) noexcept : socket_(other.release()) {}
    ScopedSocket& operator=(ScopedSocket&& other) noexcept {
        reset(other.release());
        return *this;
    }
    ScopedSocket(const ScopedSocket&) = delete;
    ScopedSocket& operator=(const ScopedSocket&) = delete;

    SOCKET get() const { return socket_; }
    explicit operator bool() const { return socket_ != INVALID_SOCKET; }
    SOCKET release() {
        SOCKET s = socket_;
        socket_ = INVALID_SOCKET;
        return s;
    }
    void reset(SOCKET s = INVALID_SOCKET) {
        if (socket_ != INVALID_SOCKET) closesocket(socket_);
        socket_ = s;
    }

private:
    SOCKET socket_ = INVALID_SOCKET;
};
