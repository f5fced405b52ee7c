#include "app/ApplyMode.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <deque>
#include <utility>
#include <vector>

#include "shared/ScopedHandle.h"
#include "tests/support/LudoraProcess.h"
#include "tests/support/TestFolder.h"

namespace {

using Start = std::pair<std::wstring, std::wstring>;  // program, flag

// Records the waits, the package check and the starts instead of sleeping and starting a program.
struct RecordingHooks {
    int sleeps = 0;
    int checks = 0;
    bool trusted = true;
    std::deque<bool> startResults;  // true once these run out
    std::vector<Start> starts;

    ApplyModeHooks Hooks() {
        return {[this](unsigned int ms) {
                    EXPECT_EQ(ms, 200u);
                    ++sleeps;
                },
                [this](HANDLE package) {
                    ++checks;
                    return package != nullptr && trusted;
                },
                [this](const std::wstring& program, const std::wstring& flag) {
                    starts.emplace_back(program, flag);
                    bool started = startResults.empty() || startResults.front();
                    if (!startResults.empty()) startResults.pop_front();
                    return started;
                }};
    }
};

std::wstring ShortPath(const std::wstring& path) {
    wchar_t spelled[MAX_PATH] = {};
    GetShortPathNameW(path.c_str(), spelled, MAX_PATH);
    return spelled;
}

bool SamePath(const std::wstring& a, const std::wstring& b) { return lstrcmpiW(a.c_str(), b.c_str()) == 0; }

// The installed program "Game Dir\Ludora.exe" and a downloaded package beside it.
class ApplyModeTest : public ::testing::Test {
protected:
    void SetUp() override {
        CreateDirectoryW(folder.File(L"Game Dir").c_str(), nullptr);
        installed = folder.File(L"Game Dir\\Ludora.exe");
        package = folder.File(L"Ludora.pak");
        WriteFileBytes(installed, kOldProgram);
        WriteFileBytes(package, kNewProgram);
    }

    // The old instance has ended: a handle that is signalled and, being no process, has no image.
    std::wstring EndedInstance() {
        ended.emplace_back(CreateEventW(nullptr, TRUE, TRUE, nullptr));
        return std::to_wstring(reinterpret_cast<uintptr_t>(ended.back().release()));
    }
    ApplyModeRequest Request(const std::wstring& program, const std::wstring& flag = L"1") {
        return {EndedInstance() + L" \"" + program + L"\" " + flag, package, installed};
    }
    int FilesLeftBeside() const {
        WIN32_FIND_DATAW found{};
        HANDLE search = FindFirstFileW(folder.File(L"Game Dir\\*.part").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) return 0;
        FindClose(search);
        return 1;
    }

    const std::string kOldProgram = "MZ old program";
    const std::string kNewProgram = "MZ new program";
    TestFolder folder;
    std::wstring installed, package;
    std::vector<ScopedHandle> ended;
    RecordingHooks recorder;
};

}  // namespace

// Only the installed program's own file is replaced, whatever else an order names or however it is
// written; a malformed order touches nothing and starts nothing.
TEST_F(ApplyModeTest, AnythingButTheInstalledProgramChangesNothing) {
    CreateDirectoryW(folder.File(L"Game Dir2").c_str(), nullptr);
    const std::wstring other = folder.File(L"Game Dir2\\Ludora.exe");
    WriteFileBytes(other, kOldProgram);
    const std::wstring junkHandle = L"2147483644";
    const std::vector<ApplyModeRequest> orders = {
        Request(other),
        Request(ShortPath(other)),
        Request(folder.File(L"Game Dir\\..\\Game Dir\\Ludora.exe")),
        Request(folder.File(L"Game Dir/Ludora.exe")),
        Request(installed + L"."),
        Request(L"\\\\?\\" + installed),
        Request(folder.File(L"Game Dir")),
        Request(L"Ludora.exe"),
        Request(installed, L"2"),
        Request(installed, L"01"),
        Request(installed, L"1 1"),
        Request(installed, L""),
        {EndedInstance() + L" " + installed + L" 1", package, installed},
        {junkHandle + L" \"" + installed + L"\" 1", package, installed},
        {L"abc \"" + installed + L"\" 1", package, installed},
        {L"4294967295 \"" + installed + L"\" 1", package, installed},
        {L"0 \"" + installed + L"\" 1", package, installed},
        {EndedInstance() + L" \"" + installed + L"\" 1", package, L""},
        {EndedInstance() + L" \"" + installed + L"\" 1", package, other},
    };
    for (const ApplyModeRequest& order : orders) {
        EXPECT_EQ(RunApplyMode(order, recorder.Hooks()), ApplyResult::BadArguments)
            << std::string(order.arguments.begin(), order.arguments.end());
    }
    EXPECT_EQ(ReadFileBytes(installed), kOldProgram);
    EXPECT_EQ(ReadFileBytes(other), kOldProgram);
    EXPECT_EQ(ReadFileBytes(package), kNewProgram);
    EXPECT_FALSE(FileExists(KeptProgramPath(installed)));
    EXPECT_EQ(recorder.checks, 0);
    EXPECT_TRUE(recorder.starts.empty());
    EXPECT_EQ(recorder.sleeps, 0);
}

// Another spelling of the installed program names the same file: it is replaced where it really is.
TEST_F(ApplyModeTest, ReplacesTheInstalledProgramKeepingTheOldOneAndStartsTheNew) {
    EXPECT_EQ(RunApplyMode(Request(ShortPath(installed)), recorder.Hooks()), ApplyResult::Restarted);
    EXPECT_EQ(ReadFileBytes(installed), kNewProgram);
    EXPECT_EQ(ReadFileBytes(KeptProgramPath(installed)), kOldProgram) << "kept until the new program has started";
    EXPECT_EQ(ReadFileBytes(package), kNewProgram) << "the package stays";
    EXPECT_EQ(recorder.checks, 1);
    ASSERT_EQ(recorder.starts.size(), 1u);
    EXPECT_TRUE(SamePath(recorder.starts[0].first, installed));
    EXPECT_EQ(recorder.starts[0].second, L"1");
    EXPECT_EQ(FilesLeftBeside(), 0);
}

// Without an uninstall entry, the program that handed over is the one replaced; the restart is a
// real CreateProcessW on its path.
TEST_F(ApplyModeTest, TheProgramThatHandedOverIsReplacedAndStartedAgain) {
    const std::string standIn = ReadFileBytes(TestHelperPath(L"app/record_start.exe"));
    ASSERT_FALSE(standIn.empty());
    WriteFileBytes(installed, standIn + std::string("\0OLD", 4));
    WriteFileBytes(package, standIn);
    LudoraProcess oldInstance(L"old", installed);
    ASSERT_TRUE(oldInstance.Started());
    HANDLE handle = nullptr;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), oldInstance.Handle(), GetCurrentProcess(), &handle,
                                SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, 0));
    ApplyModeHooks hooks = DefaultApplyModeHooks();
    hooks.packageTrusted = recorder.Hooks().packageTrusted;
    const std::wstring order = std::to_wstring(reinterpret_cast<uintptr_t>(handle)) + L" \"" + installed + L"\" 0";

    EXPECT_EQ(RunApplyMode({order, package, L""}, hooks), ApplyResult::Restarted);
    EXPECT_EQ(ReadFileBytes(installed), standIn);
    EXPECT_TRUE(WaitUntil([&] { return ReadFileBytes(installed + L".started") == "0"; }));
}

// The old program comes back when the new one cannot be put in place or started, and the package
// is removed so that the next start does not hand straight back to the same failure.
TEST_F(ApplyModeTest, WhenTheNewProgramCannotTakeOverTheOldOneComesBack) {
    recorder.startResults = {false, true};
    EXPECT_EQ(RunApplyMode(Request(installed), recorder.Hooks()), ApplyResult::RestartFailed);
    EXPECT_EQ(ReadFileBytes(installed), kOldProgram);
    EXPECT_FALSE(FileExists(KeptProgramPath(installed)));
    EXPECT_FALSE(FileExists(package));
    EXPECT_EQ(recorder.starts.size(), 2u);

    WriteFileBytes(package, kNewProgram);
    recorder.starts.clear();
    HANDLE lock = CreateFileW(installed.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    EXPECT_EQ(RunApplyMode(Request(installed), recorder.Hooks()), ApplyResult::TargetLocked);
    CloseHandle(lock);
    EXPECT_EQ(recorder.sleeps, 5);
    EXPECT_EQ(ReadFileBytes(installed), kOldProgram);
    EXPECT_FALSE(FileExists(package));
    EXPECT_EQ(recorder.starts.size(), 1u);
    EXPECT_EQ(FilesLeftBeside(), 0);
}

// A package the check refuses, or one that is gone, is never copied; the old program starts again.
// One that cannot even be opened, and so not removed, keeps the old program down instead.
TEST_F(ApplyModeTest, APackageThatIsNotTrustedIsNeverInstalled) {
    recorder.trusted = false;
    EXPECT_EQ(RunApplyMode(Request(installed), recorder.Hooks()), ApplyResult::UntrustedPackage);
    EXPECT_EQ(ReadFileBytes(installed), kOldProgram);
    EXPECT_FALSE(FileExists(package));
    EXPECT_EQ(recorder.starts.size(), 1u);

    EXPECT_EQ(RunApplyMode(Request(installed), recorder.Hooks()), ApplyResult::UntrustedPackage) << "no package";
    EXPECT_EQ(recorder.starts.size(), 2u);

    WriteFileBytes(package, kNewProgram);
    HANDLE lock = CreateFileW(package.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    EXPECT_EQ(RunApplyMode(Request(installed), recorder.Hooks()), ApplyResult::UntrustedPackage);
    CloseHandle(lock);
    EXPECT_EQ(recorder.starts.size(), 2u);
    EXPECT_EQ(ReadFileBytes(installed), kOldProgram);
    EXPECT_EQ(ReadFileBytes(package), kNewProgram);
    EXPECT_FALSE(FileExists(KeptProgramPath(installed)));
}
