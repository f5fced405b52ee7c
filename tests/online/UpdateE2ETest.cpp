// The self-update end to end: the real program, the local management service on its fixed port,
// the hand-off to the updater copy and the restart, all as separate processes under Wine.
#include <windows.h>

#include <gtest/gtest.h>

#include "app/MainFrame.h"
#include "shared/MyMessageBox.h"
#include "tests/support/LocalService.h"
#include "tests/support/LudoraProcess.h"
#include "tests/support/ProgramWindows.h"
#include "tests/support/TestFolder.h"

namespace {

constexpr unsigned short kServicePort = 18360;
const char kVersionTemplate[] = "#success#%s#{md5:/files/Ludora.pak}#http://{host}/files/Ludora.pak#";

std::string Announcement(const std::string& version) {
    std::string text = kVersionTemplate;
    return text.replace(text.find("%s"), 2, version);
}

void WriteSettings(const std::string& updateType) {
    ClearProgramData();
    CreateDirectoryW(ProgramDataFolder().c_str(), nullptr);
    CreateDirectoryW((ProgramDataFolder() + L"\\Patchs").c_str(), nullptr);
    WriteFileBytes(ProgramDataFolder() + L"\\config.xml",
                   "<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"yes\" ?>\n<SysSet><Setting AutoRun=\"0\" "
                   "IsColse=\"0\" IsShow=\"0\" UpdateType=\"" + updateType +
                       "\" NewsUrl=\"\" AdTime=\"\" NewsTime=\"\" /></SysSet>\n");
}

// The main window of whichever process has one (the restarted program is not our child).
HWND FindAnyMainWindow() { return FindWindowW(MainFrame::kWindowClassName, nullptr); }

// An update package the build made from the program with the next version's resource (1.0.0.1).
std::string UpdatePackageBytes(const wchar_t* name) {
    return ReadFileBytes(HostPathToWindows(UPDATE_PACKAGES) + L"\\" + name);
}

class UpdateE2ETest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(service_.Running());
        service_.Reset();
        originalBytes_ = ReadFileBytes(LudoraExePath());
        ASSERT_GT(originalBytes_.size(), 100000u);
        // The next version, signed by tools/sign-dev.sh as the build signs the program.
        packageBytes_ = UpdatePackageBytes(L"signed.exe");
        ASSERT_GT(packageBytes_.size(), 100000u);
        WriteFileBytes(program_, originalBytes_);
        service_.Answer("/files/Ludora.pak", packageBytes_, Raw());
    }

    void TearDown() override {
        if (HWND window = FindAnyMainWindow()) EndProcessOfWindow(window);
        ClearProgramData();
    }

    static ServiceAnswer Raw() {
        ServiceAnswer how;
        how.raw = true;
        return how;
    }
    static ServiceAnswer Once() {
        ServiceAnswer how;
        how.once = true;
        return how;
    }

    std::wstring Package() const { return ProgramDataFolder() + L"\\Patchs\\Ludora.pak"; }
    std::wstring UpdaterCopy() const { return ProgramDataFolder() + L"\\Patchs\\Ludora.tmp"; }

    // The next start sees the update once; the program it restarts is then up to date.
    void AnnounceOnceThenUpToDate() {
        service_.Answer("getversion", Announcement("1.0.0.1"), Once());
        service_.Answer("getversion", Announcement("1.0.0.0"));
    }

    // Starts the program, expects it to hand off and the restarted program to come up.
    HWND StartAndExpectRestart(const std::wstring& arguments) {
        LudoraProcess old(arguments, program_);
        EXPECT_TRUE(old.Started());
        EXPECT_EQ(old.WaitForExit(30000), 0u) << "the old instance should quit for the updater";
        EXPECT_TRUE(WaitUntil([&] { return ReadFileBytes(program_) == packageBytes_; }, 30000));
        HWND restarted = nullptr;
        EXPECT_TRUE(WaitUntil([&] { return (restarted = FindAnyMainWindow()) != nullptr; }, 30000));
        EXPECT_EQ(ReadFileBytes(UpdaterCopy()), originalBytes_);
        if (restarted != nullptr) WaitUntilSettled(restarted);
        return restarted;
    }

    // Waits until the running program has made `count` version requests: the automatic check's,
    // and the start-time check's when a package lies ready.
    bool WaitForVersionChecks(int count) {
        return WaitUntil([&] { return service_.CountRequests("act=getversion") >= count; }, 30000);
    }

    LocalService service_{kServicePort};
    TestFolder folder_;
    std::wstring program_ = folder_.File(L"Ludora.exe");
    std::string originalBytes_;
    std::string packageBytes_;
};

}  // namespace

TEST_F(UpdateE2ETest, DownloadedUpdateIsInstalledAtTheNextStartAndTheProgramComesBackShown) {
    WriteSettings("1");
    service_.Answer("getversion", Announcement("1.0.0.1"));
    {
        LudoraProcess first(L"", program_);
        ASSERT_NE(first.WaitForWindow(MainFrame::kWindowClassName), nullptr);
        ASSERT_TRUE(WaitUntil([&] { return ReadFileBytes(Package()) == packageBytes_; }, 30000));
        EXPECT_EQ(ReadFileBytes(program_), originalBytes_) << "the automatic check never installs";
    }
    service_.Reset();
    service_.Answer("/files/Ludora.pak", packageBytes_, Raw());
    AnnounceOnceThenUpToDate();

    HWND restarted = StartAndExpectRestart(L"");
    ASSERT_NE(restarted, nullptr);
    EXPECT_TRUE(IsWindowVisible(restarted)) << "restarted with \"1\"";
    EXPECT_EQ(service_.CountRequests("/files/Ludora.pak"), 0) << "the start-time check never downloads";
}

TEST_F(UpdateE2ETest, AProgramStartedFromAutorunComesBackHidden) {
    WriteSettings("0");
    WriteFileBytes(Package(), packageBytes_);
    AnnounceOnceThenUpToDate();

    HWND restarted = StartAndExpectRestart(L"AUTORUN");
    ASSERT_NE(restarted, nullptr);
    EXPECT_FALSE(IsWindowVisible(restarted)) << "restarted with \"0\"";
}

TEST_F(UpdateE2ETest, NoDownloadWhenUpdateTypeIsZero) {
    WriteSettings("0");
    service_.Answer("getversion", Announcement("1.0.0.1"));
    LudoraProcess running(L"", program_);
    ASSERT_NE(running.WaitForWindow(MainFrame::kWindowClassName), nullptr);
    ASSERT_TRUE(WaitForVersionChecks(1));
    // A download would follow the automatic check's reply at once; give it time to show up.
    Sleep(3000);
    EXPECT_EQ(service_.CountRequests("/files/"), 0);
    EXPECT_FALSE(FileExists(Package()));
}

TEST_F(UpdateE2ETest, APackageWhoseDigestDoesNotMatchIsNeverInstalled) {
    WriteSettings("1");
    service_.Answer("getversion", "#success#1.0.0.1#0123456789abcdef0123456789abcdef#http://{host}/files/Ludora.pak#");
    {
        LudoraProcess first(L"", program_);
        ASSERT_NE(first.WaitForWindow(MainFrame::kWindowClassName), nullptr);
        ASSERT_TRUE(WaitUntil([&] { return ReadFileBytes(Package()) == packageBytes_; }, 30000));
    }
    LudoraProcess second(L"", program_);
    ASSERT_NE(second.WaitForWindow(MainFrame::kWindowClassName), nullptr);
    EXPECT_EQ(second.WaitForExit(0), static_cast<DWORD>(STILL_ACTIVE));
    EXPECT_EQ(ReadFileBytes(program_), originalBytes_);
    EXPECT_FALSE(FileExists(UpdaterCopy()));
}

TEST_F(UpdateE2ETest, AnAnnouncedOwnVersionDoesNothing) {
    WriteSettings("1");
    WriteFileBytes(Package(), packageBytes_);
    service_.Answer("getversion", Announcement("1.0.0.0"));
    LudoraProcess running(L"", program_);
    ASSERT_NE(running.WaitForWindow(MainFrame::kWindowClassName), nullptr);
    ASSERT_TRUE(WaitForVersionChecks(2));
    Sleep(3000);
    EXPECT_EQ(service_.CountRequests("/files/"), 0);
    EXPECT_FALSE(FileExists(UpdaterCopy()));
    EXPECT_EQ(ReadFileBytes(program_), originalBytes_);
}

// An update runs what lies in "Patchs" with administrator rights: with a data folder that cannot
// be made safe (here a file stands in the place of "Patchs"), no check asks for one.
TEST_F(UpdateE2ETest, NoUpdateCheckWithoutASafeDataFolder) {
    WriteSettings("1");
    const std::wstring patchs = ProgramDataFolder() + L"\\Patchs";
    ASSERT_TRUE(RemoveDirectoryW(patchs.c_str()));
    WriteFileBytes(patchs, "not a folder");
    service_.Answer("getversion", Announcement("1.0.0.1"));
    LudoraProcess running(L"", program_);
    ASSERT_NE(running.WaitForWindow(MainFrame::kWindowClassName), nullptr);
    ASSERT_TRUE(WaitUntil([&] { return service_.CountRequests("type=news") >= 1; }, 15000));
    // The automatic check would ask two seconds after the first paint: the player is told instead.
    EXPECT_NE(WaitForShownWindow(running.Id(), CMyMessageBox::kWindowClassName), nullptr);
    Sleep(1000);
    EXPECT_EQ(VisibleWindows(running.Id(), CMyMessageBox::kWindowClassName).size(), 1u) << "said once";
    EXPECT_EQ(service_.CountRequests("act=getversion"), 0);
}

// The worker threads own what they use: ending the program while the automatic check waits for
// the service and news replies stream to the window ends it cleanly.
TEST_F(UpdateE2ETest, QuittingWhileAnUpdateRequestWaitsAndNewsRepliesArriveEndsCleanly) {
    WriteSettings("1");
    ServiceAnswer slow;
    slow.delaySeconds = 20;
    service_.Answer("getversion", Announcement("1.0.0.1"), slow);
    // A second's delay: the news fetch hands a reply over, asks again a second later and hands over
    // the next.
    service_.Answer("getPop-news", "#success#http://127.0.0.1:18360/news.html#1#5#300#200#");
    LudoraProcess running(L"", program_);
    HWND window = running.WaitForWindow(MainFrame::kWindowClassName);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(WaitForVersionChecks(1));
    ASSERT_TRUE(WaitUntil([&] { return service_.CountRequests("type=news") >= 4; }, 15000));
    PostMessageW(window, WM_CLOSE, 1, 0);
    EXPECT_EQ(running.WaitForExit(20000), 0u);
}

// Whatever the service announces, only a package that the program's own publisher signed, unchanged
// since and of the announced version, is installed; a program without a valid signature of its own
// installs nothing. The program goes on running as it was, its file unchanged.
TEST_F(UpdateE2ETest, APackageThatIsNotOursAsSignedAndAnnouncedIsNeverInstalled) {
    struct Refusal {
        const wchar_t* package;
        const char* announced;
        bool unsignedProgram;
    };
    for (const Refusal& refusal : {Refusal{L"other-signer.exe", "1.0.0.1", false},
                                   Refusal{L"unsigned.exe", "1.0.0.1", false},
                                   Refusal{L"changed-after-signing.exe", "1.0.0.1", false},
                                   Refusal{L"signed.exe", "1.0.0.2", false},
                                   Refusal{L"signed.exe", "1.0.0.1", true}}) {
        const std::string what = std::string(refusal.package, refusal.package + wcslen(refusal.package)) + " as " +
                                 refusal.announced + (refusal.unsignedProgram ? " to an unsigned program" : "");
        const std::string package = UpdatePackageBytes(refusal.package);
        const std::string program = refusal.unsignedProgram ? UpdatePackageBytes(L"unsigned.exe") : originalBytes_;
        WriteSettings("0");
        WriteFileBytes(program_, program);
        WriteFileBytes(Package(), package);
        service_.Reset();
        service_.Answer("/files/Ludora.pak", package, Raw());
        service_.Answer("getversion", Announcement(refusal.announced));
        // The start-time check runs before the window is made: a hand-off would end the program first.
        LudoraProcess running(L"", program_);
        EXPECT_NE(running.WaitForWindow(MainFrame::kWindowClassName), nullptr) << what;
        EXPECT_EQ(running.WaitForExit(0), static_cast<DWORD>(STILL_ACTIVE)) << what;
        EXPECT_TRUE(ReadFileBytes(program_) == program) << what;
        EXPECT_FALSE(FileExists(UpdaterCopy())) << what;
    }
}
