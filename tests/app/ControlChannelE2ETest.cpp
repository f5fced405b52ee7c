// The control channel between two real instances of the program on the fixed port.
#include <gtest/gtest.h>

#include <memory>

#include "app/ControlChannel.h"
#include "app/MainFrame.h"
#include "tests/support/LudoraProcess.h"
#include "tests/support/ScopedSocket.h"

namespace {

ScopedSocket ConnectTo(uint32_t address, unsigned short port) {
    SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_addr.s_addr = address;
    target.sin_port = htons(port);
    if (connect(s, reinterpret_cast<sockaddr*>(&target), sizeof(target)) != 0) {
        closesocket(s);
        return ScopedSocket();
    }
    return ScopedSocket(s);
}

bool IsListening() { return !ListeningAddresses(kControlChannelPort).empty(); }

class ControlChannelE2E : public ::testing::Test {
protected:
    void SetUp() override {
        WSADATA data;
        ASSERT_EQ(WSAStartup(0x0202, &data), 0);
        ClearProgramData();
        ASSERT_FALSE(IsListening()) << "port " << kControlChannelPort << " is taken before the test";
    }
    void TearDown() override {
        first_.reset();
        WaitUntil([] { return !IsListening(); });
        WSACleanup();
    }

    // Starts the first instance and waits until its window exists and its channel listens.
    HWND StartFirst(const std::wstring& arguments) {
        first_ = std::make_unique<LudoraProcess>(arguments);
        HWND window = first_->WaitForWindow(MainFrame::kWindowClassName);
        EXPECT_NE(window, nullptr);
        EXPECT_TRUE(WaitUntil(IsListening, 20000)) << "the channel never listened";
        return window;
    }

    // A second start: it exits at once with code 0 after asking the first to show itself.
    void StartSecond(const std::wstring& arguments = L"") {
        LudoraProcess second(arguments);
        EXPECT_EQ(second.WaitForExit(), 0u);
    }

    std::unique_ptr<LudoraProcess> first_;
};

TEST_F(ControlChannelE2E, SecondStartShowsTheHiddenWindow) {
    HWND window = StartFirst(L"AUTORUN");
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(IsWindowVisible(window));
    StartSecond();
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(window) != FALSE; }));
}

// Both ways of starting with Windows may fire at logon: the second start leaves the first in the tray.
TEST_F(ControlChannelE2E, ASecondStartWithWindowsLeavesTheWindowHidden) {
    HWND window = StartFirst(L"AUTORUN");
    ASSERT_NE(window, nullptr);
    StartSecond(L"AUTORUN");
    Sleep(1500);
    EXPECT_FALSE(IsWindowVisible(window));
    StartSecond();
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(window) != FALSE; }));
}

TEST_F(ControlChannelE2E, SecondStartRestoresTheMinimisedWindow) {
    HWND window = StartFirst(L"");
    ASSERT_NE(window, nullptr);
    ShowWindow(window, SW_MINIMIZE);
    ASSERT_TRUE(WaitUntil([&] { return IsIconic(window) != FALSE; }));
    StartSecond();
    EXPECT_TRUE(WaitUntil([&] { return !IsIconic(window) && IsWindowVisible(window); }));
}

TEST_F(ControlChannelE2E, ConnectionThatSendsNothingShowsTheWindow) {
    HWND window = StartFirst(L"AUTORUN");
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(ConnectTo(htonl(INADDR_LOOPBACK), kControlChannelPort));  // closed at once
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(window) != FALSE; }));
}

TEST_F(ControlChannelE2E, SecondStartsInQuickSuccessionAreAllServed) {
    HWND window = StartFirst(L"AUTORUN");
    ASSERT_NE(window, nullptr);
    {
        LudoraProcess second(L""), third(L"");
        EXPECT_EQ(second.WaitForExit(), 0u);
        EXPECT_EQ(third.WaitForExit(), 0u);
    }
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(window) != FALSE; }));

    // Each request waiting in the queue is served in turn: the instance closes every connection.
    ShowWindow(window, SW_HIDE);
    ScopedSocket one = ConnectTo(htonl(INADDR_LOOPBACK), kControlChannelPort);
    ScopedSocket two = ConnectTo(htonl(INADDR_LOOPBACK), kControlChannelPort);
    ASSERT_TRUE(one && two);
    for (SOCKET s : {one.get(), two.get()}) {
        send(s, "show", 5, 0);
        shutdown(s, SD_SEND);
    }
    for (SOCKET s : {one.get(), two.get()}) {
        DWORD timeout = 20000;
        setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof(timeout));
        char byte;
        EXPECT_EQ(recv(s, &byte, 1, 0), 0) << "a request was not served";
    }
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(window) != FALSE; }));
}

TEST_F(ControlChannelE2E, PortIsReachableOnLoopbackOnly) {
    HWND window = StartFirst(L"AUTORUN");
    ASSERT_NE(window, nullptr);
    for (uint32_t address : ListeningAddresses(kControlChannelPort)) EXPECT_EQ(address, htonl(INADDR_LOOPBACK));

    EXPECT_FALSE(ConnectTo(inet_addr("127.0.0.2"), kControlChannelPort));
    char host[256] = {};
    gethostname(host, sizeof(host));
    if (hostent* entry = gethostbyname(host)) {
        for (char** item = entry->h_addr_list; *item != nullptr; ++item) {
            uint32_t address;
            memcpy(&address, *item, sizeof(address));
            if (address == htonl(INADDR_LOOPBACK)) continue;
            EXPECT_FALSE(ConnectTo(address, kControlChannelPort)) << "reached from outside";
        }
    }
    EXPECT_FALSE(IsWindowVisible(window)) << "no request got through";
}

TEST_F(ControlChannelE2E, TakenPortIsReportedOnceAndTheProgramRunsOn) {
    SOCKET blocker = socket(AF_INET, SOCK_STREAM, 0);
    ScopedSocket holder(blocker);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(kControlChannelPort);
    ASSERT_EQ(bind(blocker, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    ASSERT_EQ(listen(blocker, 1), 0);

    first_ = std::make_unique<LudoraProcess>(L"AUTORUN");
    HWND window = first_->WaitForWindow(MainFrame::kWindowClassName);
    ASSERT_NE(window, nullptr);
    MessageBoxWindow box;
    ASSERT_TRUE(WaitUntil([&] { return !(box = FindMessageBox(first_->Id())).text.empty(); }, 20000));
    EXPECT_EQ(box.text, L"绑定失败!");
    EXPECT_EQ(box.caption, L"10048");
    EXPECT_EQ(GetWindow(box.hwnd, GW_OWNER), nullptr);

    PostMessageW(box.hwnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box.hwnd); }));
    // It does not ask again.
    Sleep(1500);
    EXPECT_EQ(FindMessageBox(first_->Id()).hwnd, nullptr);
    EXPECT_FALSE(IsWindowVisible(window)) << "the window was restored without a request";
    EXPECT_EQ(first_->WaitForExit(0), static_cast<DWORD>(STILL_ACTIVE)) << "the program runs on";
    holder.reset();
}

}  // namespace
