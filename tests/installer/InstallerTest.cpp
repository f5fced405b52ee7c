// LudoraSetup.exe run silently, as on a player's machine: install, start, install over, uninstall.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>

#include "app/MainFrame.h"
#include "online/PackageTrust.h"
#include "shared/ScopedHandle.h"
#include "shared/SysSettings.h"
#include "tests/support/LudoraProcess.h"
#include "tests/support/TestFolder.h"

namespace {

const std::wstring kUninstallKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Ludora";
const std::wstring kRunKey = L"SoftWare\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kPlayerGames[] = "<UserGames><Game Name=\"kept\"/></UserGames>";
const char kPlayerSettings[] = "<Config><Setting AutoRun=\"1\"/></Config>";

std::wstring SystemFolder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

std::wstring InstallFolder() { return SystemFolder(CSIDL_PROGRAM_FILES) + L"\\Ludora"; }
std::wstring InstalledProgram() { return InstallFolder() + L"\\Ludora.exe"; }
std::wstring Uninstaller() { return InstallFolder() + L"\\uninstall.exe"; }
std::wstring ShortcutFolder() { return SystemFolder(CSIDL_COMMON_PROGRAMS) + L"\\Ludora"; }

// Both wait at most a minute; the uninstaller, told its folder (`_?=`), runs where it is rather
// than from a copy that returns at once, and so leaves itself behind.
DWORD Install() { return LudoraProcess(L"/S", HostPathToWindows(LUDORA_SETUP_EXE)).WaitForExit(60000); }
DWORD Uninstall() { return LudoraProcess(L"/S _?=" + InstallFolder(), Uninstaller()).WaitForExit(60000); }

std::wstring UninstallValue(const std::wstring& value) {
    std::wstring data;
    ReadMachineString(kUninstallKey, value, data);
    return data;
}

class InstallerTest : public ::testing::Test {
protected:
    void SetUp() override {
        Clean();
        ASSERT_EQ(Install(), 0u);
    }
    void TearDown() override { Clean(); }

    static void Clean() {
        RemoveTree(InstallFolder());
        RemoveTree(ShortcutFolder());
        DeleteMachineKey(kUninstallKey);
        SysSettings::SetAutoRunRegistration(false, InstalledProgram());
        ClearProgramData();
    }

    static void PlacePlayerFiles() {
        CreateDirectoryW(ProgramDataFolder().c_str(), nullptr);
        WriteFileBytes(ProgramDataFolder() + L"\\UserGame.xml", kPlayerGames);
        WriteFileBytes(ProgramDataFolder() + L"\\config.xml", kPlayerSettings);
    }

    static void ExpectPlayerFilesKept() {
        EXPECT_EQ(ReadFileBytes(ProgramDataFolder() + L"\\UserGame.xml"), kPlayerGames);
        EXPECT_EQ(ReadFileBytes(ProgramDataFolder() + L"\\config.xml"), kPlayerSettings);
    }
};

}  // namespace

TEST_F(InstallerTest, InstallsTheProgramShortcutsAndUninstallEntryAndTheProgramStarts) {
    const std::string program = ReadFileBytes(LudoraExePath());
    EXPECT_EQ(ReadFileBytes(InstalledProgram()), program);
    EXPECT_TRUE(FileExists(ShortcutFolder() + L"\\Ludora.lnk"));
    EXPECT_TRUE(FileExists(ShortcutFolder() + L"\\卸载 Ludora.lnk"));

    EXPECT_EQ(UninstallValue(L"DisplayName"), L"Ludora");
    EXPECT_EQ(UninstallValue(L"DisplayVersion"), L"1.0.0.0");
    EXPECT_EQ(UninstallValue(L"Publisher"), L"Ludora");
    EXPECT_EQ(UninstallValue(L"DisplayIcon"), InstalledProgram() + L",0");
    EXPECT_EQ(UninstallValue(L"UninstallString"), L"\"" + Uninstaller() + L"\"");
    EXPECT_EQ(UninstallValue(L"QuietUninstallString"), L"\"" + Uninstaller() + L"\" /S");
    DWORD sizeKb = 0, size = sizeof(sizeKb);
    ASSERT_EQ(RegGetValueW(HKEY_LOCAL_MACHINE, kUninstallKey.c_str(), L"EstimatedSize", RRF_RT_REG_DWORD, nullptr,
                           &sizeKb, &size), ERROR_SUCCESS);
    const size_t installedBytes = program.size() + ReadFileBytes(Uninstaller()).size();
    EXPECT_NEAR(sizeKb, installedBytes / 1024.0, 1.0) << "the installed files' size in KB";

    // The installer, the program and the uninstaller it wrote carry the program's publisher's signature.
    auto open = [](const std::wstring& path) {
        return AdoptFileHandle(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                           FILE_ATTRIBUTE_NORMAL, nullptr));
    };
    ScopedHandle installed = open(InstalledProgram());
    EXPECT_TRUE(IsTrustedPackageOf(open(Uninstaller()).get(), L"", installed.get()));
    EXPECT_TRUE(IsTrustedPackageOf(open(HostPathToWindows(LUDORA_SETUP_EXE)).get(), L"", installed.get()));

    LudoraProcess started(L"", InstalledProgram());
    ASSERT_TRUE(started.Started());
    EXPECT_NE(started.WaitForWindow(MainFrame::kWindowClassName), nullptr);
}

TEST_F(InstallerTest, InstallingOverAnOlderVersionReplacesTheProgramAndKeepsThePlayersFiles) {
    // A Ludora runs (the build's: the older version here is no program), started before the
    // player's files are placed so that it has read its own.
    LudoraProcess running(L"", LudoraExePath());
    ASSERT_NE(running.WaitForWindow(MainFrame::kWindowClassName), nullptr);
    WriteFileBytes(InstalledProgram(), "older version");
    PlacePlayerFiles();
    ASSERT_EQ(Install(), 0u);
    EXPECT_NE(running.WaitForExit(5000), static_cast<DWORD>(STILL_ACTIVE)) << "a running Ludora was ended";
    EXPECT_EQ(ReadFileBytes(InstalledProgram()), ReadFileBytes(LudoraExePath()));
    ExpectPlayerFilesKept();
}

TEST_F(InstallerTest, UninstallEndsTheProgramRemovesItsTracesAndKeepsThePlayersFiles) {
    LudoraProcess started(L"", InstalledProgram());
    ASSERT_NE(started.WaitForWindow(MainFrame::kWindowClassName), nullptr);
    ASSERT_TRUE(SysSettings::SetAutoRunRegistration(true, InstalledProgram()));
    PlacePlayerFiles();

    ASSERT_EQ(Uninstall(), 0u);
    EXPECT_NE(started.WaitForExit(5000), static_cast<DWORD>(STILL_ACTIVE)) << "the running program was ended";
    EXPECT_FALSE(FileExists(InstalledProgram()));
    EXPECT_FALSE(FileExists(ShortcutFolder()));
    std::wstring data;
    EXPECT_FALSE(ReadMachineString(kUninstallKey, L"DisplayName", data));
    EXPECT_FALSE(ReadMachineString(kRunKey, L"Ludora", data));
    EXPECT_FALSE(SystemScheduledTasks().Exists(SysSettings::AutoRunTaskName()));
    ExpectPlayerFilesKept();
}
