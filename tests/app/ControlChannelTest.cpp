// The receiver's parts on a free port of 127.0.0.1; the fixed port is left to the end-to-end tests.
#include "app/ControlChannel.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/ScopedSocket.h"

namespace {

class Winsock : public ::testing::Test {
protected:
    void SetUp() override {
        WSADATA data;
        ASSERT_EQ(WSAStartup(0x0202, &data), 0);
    }
    void TearDown() override { WSACleanup(); }
};

sockaddr_in Address(const char* ip, unsigned short port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = inet_addr(ip);
    address.sin_port = htons(port);
    return address;
}

unsigned short PortOf(SOCKET s) {
    sockaddr_in address{};
    int length = sizeof(address);
    getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
    return ntohs(address.sin_port);
}

ScopedSocket Connect(const char* ip, unsigned short port) {
    SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = Address(ip, port);
    if (connect(s, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) {
        closesocket(s);
        return ScopedSocket();
    }
    return ScopedSocket(s);
}

// True when the peer closed the connection (or reset it) before the wait ran out.
bool ClosedByPeer(SOCKET s) {
    DWORD timeout = 20000;
    setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof(timeout));
    char byte;
    int result = recv(s, &byte, 1, 0);
    return result == 0 || (result < 0 && WSAGetLastError() != WSAETIMEDOUT);
}

class ControlChannelTest : public Winsock {
protected:
    void SetUp() override {
        Winsock::SetUp();
        int error = -1;
        listener_.reset(OpenControlListener(0, error));
        ASSERT_TRUE(listener_) << error;
        EXPECT_EQ(error, 0);
        port_ = PortOf(listener_.get());
    }

    // Serves one request and reports how many times the window was asked to show.
    int ServeOne() {
        int shows = 0;
        SOCKET served = INVALID_SOCKET;
        bool accepted = ServeControlRequest(listener_.get(), served, [&] {
            EXPECT_NE(served, INVALID_SOCKET) << "the connection is held while it is served";
            ++shows;
        });
        EXPECT_TRUE(accepted);
        EXPECT_EQ(served, INVALID_SOCKET) << "the connection is closed afterwards";
        return shows;
    }

    ScopedSocket listener_;
    unsigned short port_ = 0;
};

TEST_F(ControlChannelTest, ListensOnLoopbackOnly) {
    sockaddr_in bound{};
    int length = sizeof(bound);
    getsockname(listener_.get(), reinterpret_cast<sockaddr*>(&bound), &length);
    EXPECT_EQ(bound.sin_addr.s_addr, htonl(INADDR_LOOPBACK));
    EXPECT_NE(port_, 0);

    EXPECT_FALSE(Connect("127.0.0.2", port_)) << "another loopback address";
    char host[256] = {};
    gethostname(host, sizeof(host));
    if (hostent* entry = gethostbyname(host)) {
        for (char** item = entry->h_addr_list; *item != nullptr; ++item) {
            in_addr address;
            memcpy(&address, *item, sizeof(address));
            if (address.s_addr == htonl(INADDR_LOOPBACK)) continue;
            EXPECT_FALSE(Connect(inet_ntoa(address), port_)) << "reached on " << inet_ntoa(address);
        }
    }
}

TEST_F(ControlChannelTest, AnyConnectionIsOneShowRequest) {
    {
        ScopedSocket client = Connect("127.0.0.1", port_);
        ASSERT_TRUE(client);
        send(client.get(), "show", 5, 0);
        EXPECT_EQ(ServeOne(), 1);
        EXPECT_TRUE(ClosedByPeer(client.get()));
    }
    {
        ScopedSocket client = Connect("127.0.0.1", port_);
        ASSERT_TRUE(client);
        client.reset();  // sends nothing and closes
        EXPECT_EQ(ServeOne(), 1);
    }
    {
        // More than one read's worth of bytes is still one request, not several.
        ScopedSocket first = Connect("127.0.0.1", port_);
        ScopedSocket second = Connect("127.0.0.1", port_);
        ASSERT_TRUE(first && second);
        const std::string noise(300, 'x');
        send(first.get(), noise.data(), static_cast<int>(noise.size()), 0);
        send(second.get(), "hide", 5, 0);
        EXPECT_EQ(ServeOne(), 1);
        EXPECT_EQ(ServeOne(), 1);
        EXPECT_TRUE(ClosedByPeer(first.get()));
        EXPECT_TRUE(ClosedByPeer(second.get()));
    }
}

TEST_F(ControlChannelTest, SilentOpenConnectionDoesNotHoldTheChannel) {
    ScopedSocket silent = Connect("127.0.0.1", port_);
    ASSERT_TRUE(silent);
    EXPECT_EQ(ServeOne(), 1);
    EXPECT_TRUE(ClosedByPeer(silent.get()));

    ScopedSocket next = Connect("127.0.0.1", port_);
    ASSERT_TRUE(next);
    send(next.get(), "show", 5, 0);
    EXPECT_EQ(ServeOne(), 1);
}

TEST_F(ControlChannelTest, PortInUseIsReportedWithItsError) {
    int error = 0;
    EXPECT_EQ(OpenControlListener(port_, error), INVALID_SOCKET);
    EXPECT_EQ(error, WSAEADDRINUSE);
}

TEST_F(ControlChannelTest, ClosedListenerServesNothing) {
    SOCKET listener = listener_.release();
    closesocket(listener);
    SOCKET served = INVALID_SOCKET;
    bool shown = false;
    EXPECT_FALSE(ServeControlRequest(listener, served, [&] { shown = true; }));
    EXPECT_FALSE(shown);
    EXPECT_EQ(served, INVALID_SOCKET);
}

}  // namespace
