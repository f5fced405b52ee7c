// The real program under Wine: start modes, single instance and apply mode.
#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "app/MainFrame.h"
#include "tests/support/LudoraProcess.h"
#include "tests/support/ProgramWindows.h"
#include "tests/support/TestFolder.h"

namespace {

bool StartsVisible(const std::wstring& arguments) {
    LudoraProcess program(arguments);
    EXPECT_TRUE(program.Started());
    HWND window = program.WaitForWindow(MainFrame::kWindowClassName);
    EXPECT_NE(window, nullptr) << "no main window for arguments '" << std::string(arguments.begin(), arguments.end()) << "'";
    // Give the shown or hidden state time to settle before it is read.
    Sleep(300);
    return window != nullptr && IsWindowVisible(window);
}

// The files of the libraries that process `id` has loaded.
std::vector<std::wstring> LoadedLibraries(DWORD id) {
    std::vector<std::wstring> files;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, id);
    if (snapshot == INVALID_HANDLE_VALUE) return files;
    MODULEENTRY32W module{};
    module.dwSize = sizeof(module);
    for (BOOL more = Module32FirstW(snapshot, &module); more; more = Module32NextW(snapshot, &module))
        files.push_back(module.szExePath);
    CloseHandle(snapshot);
    return files;
}

bool EndsWith(const std::wstring& text, const std::wstring& end) {
    return text.size() >= end.size() && lstrcmpiW(text.c_str() + text.size() - end.size(), end.c_str()) == 0;
}

std::wstring PackagePath() { return ProgramDataFolder() + L"\\Patchs\\Ludora.pak"; }

}  // namespace

TEST(StartupE2E, StartModesShowOrHideTheWindow) {
    EXPECT_TRUE(StartsVisible(L""));
    EXPECT_FALSE(StartsVisible(L"AUTORUN"));
    EXPECT_FALSE(StartsVisible(L"0"));
    EXPECT_TRUE(StartsVisible(L"1"));
    EXPECT_TRUE(StartsVisible(L"autorun"));
}

TEST(StartupE2E, FirstStartCreatesTheDataFolderAndSettings) {
    ClearProgramData();
    LudoraProcess program(L"AUTORUN");
    ASSERT_NE(program.WaitForWindow(MainFrame::kWindowClassName), nullptr);
    EXPECT_TRUE(FileExists(ProgramDataFolder() + L"\\Patchs"));
    EXPECT_TRUE(FileExists(ProgramDataFolder() + L"\\config.xml"));
}

// Updates run what lies in the data folder with administrator rights: after a start only
// administrators and the system may change it. Wine keeps Unix permission bits only (see
// ExpectRights), always names the account that runs as the owner and makes no links: there the
// test shows that Everyone loses the right to write, and the part on links does not run.
TEST(StartupE2E, TheDataFolderIsLeftWritableByAdministratorsOnly) {
    const std::wstring folder = ProgramDataFolder();
    const std::wstring patchs = folder + L"\\Patchs";
    const std::wstring config = folder + L"\\config.xml";
    const std::wstring locked = L"O:BAD:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";
    const std::wstring inheriting = L"O:BAD:AI(A;ID;FA;;;SY)(A;ID;FA;;;BA)(A;ID;0x1200a9;;;BU)";
    auto startOnce = [] {
        LudoraProcess program(L"AUTORUN");
        ASSERT_NE(program.WaitForWindow(MainFrame::kWindowClassName), nullptr);
    };

    ClearProgramData();
    startOnce();
    ExpectRights(folder, locked);
    ExpectRights(patchs, locked);

    // Made by someone else, writable by everyone, with a file of theirs in it.
    ClearProgramData();
    CreateDirectoryW(folder.c_str(), nullptr);
    CreateDirectoryW(patchs.c_str(), nullptr);
    WriteFileBytes(config, "<SysSet><Setting UpdateType=\"1\"/></SysSet>");
    for (const std::wstring& path : {folder, patchs, config}) {
        ASSERT_TRUE(GrantEveryoneFullControl(path));
        ASSERT_NE(SecuritySddl(path).find(L";;;WD)"), std::wstring::npos);
    }
    startOnce();
    ExpectRights(folder, locked);
    ExpectRights(patchs, locked);
    ExpectRights(config, inheriting);

    // A link in the folder's place is removed and the folder made anew; the link's target keeps
    // what it had.
    ClearProgramData();
    TestFolder target;
    WriteFileBytes(target.File(L"mine.txt"), "kept");
    const DWORD linked = CreateSymbolicLinkW(folder.c_str(), target.Path().c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY)
                             ? GetFileAttributesW(folder.c_str())
                             : INVALID_FILE_ATTRIBUTES;
    if (linked != INVALID_FILE_ATTRIBUTES && (linked & FILE_ATTRIBUTE_REPARSE_POINT)) {
        const std::wstring targetRights = SecuritySddl(target.Path());
        startOnce();
        EXPECT_EQ(GetFileAttributesW(folder.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT, 0u);
        ExpectRights(folder, locked);
        EXPECT_EQ(ReadFileBytes(target.File(L"mine.txt")), "kept");
        EXPECT_FALSE(FileExists(target.File(L"config.xml")));
        EXPECT_EQ(SecuritySddl(target.Path()), targetRights);
    }
}

TEST(StartupE2E, ASecondStartExitsWithZeroAndNoWindow) {
    LudoraProcess first(L"AUTORUN");
    ASSERT_NE(first.WaitForWindow(MainFrame::kWindowClassName), nullptr);
    LudoraProcess second(L"");
    EXPECT_EQ(second.WaitForExit(), 0u);
    EXPECT_EQ(FindProcessWindow(second.Id(), MainFrame::kWindowClassName), nullptr);
    EXPECT_EQ(first.WaitForExit(0), static_cast<DWORD>(STILL_ACTIVE)) << "the first instance keeps running";
}

// Copies of system libraries that the program loads while it runs lie beside a copy of the
// program: it takes none of them. (Wine runs its own code for a system library whichever file it
// is given, but names the file it took.)
TEST(StartupE2E, LibrariesLoadedWhileRunningNeverComeFromTheProgramsFolder) {
    TestFolder folder;
    const std::wstring program = folder.File(L"Ludora.exe");
    ASSERT_TRUE(CopyFileW(LudoraExePath().c_str(), program.c_str(), FALSE));
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    for (const wchar_t* name : {L"ws2_32.dll", L"wininet.dll", L"comctl32.dll", L"msimg32.dll"})
        ASSERT_TRUE(CopyFileW((std::wstring(system) + L"\\" + name).c_str(), folder.File(name).c_str(), FALSE));

    LudoraProcess running(L"", program);
    ASSERT_NE(running.WaitForWindow(MainFrame::kWindowClassName), nullptr);
    // The control channel loads the socket library a second after the first paint.
    std::vector<std::wstring> loaded;
    ASSERT_TRUE(WaitUntil([&] {
        loaded = LoadedLibraries(running.Id());
        return std::any_of(loaded.begin(), loaded.end(), [](const std::wstring& file) { return EndsWith(file, L"\\ws2_32.dll"); });
    }, 15000));
    for (const std::wstring& file : loaded) {
        if (EndsWith(file, L"\\Ludora.exe")) continue;
        EXPECT_NE(_wcsnicmp(file.c_str(), (folder.Path() + L"\\").c_str(), folder.Path().size() + 1), 0)
            << std::string(file.begin(), file.end());
    }
}

// The old program is a stand-in that records its start; the package is the real program.
class ApplyModeE2E : public ::testing::Test {
protected:
    void SetUp() override {
        CreateDirectoryW(folder.File(L"Game Dir").c_str(), nullptr);
        target = folder.File(L"Game Dir\\Ludora.exe");
        oldProgram = ReadFileBytes(TestHelperPath(L"app/record_start.exe"));
        ASSERT_FALSE(oldProgram.empty());
        WriteFileBytes(target, oldProgram);
        CreateDirectoryW(ProgramDataFolder().c_str(), nullptr);
        CreateDirectoryW((ProgramDataFolder() + L"\\Patchs").c_str(), nullptr);
        newProgram = ReadFileBytes(LudoraExePath());
        WriteFileBytes(PackagePath(), newProgram);
    }
    void TearDown() override {
        if (HWND restarted = FindWindowW(MainFrame::kWindowClassName, nullptr)) EndProcessOfWindow(restarted);
        DeleteMachineKey(kUninstallKey);
        DeleteFileW(PackagePath().c_str());
    }

    // Runs apply mode after `oldInstance` has ended, handing over `access` to it as the program does.
    DWORD RunApply(const LudoraProcess& oldInstance, DWORD access) {
        HANDLE handle = nullptr;
        DuplicateHandle(GetCurrentProcess(), oldInstance.Handle(), GetCurrentProcess(), &handle, access, TRUE, 0);
        LudoraProcess apply(std::to_wstring(reinterpret_cast<uintptr_t>(handle)) + L" \"" + target + L"\" 1");
        Sleep(500);
        EXPECT_EQ(apply.WaitForExit(0), static_cast<DWORD>(STILL_ACTIVE)) << "apply mode waits for the old instance";
        TerminateProcess(oldInstance.Handle(), 0);
        DWORD code = apply.WaitForExit();
        CloseHandle(handle);
        return code;
    }
    // The old program at the target hands over: apply mode reads from the handle which file it is.
    DWORD RunApplyForTheProgramAtTheTarget() {
        LudoraProcess oldInstance(L"--linger", target);
        return RunApply(oldInstance, SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION);
    }

    const std::wstring kUninstallKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Ludora";
    TestFolder folder;
    std::wstring target;
    std::string oldProgram, newProgram;
};

// The old program is kept beside the new one until the new one has started.
TEST_F(ApplyModeE2E, ReplacesTheProgramWhichRemovesTheOldOneOnceItRuns) {
    EXPECT_EQ(RunApplyForTheProgramAtTheTarget(), 0u);
    EXPECT_EQ(ReadFileBytes(target), newProgram);
    HWND restarted = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (restarted = FindWindowW(MainFrame::kWindowClassName, nullptr)) != nullptr; },
                          20000));
    EXPECT_TRUE(WaitUntil([&] { return !FileExists(target + L".old"); }));
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(restarted) != FALSE; })) << "restarted with \"1\"";
    EXPECT_TRUE(FileExists(PackagePath())) << "the package stays where it is";
}

// Handed over as by an instance that gave only the right to wait, apply mode takes the program the
// installer recorded. The old program comes back, and without the package the next start does not
// try again.
TEST_F(ApplyModeE2E, ALockedInstalledProgramIsKeptAndRestarted) {
    WriteMachineString(kUninstallKey, L"InstallLocation", folder.File(L"Game Dir"));
    HANDLE lock = CreateFileW(target.c_str(), GENERIC_READ | GENERIC_EXECUTE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    LudoraProcess oldInstance(L"--linger", TestHelperPath(L"app/record_start.exe"));
    EXPECT_EQ(RunApply(oldInstance, SYNCHRONIZE), 0u);
    CloseHandle(lock);
    EXPECT_EQ(ReadFileBytes(target), oldProgram);
    EXPECT_TRUE(WaitUntil([&] { return ReadFileBytes(target + L".started") == "1"; }));
    EXPECT_FALSE(FileExists(PackagePath()));
}

// A package that cannot be removed either keeps the old program down rather than restarting it into
// the same failed update at every start.
TEST_F(ApplyModeE2E, APackageThatCannotBeOpenedKeepsTheOldProgram) {
    HANDLE lock = CreateFileW(PackagePath().c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    EXPECT_EQ(RunApplyForTheProgramAtTheTarget(), 0u);
    CloseHandle(lock);
    EXPECT_EQ(ReadFileBytes(target), oldProgram);
    EXPECT_EQ(ReadFileBytes(target + L".started"), "--linger") << "started only as the old instance";
}
