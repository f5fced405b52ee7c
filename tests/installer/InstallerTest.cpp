// LudoraSetup.exe run silently, as on a player's machine: install, start, install over, uninstall.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "app/MainFrame.h"
#include "online/PackageTrust.h"
#include "shared/ScopedHandle.h"
#include "shared/SysSettings.h"
#include "tests/support/LudoraProcess.h"
#include "tests/support/TestFolder.h"

namespace {

const std::wstring kUninstallKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Ludora";
const std::wstring kRunKey = L"SoftWare\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::wstring kLinkKey = L"Software\\Classes\\ludora";
const char kPlayerGames[] = "<UserGames><Game Name=\"kept\"/></UserGames>";
const char kPlayerSettings[] = "<Config><Setting AutoRun=\"1\"/></Config>";
const char kPlayerHistory[] = "<PlayHistory orderByLastPlayed=\"1\"/>";
const wchar_t kLockedFolder[] = L"O:BAD:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";

std::wstring SystemFolder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

std::wstring InstallFolder() { return SystemFolder(CSIDL_PROGRAM_FILES) + L"\\Ludora"; }
std::wstring InstalledProgram() { return InstallFolder() + L"\\Ludora.exe"; }
std::wstring Uninstaller() { return InstallFolder() + L"\\uninstall.exe"; }
std::wstring ShortcutFolder() { return SystemFolder(CSIDL_COMMON_PROGRAMS) + L"\\Ludora"; }
std::wstring UpdateFolder() { return ProgramDataFolder() + L"\\Patchs"; }

// Both wait at most a minute; the uninstaller, told its folder (`_?=`), runs where it is rather
// than from a copy that returns at once, and so leaves itself behind.
DWORD Install() { return LudoraProcess(L"/S", HostPathToWindows(LUDORA_SETUP_EXE)).WaitForExit(60000); }
DWORD Uninstall() { return LudoraProcess(L"/S _?=" + InstallFolder(), Uninstaller()).WaitForExit(60000); }

// A value of the player's own registry; none when it is not there.
std::optional<std::wstring> PlayerValue(const std::wstring& key, const wchar_t* value) {
    wchar_t data[1024] = {};
    DWORD size = sizeof(data);
    if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), value, RRF_RT_REG_SZ, nullptr, data, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return std::wstring(data);
}

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
        RegDeleteTreeW(HKEY_CURRENT_USER, kLinkKey.c_str());
        SysSettings::SetAutoRunRegistration(false, InstalledProgram());
        ClearProgramData();
    }

    static void PlacePlayerFiles() {
        CreateDirectoryW(ProgramDataFolder().c_str(), nullptr);
        WriteFileBytes(ProgramDataFolder() + L"\\UserGame.xml", kPlayerGames);
        WriteFileBytes(ProgramDataFolder() + L"\\config.xml", kPlayerSettings);
        WriteFileBytes(ProgramDataFolder() + L"\\PlayHistory.xml", kPlayerHistory);
    }

    static void ExpectPlayerFilesKept() {
        EXPECT_EQ(ReadFileBytes(ProgramDataFolder() + L"\\UserGame.xml"), kPlayerGames);
        EXPECT_EQ(ReadFileBytes(ProgramDataFolder() + L"\\config.xml"), kPlayerSettings);
        EXPECT_EQ(ReadFileBytes(ProgramDataFolder() + L"\\PlayHistory.xml"), kPlayerHistory);
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

    // "ludora:" links are the player's, and open the installed program with the link as its one argument.
    EXPECT_EQ(PlayerValue(kLinkKey, L"URL Protocol"), std::wstring());
    EXPECT_EQ(PlayerValue(kLinkKey + L"\\shell\\open\\command", nullptr),
              L"\"" + InstalledProgram() + L"\" \"%1\"");

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
    // What updates leave: a package, the updater copy, unfinished downloads, the program replaced
    // last and an unfinished copy of a new one.
    const std::vector<std::wstring> leftovers = {
        UpdateFolder() + L"\\Ludora.pak", UpdateFolder() + L"\\Ludora.tmp",
        UpdateFolder() + L"\\Ludora.pak.0123456789abcdef.part", InstalledProgram() + L".old",
        InstalledProgram() + L".fedcba9876543210.part"};
    for (const std::wstring& leftover : leftovers) WriteFileBytes(leftover, "left over");

    ASSERT_EQ(Uninstall(), 0u);
    EXPECT_NE(started.WaitForExit(5000), static_cast<DWORD>(STILL_ACTIVE)) << "the running program was ended";
    EXPECT_FALSE(FileExists(InstalledProgram()));
    EXPECT_FALSE(FileExists(ShortcutFolder()));
    std::wstring data;
    EXPECT_FALSE(ReadMachineString(kUninstallKey, L"DisplayName", data));
    EXPECT_FALSE(ReadMachineString(kRunKey, L"Ludora", data));
    EXPECT_FALSE(SystemScheduledTasks().Exists(SysSettings::AutoRunTaskName()));
    EXPECT_FALSE(PlayerValue(kLinkKey, L"URL Protocol")) << "the link scheme was removed";
    for (const std::wstring& leftover : leftovers) EXPECT_FALSE(FileExists(leftover)) << std::string(leftover.begin(), leftover.end());
    EXPECT_FALSE(FileExists(UpdateFolder()));
    ExpectPlayerFilesKept();
}

// The installer makes the data folder, and an install folder the player chose outside Program
// Files, writable by administrators only, and makes them and the files in them so again when
// someone opened them to everyone (ExpectRights says what Wine shows). It runs system tools from the system folder,
// never one that someone put beside it in the folder it was downloaded to; under Wine the
// installer's tool runner does not pick the planted one even by bare name, so there this part
// shows nothing.
TEST_F(InstallerTest, ItsFoldersAreLockedAndNoToolBesideTheInstallerRuns) {
    ExpectRights(ProgramDataFolder(), kLockedFolder);
    ExpectRights(UpdateFolder(), kLockedFolder);

    PlacePlayerFiles();
    const std::wstring settings = ProgramDataFolder() + L"\\config.xml";
    for (const std::wstring& path : {ProgramDataFolder(), UpdateFolder(), settings}) {
        ASSERT_TRUE(GrantEveryoneFullControl(path));
        ASSERT_NE(SecuritySddl(path).find(L";;;WD)"), std::wstring::npos);
    }
    TestFolder downloads;
    const std::wstring chosen = downloads.File(L"Ludora");
    ASSERT_TRUE(CreateDirectoryW(chosen.c_str(), nullptr));
    ASSERT_TRUE(GrantEveryoneFullControl(chosen));
    const std::wstring setup = downloads.File(L"LudoraSetup.exe");
    ASSERT_TRUE(CopyFileW(HostPathToWindows(LUDORA_SETUP_EXE).c_str(), setup.c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(TestHelperPath(L"app/record_start.exe").c_str(), downloads.File(L"taskkill.exe").c_str(), FALSE));
    ASSERT_EQ(LudoraProcess(L"/S /D=" + chosen, setup).WaitForExit(60000), 0u);

    EXPECT_FALSE(FileExists(downloads.File(L"taskkill.exe.started"))) << "the planted taskkill.exe ran";
    ExpectRights(ProgramDataFolder(), kLockedFolder);
    ExpectRights(UpdateFolder(), kLockedFolder);
    ExpectRights(settings, L"O:BAD:AI(A;ID;FA;;;SY)(A;ID;FA;;;BA)(A;ID;0x1200a9;;;BU)");
    ExpectPlayerFilesKept();
    EXPECT_TRUE(FileExists(chosen + L"\\Ludora.exe"));
    ExpectRights(chosen, kLockedFolder);
}
