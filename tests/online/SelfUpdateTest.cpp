#include "online/SelfUpdate.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include <vector>

#include "online/FileMd5.h"
#include "online/UpdateHost.h"
#include "shared/ScopedHandle.h"
#include "tests/support/LocalService.h"
#include "tests/support/LudoraProcess.h"
#include "tests/support/TestFolder.h"

// This test program is signed as the build signs Ludora.exe: it trusts the packages the program
// trusts.

namespace {

struct ShownMessage {
    std::wstring text, secondText, caption;
    int icon;
    bool operator==(const ShownMessage& other) const {
        return text == other.text && secondText == other.secondText && caption == other.caption && icon == other.icon;
    }
};

// Stands in for the main window: remembers the label texts and the message boxes.
class RecordingHost : public IUpdateHost {
public:
    void SetVersionLabel(const std::wstring& text) override { labels.push_back(text); }
    void ShowUpdateMessage(const std::wstring& text, const std::wstring& secondText, const std::wstring& caption,
                           int icon) override {
        messages.push_back({text, secondText, caption, icon});
    }
    std::vector<std::wstring> labels;
    std::vector<ShownMessage> messages;
};

const wchar_t kPackageDigest[] = L"c0d3b0c3f36bb6a0d8a1f9b6dce4b1b2";  // not the package's digest

// An update package the build made: "signed.exe" is the next version signed by our publisher.
std::string UpdatePackageBytes(const wchar_t* name) {
    return ReadFileBytes(HostPathToWindows(UPDATE_PACKAGES) + L"\\" + name);
}

UpdateOffer Offer(const std::wstring& version, const std::wstring& digest) {
    UpdateOffer offer;
    offer.answer = UpdateAnswer::UpdateAvailable;
    offer.version = version;
    offer.digest = digest;
    return offer;
}

class SelfUpdateTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { service_ = new LocalService(); }
    static void TearDownTestSuite() {
        delete service_;
        service_ = nullptr;
    }

    void SetUp() override {
        ASSERT_TRUE(service_->Running());
        service_->Reset();
        CreateDirectoryW(folder_.File(L"Patchs").c_str(), nullptr);
        environment_.serviceHost = service_->Host();
        environment_.dataFolder = folder_.Path();
        environment_.busy = busyFlag_;
        environment_.host = hostObject_;
        environment_.autoDownload = [this] { return autoDownload_; };
        environment_.handOff = [this](HANDLE package) {
            ++handOffs_;
            handedOverDigest_ = FileMd5Hex(package);
            return handOffStarts_;
        };
        ServiceAnswer raw;
        raw.raw = true;
        service_->Answer("/files/Ludora.pak", packageBytes_, raw);
    }

    // The service announces `version` with the served package's digest (or `digest`).
    void Announce(const std::string& version, const std::string& digest = "{md5:/files/Ludora.pak}") {
        service_->Answer("getversion", "#success#" + version + "#" + digest + "#http://{host}/files/Ludora.pak#");
    }
    std::wstring Package() const { return PackagePath(folder_.Path()); }
    int Downloads() { return service_->CountRequests("/files/Ludora.pak"); }

    static LocalService* service_;
    TestFolder folder_;
    std::shared_ptr<std::atomic<bool>> busyFlag_ = std::make_shared<std::atomic<bool>>(false);
    std::atomic<bool>& busy_ = *busyFlag_;
    std::shared_ptr<RecordingHost> hostObject_ = std::make_shared<RecordingHost>();
    RecordingHost& host_ = *hostObject_;
    bool autoDownload_ = true;
    int handOffs_ = 0;
    bool handOffStarts_ = true;
    std::wstring handedOverDigest_;
    UpdateEnvironment environment_;
    const std::string packageBytes_ = UpdatePackageBytes(L"signed.exe");
};

LocalService* SelfUpdateTest::service_ = nullptr;

}  // namespace

TEST_F(SelfUpdateTest, AnyOtherVersionThanOursIsAnUpdate) {
    Announce("1.0.0.0");
    EXPECT_EQ(AskForUpdate(service_->Host()).answer, UpdateAnswer::UpToDate);
    Announce("0.9.0.0");
    UpdateOffer older = AskForUpdate(service_->Host());
    EXPECT_EQ(older.answer, UpdateAnswer::UpdateAvailable);
    EXPECT_EQ(older.version, L"0.9.0.0");
    EXPECT_EQ(older.url, service_->Url("/files/Ludora.pak"));
    Announce("");
    EXPECT_EQ(AskForUpdate(service_->Host()).answer, UpdateAnswer::UpdateAvailable);
    service_->Answer("getversion", "#Success#1.0.0.1#d#u#");
    EXPECT_EQ(AskForUpdate(service_->Host()).answer, UpdateAnswer::NoAnswer);
    EXPECT_EQ(AskForUpdate(L"127.0.0.1:" + std::to_wstring(FreeLocalPort())).answer, UpdateAnswer::NoAnswer);
}

TEST_F(SelfUpdateTest, APackageIsReadyOnlyWithExactlyTheAnnouncedDigestAndVersionAndOurSignature) {
    WriteFileBytes(Package(), packageBytes_);
    std::wstring digest = FileMd5Hex(Package());
    EXPECT_TRUE(OpenReadyPackage(Package(), Offer(L"1.0.0.1", digest)));
    std::wstring upper = digest;
    for (wchar_t& c : upper) c = static_cast<wchar_t>(towupper(c));
    EXPECT_TRUE(OpenReadyPackage(Package(), Offer(L"1.0.0.1", upper))) << "the same digest in capitals";
    EXPECT_FALSE(OpenReadyPackage(Package(), Offer(L"1.0.0.1", kPackageDigest)));
    EXPECT_FALSE(OpenReadyPackage(Package(), Offer(L"1.0.0.2", digest)));
    EXPECT_FALSE(OpenReadyPackage(Package(), Offer(L"", digest))) << "an announcement without a version";
    EXPECT_FALSE(OpenReadyPackage(folder_.File(L"missing.pak"), Offer(L"1.0.0.1", L"d41d8cd98f00b204e9800998ecf8427e")));

    // Until it is handed over, nobody changes, replaces or removes the package that was checked.
    {
        ScopedHandle ready = OpenReadyPackage(Package(), Offer(L"1.0.0.1", digest));
        ASSERT_TRUE(ready);
        EXPECT_FALSE(AdoptFileHandle(CreateFileW(Package().c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)));
        WriteFileBytes(folder_.File(L"other.pak"), "MZ another program");
        EXPECT_FALSE(MoveFileExW(folder_.File(L"other.pak").c_str(), Package().c_str(), MOVEFILE_REPLACE_EXISTING));
        EXPECT_FALSE(DeleteFileW(Package().c_str()));
    }

    // Whatever the digest, only a program signed by our publisher is installed.
    for (const wchar_t* refused : {L"other-signer.exe", L"unsigned.exe", L"changed-after-signing.exe"}) {
        WriteFileBytes(Package(), UpdatePackageBytes(refused));
        EXPECT_FALSE(OpenReadyPackage(Package(), Offer(L"1.0.0.1", FileMd5Hex(Package()))))
            << std::string(refused, refused + wcslen(refused));
    }
    WriteFileBytes(Package(), "");
    EXPECT_FALSE(OpenReadyPackage(Package(), Offer(L"1.0.0.1", L"d41d8cd98f00b204e9800998ecf8427e")));
    WriteFileBytes(Package(), "<html>error</html>");
    EXPECT_FALSE(OpenReadyPackage(Package(), Offer(L"1.0.0.1", FileMd5Hex(Package()))));
}

TEST_F(SelfUpdateTest, TheStartupCheckHandsOffOnlyToAReadyPackageAndNeverDownloads) {
    Announce("1.0.0.1");
    EXPECT_FALSE(RunStartupUpdateCheck(environment_));
    EXPECT_EQ(service_->CountRequests("act=getversion"), 0) << "without a package nothing is asked";
    WriteFileBytes(Package(), "an older download");
    EXPECT_FALSE(RunStartupUpdateCheck(environment_));
    EXPECT_EQ(handOffs_, 0);
    EXPECT_EQ(Downloads(), 0);

    WriteFileBytes(Package(), packageBytes_);
    EXPECT_TRUE(RunStartupUpdateCheck(environment_));
    EXPECT_EQ(handOffs_, 1);

    Announce("1.0.0.0");
    EXPECT_FALSE(RunStartupUpdateCheck(environment_));
    EXPECT_EQ(handOffs_, 1);

    // A service that never answers holds the start for a few seconds at most.
    ServiceAnswer stalled;
    stalled.hang = true;
    service_->Answer("getversion", "", stalled);
    const DWORD asked = GetTickCount();
    EXPECT_FALSE(RunStartupUpdateCheck(environment_));
    EXPECT_LT(GetTickCount() - asked, 15000u);
    EXPECT_EQ(handOffs_, 1);

    // Nor does one that trickles its answer: the whole request is bounded, not only each read.
    ServiceAnswer trickling;
    trickling.pieces = 40;
    trickling.pauseSeconds = 0.5;
    service_->Answer("getversion", "#success#1.0.0.1#{md5:/files/Ludora.pak}#http://{host}/files/Ludora.pak#" +
                                       std::string(400, ' '), trickling);
    const DWORD trickled = GetTickCount();
    EXPECT_FALSE(RunStartupUpdateCheck(environment_));
    EXPECT_LT(GetTickCount() - trickled, 8000u);
    EXPECT_EQ(handOffs_, 1);
}

TEST_F(SelfUpdateTest, TheAutomaticCheckDownloadsForTheNextStart) {
    Announce("1.0.0.1");
    RunAutoUpdate(environment_);
    EXPECT_EQ(ReadFileBytes(Package()), packageBytes_);
    ASSERT_GE(host_.labels.size(), 3u);
    EXPECT_EQ(host_.labels.front(), L"正在下载更新...");
    EXPECT_EQ(host_.labels[host_.labels.size() - 2], L"正在下载更新 100%");
    EXPECT_EQ(host_.labels.back(), L"版本: 1.0.0.0");
    EXPECT_EQ(handOffs_, 0);
    EXPECT_TRUE(host_.messages.empty());
    EXPECT_FALSE(busy_);

    // Once it is there it waits for the next start.
    RunAutoUpdate(environment_);
    EXPECT_EQ(Downloads(), 1);
    EXPECT_EQ(handOffs_, 0);
}

TEST_F(SelfUpdateTest, TheAutomaticCheckDownloadsNothingWhenNotAllowedOrUpToDate) {
    autoDownload_ = false;
    Announce("1.0.0.1");
    RunAutoUpdate(environment_);
    autoDownload_ = true;
    Announce("1.0.0.0");
    RunAutoUpdate(environment_);
    EXPECT_EQ(Downloads(), 0);
    EXPECT_FALSE(FileExists(Package()));
    EXPECT_EQ(host_.labels, (std::vector<std::wstring>{L"版本: 1.0.0.0", L"版本: 1.0.0.0"}));
}

TEST_F(SelfUpdateTest, TheAutomaticCheckKeepsTheFlagUpWhileItRuns) {
    environment_.autoDownload = [this] {
        EXPECT_TRUE(busy_);
        return false;
    };
    Announce("1.0.0.1");
    RunAutoUpdate(environment_);
    EXPECT_FALSE(busy_);
}

TEST_F(SelfUpdateTest, TheUsersCheckSaysWhenTheVersionIsTheNewest) {
    Announce("1.0.0.0");
    RunManualUpdate(environment_);
    EXPECT_EQ(host_.messages, (std::vector<ShownMessage>{{L"你的版本已经是最新.", L"", L"提示", 0}}));
    EXPECT_EQ(host_.labels, (std::vector<std::wstring>{L"版本: 1.0.0.0"}));
    EXPECT_FALSE(busy_);
}

TEST_F(SelfUpdateTest, TheUsersCheckDownloadsAndInstallsAtOnce) {
    autoDownload_ = false;  // UpdateType does not hold back the user's own check
    Announce("1.0.0.1");
    WriteFileBytes(Package(), "an older download");
    RunManualUpdate(environment_);
    EXPECT_EQ(Downloads(), 1);
    EXPECT_EQ(ReadFileBytes(Package()), packageBytes_);
    EXPECT_EQ(handOffs_, 1);
    EXPECT_EQ(handedOverDigest_, FileMd5Hex(Package())) << "the checked package is handed over open";
    EXPECT_TRUE(host_.messages.empty());
}

// A package that comes slowly: the label climbs through the percentages before the hand-off.
TEST_F(SelfUpdateTest, TheLabelFollowsASlowDownloadUpToTheHandOff) {
    ServiceAnswer slowly;
    slowly.raw = true;
    slowly.pieces = 8;
    slowly.pauseSeconds = 0.3;
    service_->Answer("/files/Ludora.pak", packageBytes_, slowly);
    Announce("1.0.0.1");
    std::vector<std::wstring> labelsAtHandOff;
    environment_.handOff = [&](HANDLE) {
        labelsAtHandOff = host_.labels;
        return true;
    };
    RunManualUpdate(environment_);
    ASSERT_GE(labelsAtHandOff.size(), 3u);
    EXPECT_EQ(labelsAtHandOff.back(), L"正在下载更新 100%");
    std::vector<int> percents;
    for (const std::wstring& label : labelsAtHandOff) percents.push_back(std::stoi(label.substr(label.find(L' ') + 1)));
    EXPECT_LE(percents.front(), 50);
    EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()) &&
                std::adjacent_find(percents.begin(), percents.end()) == percents.end())
        << "the label only climbs";
}

TEST(DownloadProgressText, PercentOfTheAnnouncedLengthOrKilobytes) {
    EXPECT_EQ(DownloadProgressText(370, 1000), L"正在下载更新 37%");
    EXPECT_EQ(DownloadProgressText(1200, 1000), L"正在下载更新 100%");
    EXPECT_EQ(DownloadProgressText(5 * 1024 + 1, -1), L"正在下载更新 5 KB");
}

TEST_F(SelfUpdateTest, TheUsersCheckReportsAPackageThatDoesNotMatch) {
    Announce("1.0.0.1", "00000000000000000000000000000000");
    RunManualUpdate(environment_);
    EXPECT_EQ(handOffs_, 0);
    EXPECT_EQ(host_.messages, (std::vector<ShownMessage>{{L"下载更新失败.", L"请稍后重试！", L"错误", 2}}));
    EXPECT_FALSE(busy_);

    // Nor is a package with the announced digest installed unless our publisher signed it, or an
    // error page taken for one.
    for (const wchar_t* refused : {L"other-signer.exe", L"unsigned.exe", L"changed-after-signing.exe"}) {
        ServiceAnswer raw;
        raw.raw = true;
        service_->Answer("/files/Ludora.pak", UpdatePackageBytes(refused), raw);
        Announce("1.0.0.1");
        RunManualUpdate(environment_);
    }
    ServiceAnswer missing;
    missing.status = 404;
    service_->Answer("/files/Ludora.pak", packageBytes_, missing);
    DeleteFileW(Package().c_str());
    Announce("1.0.0.1");
    RunManualUpdate(environment_);
    EXPECT_FALSE(FileExists(Package()));
    EXPECT_EQ(handOffs_, 0);
    EXPECT_EQ(host_.messages.size(), 5u);
}

TEST_F(SelfUpdateTest, AnUnreachablePackageLeavesTheOldDownloadInPlace) {
    WriteFileBytes(Package(), "an older download");
    service_->Answer("getversion", "#success#1.0.0.1#abc#http://127.0.0.1/" + std::string(300, 'p') + "#");
    RunManualUpdate(environment_);
    EXPECT_EQ(ReadFileBytes(Package()), "an older download");
    EXPECT_EQ(host_.messages.size(), 1u);
    EXPECT_EQ(handOffs_, 0);
}

// An updater copy that cannot be made or started must not end the program: the start goes on, and
// the user's check says that the update failed.
TEST_F(SelfUpdateTest, AHandOffThatCannotStartLeavesTheProgramRunning) {
    handOffStarts_ = false;
    Announce("1.0.0.1");
    WriteFileBytes(Package(), packageBytes_);
    EXPECT_FALSE(RunStartupUpdateCheck(environment_));
    RunManualUpdate(environment_);
    EXPECT_EQ(handOffs_, 2);
    EXPECT_EQ(host_.messages, (std::vector<ShownMessage>{{L"下载更新失败.", L"请稍后重试！", L"错误", 2}}));

    bool ended = false;
    EXPECT_FALSE(HandOffToUpdater(folder_.File(L"no such folder"), L"", [&] { ended = true; }));
    EXPECT_FALSE(ended);
}

// The updater copy is a new file of our own, whatever was planted under its name, and it inherits
// the one handle it needs, with the rights it needs, and none of the others this process holds as
// inheritable.
TEST_F(SelfUpdateTest, TheUpdaterCopyGetsOnlyTheOldInstancesHandle) {
    const std::wstring updater = UpdaterCopyPath(folder_.Path());
    const std::wstring victim = folder_.File(L"victim");
    WriteFileBytes(victim, "not to be written");
    ASSERT_TRUE(CreateHardLinkW(updater.c_str(), victim.c_str(), nullptr));
    SECURITY_ATTRIBUTES inheritable{sizeof(inheritable), nullptr, TRUE};
    ScopedHandle canary(CreateEventW(&inheritable, TRUE, FALSE, nullptr));
    SetEnvironmentVariableW(L"LUDORA_TEST_CANARY", std::to_wstring(reinterpret_cast<uintptr_t>(canary.get())).c_str());
    const std::wstring probe = TestHelperPath(L"online/handoff_probe.exe");

    bool ended = false;
    EXPECT_TRUE(HandOffProgramToUpdater(probe, folder_.Path(), L"", [&] { ended = true; }));
    SetEnvironmentVariableW(L"LUDORA_TEST_CANARY", nullptr);
    EXPECT_TRUE(ended);
    ASSERT_TRUE(WaitUntil([&] { return FileExists(updater + L".report"); }));
    EXPECT_EQ(ReadFileBytes(updater + L".report"), std::to_string(GetCurrentProcessId()));
    EXPECT_EQ(WaitForSingleObject(canary.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "another handle leaked";
    EXPECT_EQ(ReadFileBytes(updater), ReadFileBytes(probe));
    EXPECT_EQ(ReadFileBytes(victim), "not to be written");
}

TEST_F(SelfUpdateTest, TheAutomaticCheckLeavesARunningUsersCheckAlone) {
    busy_ = true;
    Announce("1.0.0.1");
    RunAutoUpdate(environment_);
    EXPECT_EQ(service_->CountRequests("getversion"), 0);
    EXPECT_TRUE(host_.labels.empty());
    EXPECT_TRUE(busy_) << "the user's check still runs";
}

TEST_F(SelfUpdateTest, TheUsersCheckStaysQuietWithoutAnAnswer) {
    service_->Answer("getversion", "#fail#");
    RunManualUpdate(environment_);
    EXPECT_TRUE(host_.messages.empty());
    EXPECT_EQ(host_.labels, (std::vector<std::wstring>{L"版本: 1.0.0.0"}));
}

TEST_F(SelfUpdateTest, AUserCheckDuringAnotherCheckOnlySaysSo) {
    busy_ = true;
    RunManualUpdate(environment_);
    EXPECT_EQ(host_.messages, (std::vector<ShownMessage>{{L"正在下载更新...", L"", L"", 0}}));
    EXPECT_EQ(service_->CountRequests("getversion"), 0);
    EXPECT_TRUE(busy_);
}

TEST(HandOffCommandLine, QuotesTheProgramPathAndCarriesTheRestartFlag) {
    EXPECT_EQ(HandOffCommandLine(L"C:\\ProgramData\\Ludora\\Patchs\\Ludora.tmp", 124, L"C:\\Games\\Ludora.exe", false),
              L"C:\\ProgramData\\Ludora\\Patchs\\Ludora.tmp 124 \"C:\\Games\\Ludora.exe\" 1");
    EXPECT_EQ(HandOffCommandLine(L"C:\\Data\\Ludora.tmp", 8, L"C:\\Program Files\\Ludora\\Ludora.exe", true),
              L"C:\\Data\\Ludora.tmp 8 \"C:\\Program Files\\Ludora\\Ludora.exe\" 0");
    // A folder with a space (the data folder on older systems) must not split the copy's path.
    EXPECT_EQ(HandOffCommandLine(L"C:\\Documents and Settings\\Ludora.tmp", 8, L"C:\\L.exe", false),
              L"\"C:\\Documents and Settings\\Ludora.tmp\" 8 \"C:\\L.exe\" 1");
}
