// demogame.exe and demouninstall.exe, copied into a game folder of their own and started there.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/support/LudoraProcess.h"
#include "tools/demogames/DemoFiles.h"
#include "tests/support/TestFolder.h"

namespace {

const std::wstring kUninstallKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

std::string Utf8(const std::wstring& text) {
    int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(size, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr, nullptr);
    return bytes;
}

bool MachineKeyExists(const std::wstring& key) {
    HKEY handle = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ | KEY_WOW64_32KEY, &handle) != ERROR_SUCCESS)
        return false;
    RegCloseKey(handle);
    return true;
}

// A started process; ended at the end of the test if it still runs.
struct Started {
    PROCESS_INFORMATION info{};
    ~Started() {
        if (!info.hProcess) return;
        if (WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(info.hProcess, 1);
        CloseHandle(info.hProcess);
        CloseHandle(info.hThread);
    }
    DWORD WaitForExit(DWORD timeoutMs = 10000) const {
        if (WaitForSingleObject(info.hProcess, timeoutMs) != WAIT_OBJECT_0) return STILL_ACTIVE;
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(info.hProcess, &code);
        return code;
    }
};

bool Start(Started& process, const std::wstring& exe, const std::wstring& arguments, const std::wstring& folder) {
    std::wstring commandLine = L"\"" + exe + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    // The game's window shows without taking the focus from the other tests' windows.
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNOACTIVATE;
    return CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                          &startup, &process.info);
}

// A game folder with a space and Chinese in its name, holding copies of both programs, under a
// test folder that receives the uninstall log.
class DemoGamesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(CreateDirectoryW(game.c_str(), nullptr));
        ASSERT_TRUE(CopyFileW(HostPathToWindows(DEMOGAME_EXE).c_str(), (game + L"\\demogame.exe").c_str(), FALSE));
        ASSERT_TRUE(
            CopyFileW(HostPathToWindows(DEMOUNINSTALL_EXE).c_str(), (game + L"\\demouninstall.exe").c_str(), FALSE));
    }
    void TearDown() override { DeleteMachineKey(kUninstallKey + keyName); }

    // Runs the uninstaller as the game's uninstall string would, and waits for its second process.
    void Uninstall(const std::wstring& arguments) {
        Started first;
        ASSERT_TRUE(Start(first, game + L"\\demouninstall.exe", arguments, root.Path()));
        DWORD secondId = first.WaitForExit();
        ASSERT_NE(secondId, STILL_ACTIVE);
        ASSERT_NE(secondId, 0u) << "the exit code is the second process's id";
        HANDLE second = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, secondId);
        ASSERT_NE(second, nullptr) << "the second process still runs after the first has ended";
        wchar_t image[MAX_PATH] = {};
        DWORD length = MAX_PATH;
        ASSERT_TRUE(QueryFullProcessImageNameW(second, 0, image, &length));
        wchar_t temp[MAX_PATH + 1] = {};
        GetTempPathW(MAX_PATH + 1, temp);
        const std::wstring copy = std::wstring(temp) + L"demouninstall-" + std::to_wstring(first.info.dwProcessId) + L".exe";
        EXPECT_EQ(lstrcmpiW(image, copy.c_str()), 0) << "it runs from a copy in the temporary folder";
        EXPECT_EQ(WaitForSingleObject(second, 10000), WAIT_OBJECT_0);
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(second, &code);
        EXPECT_EQ(code, 0u);
        CloseHandle(second);
        EXPECT_TRUE(DeleteFileW(copy.c_str()));
    }

    void RegisterGame() {
        WriteMachineString(kUninstallKey + keyName, L"DisplayName", L"演示游戏");
        WriteMachineString(kUninstallKey + keyName, L"UninstallString", L"\"" + game + L"\\demouninstall.exe\" /S");
        ASSERT_TRUE(MachineKeyExists(kUninstallKey + keyName));
    }

    TestFolder root;
    const std::wstring game = root.File(L"演示 游戏");
    const std::wstring keyName = L"LudoraDemoGame-" + std::to_wstring(GetCurrentProcessId());
};

}  // namespace

TEST_F(DemoGamesTest, TheGameRecordsItsCommandLineAndWorkingFolderInUtf8) {
    // Started from another folder than its own: the record goes where it works.
    const std::wstring arguments = L"--exit-after-ms 300 -参数 \"a b\"";
    Started game;
    ASSERT_TRUE(Start(game, this->game + L"\\demogame.exe", arguments, root.Path()));
    EXPECT_EQ(game.WaitForExit(), 0u) << "it ends by itself after the given time";
    const std::string record = ReadFileBytes(root.File(L"started.txt"));
    // Then the rights it runs with: this test's own, as the test started it.
    EXPECT_EQ(record, Utf8(L"\"" + this->game + L"\\demogame.exe\" " + arguments + L"\r\n" + root.Path() + L"\r\n" +
                           demo::TokenRecord() + L"\r\n"));
    EXPECT_FALSE(FileExists(this->game + L"\\started.txt"));
}

TEST_F(DemoGamesTest, TheGameShowsAWindowTitledWithItsFileNameUntilItIsClosed) {
    ASSERT_TRUE(CopyFileW((game + L"\\demogame.exe").c_str(), (game + L"\\星际 Racer.exe").c_str(), FALSE));
    Started started;
    ASSERT_TRUE(Start(started, game + L"\\星际 Racer.exe", L"", game));
    HWND window = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (window = FindProcessWindow(started.info.dwProcessId, L"LudoraDemoGame")) != nullptr; }));
    wchar_t title[256] = {};
    GetWindowTextW(window, title, 256);
    EXPECT_STREQ(title, L"星际 Racer");
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(window) != FALSE; })) << "created, then shown";
    EXPECT_TRUE(FileExists(game + L"\\started.txt"));
    EXPECT_EQ(started.WaitForExit(500), STILL_ACTIVE) << "without a time it stays";
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(started.WaitForExit(), 0u);
}

TEST_F(DemoGamesTest, TheSilentUninstallRemovesTheGameItsFolderAndItsKey) {
    WriteFileBytes(game + L"\\started.txt", "earlier start");
    RegisterGame();
    Uninstall(L"/S \"" + game + L"\" " + keyName);

    for (const wchar_t* file : {L"demogame.exe", L"demouninstall.exe", L"started.txt"})
        EXPECT_FALSE(FileExists(game + L"\\" + file)) << Utf8(file);
    EXPECT_FALSE(FileExists(game)) << "the empty folder goes too";
    EXPECT_FALSE(MachineKeyExists(kUninstallKey + keyName));
    // The second process received the switch and the folder unchanged.
    const std::string log = ReadFileBytes(root.File(L"uninstall-log.txt"));
    EXPECT_NE(log.find(Utf8(L" --second /S \"" + game + L"\" " + keyName + L"\r\n")), std::string::npos) << log;
}

TEST_F(DemoGamesTest, WithoutTheSwitchAndWithMissingFilesItKeepsWhatIsNotTheGames) {
    // No started.txt, a save of the player's own, a trailing backslash on the folder.
    WriteFileBytes(game + L"\\save.dat", "level 3");
    RegisterGame();
    Uninstall(L"\"" + game + L"\\\\\" " + keyName);

    EXPECT_FALSE(FileExists(game + L"\\demogame.exe"));
    EXPECT_FALSE(FileExists(game + L"\\demouninstall.exe"));
    EXPECT_TRUE(FileExists(game + L"\\save.dat"));
    EXPECT_FALSE(MachineKeyExists(kUninstallKey + keyName));
    const std::string log = ReadFileBytes(root.File(L"uninstall-log.txt"));
    EXPECT_EQ(log.find("/S"), std::string::npos) << log;
    EXPECT_NE(log.find(Utf8(L" --second \"" + game + L"\\\\\" " + keyName + L"\r\n")), std::string::npos) << log;
}

TEST_F(DemoGamesTest, TheUninstallerStartsNothingWithoutAFolderAndAKey) {
    RegisterGame();
    Started first;
    ASSERT_TRUE(Start(first, game + L"\\demouninstall.exe", L"/S \"" + game + L"\"", root.Path()));
    EXPECT_EQ(first.WaitForExit(), 0u);
    EXPECT_TRUE(FileExists(game + L"\\demogame.exe"));
    EXPECT_TRUE(MachineKeyExists(kUninstallKey + keyName));
}
