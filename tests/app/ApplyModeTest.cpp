#include "app/ApplyMode.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "tests/support/TestFolder.h"

namespace {

// Records the waits and the restart instead of sleeping and starting a program.
struct RecordingHooks {
    int sleeps = 0;
    std::vector<std::string> commands;
    ApplyModeHooks Hooks() {
        return {[this](unsigned int ms) { EXPECT_EQ(ms, 200u); ++sleeps; },
                [this](const std::string& command) { commands.push_back(command); }};
    }
};

class ApplyModeTest : public ::testing::Test {
protected:
    void SetUp() override {
        target = folder.File(L"Game Dir Ludora.exe");
        package = folder.File(L"Ludora.pak");
        WriteFileBytes(target, "old program");
        WriteFileBytes(package, "new program");
    }
    ApplyModeRequest Request() const { return {L"0 \"" + target + L"\" 1", package}; }

    TestFolder folder;
    std::wstring target, package;
    RecordingHooks recorder;
};

}  // namespace

TEST_F(ApplyModeTest, ReplacesTheTargetAndRunsTheRestartCommand) {
    EXPECT_EQ(RunApplyMode(Request(), recorder.Hooks()), ApplyResult::Restarted);
    EXPECT_EQ(ReadFileBytes(target), "new program");
    EXPECT_EQ(ReadFileBytes(package), "new program") << "the package stays";
    ASSERT_EQ(recorder.commands.size(), 1u);
    EXPECT_EQ(recorder.commands[0], "\"" + std::string(target.begin(), target.end()) + "\" 1");
    EXPECT_FALSE(FileExists(target + L".old"));
}

// A failed replace restarts the old program and drops the package, so that the next start does not
// hand straight back to a replace that fails again.
TEST_F(ApplyModeTest, ALockedTargetIsTriedSixTimesThenTheOldProgramComesBack) {
    HANDLE lock = CreateFileW(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    EXPECT_EQ(RunApplyMode(Request(), recorder.Hooks()), ApplyResult::TargetLocked);
    CloseHandle(lock);
    EXPECT_EQ(recorder.sleeps, 5);
    EXPECT_EQ(recorder.commands.size(), 1u);
    EXPECT_EQ(ReadFileBytes(target), "old program");
    EXPECT_FALSE(FileExists(package));
}

TEST_F(ApplyModeTest, APackageThatCannotBeCopiedLeavesTheOldProgramRunning) {
    DeleteFileW(package.c_str());
    EXPECT_EQ(RunApplyMode(Request(), recorder.Hooks()), ApplyResult::CopyFailed);
    EXPECT_EQ(recorder.sleeps, 1 + 5);
    EXPECT_EQ(recorder.commands.size(), 1u);
    EXPECT_EQ(ReadFileBytes(target), "old program");
    EXPECT_FALSE(FileExists(target + L".old"));
}

TEST_F(ApplyModeTest, APackageThatCannotBeRemovedDoesNotRestartIntoTheSameFailure) {
    HANDLE targetLock = CreateFileW(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    HANDLE packageLock = CreateFileW(package.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(RunApplyMode(Request(), recorder.Hooks()), ApplyResult::TargetLocked);
    CloseHandle(targetLock);
    CloseHandle(packageLock);
    EXPECT_TRUE(recorder.commands.empty());
    EXPECT_EQ(ReadFileBytes(package), "new program");
}

TEST(ApplyModeCommand, TargetIsTheTextBetweenTheQuotes) {
    EXPECT_EQ(TargetFromRestartCommand(L"\"C:\\Games\\Ludora.exe\" 1"), L"C:\\Games\\Ludora.exe");
    EXPECT_EQ(TargetFromRestartCommand(L"ab"), L"");
    EXPECT_EQ(TargetFromRestartCommand(L""), L"");
}

TEST(ApplyModeCommand, MalformedArgumentsChangeNothing) {
    RecordingHooks recorder;
    // A handle number without a command: one that no handle of this process can have, since the
    // old program's handle is waited for without end.
    for (const wchar_t* arguments : {L"", L"abc", L"1000000000", L"0 x", L"0 \"\" 1"}) {
        EXPECT_NE(RunApplyMode({arguments, L"C:\\nowhere\\Ludora.pak"}, recorder.Hooks()), ApplyResult::Restarted)
            << std::string(arguments, arguments + wcslen(arguments));
    }
    EXPECT_TRUE(recorder.commands.empty());
}
