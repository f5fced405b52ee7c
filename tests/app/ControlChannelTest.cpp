// The receiver on a free port of 127.0.0.1, on this thread; the fixed port is left to the end-to-end tests.
#include "app/ControlChannel.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/LudoraProcess.h"
#include "tests/support/ScopedSocket.h"
#include "tests/support/TestFolder.h"

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

// Runs the thread's messages, where the receiver does its work, until `done` or the time is up.
template <typename Predicate>
bool PumpUntil(Predicate done, DWORD timeoutMs = 10000) {
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        if (done()) return true;
        if (GetTickCount64() >= end) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

class ControlChannelTest : public Winsock {
protected:
    void SetUp() override {
        Winsock::SetUp();
        ASSERT_EQ(receiver_.Listen(0), 0);
        port_ = receiver_.Port();
        ASSERT_NE(port_, 0);
    }

    // Serves requests until the window has been asked to show `count` times in all.
    bool ShowsReach(int count) { return PumpUntil([&] { return shows_ >= count; }); }

    int shows_ = 0;
    std::vector<std::wstring> starts_;
    ControlChannelReceiver receiver_{[this] { ++shows_; },
                                     [this](const std::wstring& name) { starts_.push_back(name); }};
    unsigned short port_ = 0;
};

TEST_F(ControlChannelTest, ListensOnLoopbackOnly) {
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
    PumpUntil([] { return false; }, 100);
    EXPECT_EQ(shows_, 0);
}

TEST_F(ControlChannelTest, AnyConnectionIsOneShowRequest) {
    {
        ScopedSocket client = Connect("127.0.0.1", port_);
        ASSERT_TRUE(client);
        send(client.get(), "show", 5, 0);
        ASSERT_TRUE(ShowsReach(1));
        EXPECT_TRUE(ClosedByPeer(client.get()));
    }
    {
        ScopedSocket client = Connect("127.0.0.1", port_);
        ASSERT_TRUE(client);
        client.reset();  // sends nothing and closes
        ASSERT_TRUE(ShowsReach(2));
    }
    {
        // More than one read's worth of bytes is still one request, not several.
        ScopedSocket first = Connect("127.0.0.1", port_);
        ScopedSocket second = Connect("127.0.0.1", port_);
        ASSERT_TRUE(first && second);
        const std::string noise(300, 'x');
        send(first.get(), noise.data(), static_cast<int>(noise.size()), 0);
        send(second.get(), "hide", 5, 0);
        ASSERT_TRUE(ShowsReach(4));
        EXPECT_TRUE(ClosedByPeer(first.get()));
        EXPECT_TRUE(ClosedByPeer(second.get()));
    }
    PumpUntil([] { return false; }, 100);
    EXPECT_EQ(shows_, 4);
}

// A start request may arrive in pieces; one that is not well formed asks only for the window.
TEST_F(ControlChannelTest, AStartRequestNamesItsGameAndAnyOtherBytesAreAShow) {
    const std::string request = StartRequestBytes(L"龙之谷 2");
    EXPECT_EQ(request, std::string("start\n\xE9\xBE\x99\xE4\xB9\x8B\xE8\xB0\xB7 2", 17) + '\0');
    {
        ScopedSocket client = Connect("127.0.0.1", port_);
        ASSERT_TRUE(client);
        send(client.get(), request.data(), 8, 0);
        PumpUntil([] { return false; }, 200);
        EXPECT_TRUE(starts_.empty() && shows_ == 0) << "served before the request was whole";
        send(client.get(), request.data() + 8, static_cast<int>(request.size() - 8), 0);
        ASSERT_TRUE(PumpUntil([&] { return !starts_.empty(); }));
        EXPECT_EQ(starts_, std::vector<std::wstring>{L"龙之谷 2"});
        EXPECT_TRUE(ClosedByPeer(client.get()));
    }
    const std::string notStarts[] = {
        std::string("start\n\xFF", 7) + '\0',        // not UTF-8
        std::string("start\na\tb", 9) + '\0',        // a control character
        std::string("start\n", 6) + '\0',             // no name
        "start\n" + std::string(1000, 'a'),          // over-long, with no end
        "start\nno end",                              // closed before its NUL
    };
    int shows = 0;
    for (const std::string& bytes : notStarts) {
        ScopedSocket client = Connect("127.0.0.1", port_);
        ASSERT_TRUE(client);
        send(client.get(), bytes.data(), static_cast<int>(bytes.size()), 0);
        shutdown(client.get(), SD_SEND);
        ASSERT_TRUE(ShowsReach(++shows)) << bytes.substr(0, 20);
    }
    EXPECT_EQ(starts_.size(), 1u);
    EXPECT_EQ(StartRequestName(std::string("start\nab\0c", 10) + '\0'), std::nullopt) << "a NUL inside the name";
}

TEST_F(ControlChannelTest, SilentOpenConnectionDoesNotHoldTheChannel) {
    ScopedSocket silent = Connect("127.0.0.1", port_);
    ASSERT_TRUE(silent);
    ScopedSocket next = Connect("127.0.0.1", port_);
    ASSERT_TRUE(next);
    send(next.get(), "show", 5, 0);
    ASSERT_TRUE(ShowsReach(1)) << "served while the silent one waits";
    EXPECT_TRUE(ClosedByPeer(next.get()));
    ASSERT_TRUE(ShowsReach(2)) << "the silent one is served after a while";
    EXPECT_TRUE(ClosedByPeer(silent.get()));
}

// A program started while the receiver listens, even one given every inheritable handle, holds
// none of the receiver's sockets: the port is free again once the receiver has closed it.
TEST_F(Winsock, AProgramStartedMeanwhileKeepsNoSocketOfTheReceiver) {
    TestFolder folder;
    const std::wstring helper = folder.File(L"record_start.exe");
    ASSERT_TRUE(CopyFileW(TestHelperPath(L"app/record_start.exe").c_str(), helper.c_str(), FALSE));
    PROCESS_INFORMATION started{};
    unsigned short port = 0;
    {
        ControlChannelReceiver receiver([] {});
        ASSERT_EQ(receiver.Listen(0), 0);
        port = receiver.Port();
        std::wstring commandLine = L"\"" + helper + L"\" --linger";
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        ASSERT_TRUE(CreateProcessW(helper.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                   &startup, &started));
        ASSERT_TRUE(WaitUntil([&] { return FileExists(helper + L".started"); }));
    }
    ScopedSocket again(socket(AF_INET, SOCK_STREAM, 0));
    sockaddr_in address = Address("127.0.0.1", port);
    EXPECT_EQ(bind(again.get(), reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0)
        << "the port is still held by the started program";
    TerminateProcess(started.hProcess, 0);
    WaitForSingleObject(started.hProcess, 5000);
    CloseHandle(started.hProcess);
    CloseHandle(started.hThread);
}

TEST_F(ControlChannelTest, PortInUseIsReportedWithItsError) {
    ControlChannelReceiver second([] {});
    EXPECT_EQ(second.Listen(port_), WSAEADDRINUSE);
    int reported = 0;
    second.ListenLater(port_, 10, [&](int error) { reported = error; });
    ASSERT_TRUE(PumpUntil([&] { return reported != 0; }));
    EXPECT_EQ(reported, WSAEADDRINUSE);
    EXPECT_EQ(second.Port(), 0);
}

}  // namespace
