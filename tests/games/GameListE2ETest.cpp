// What the real program leaves in the data folder for the game list.
#include <gtest/gtest.h>

#include "app/MainFrame.h"
#include "tests/support/LudoraProcess.h"
#include "tests/support/TestFolder.h"

namespace {

std::wstring UserGameFile() { return ProgramDataFolder() + L"\\UserGame.xml"; }

TEST(GameListE2E, FirstStartCreatesAnEmptyUserGameFile) {
    ClearProgramData();
    LudoraProcess program(L"AUTORUN");
    ASSERT_NE(program.WaitForWindow(MainFrame::kWindowClassName), nullptr);
    const std::string bytes = ReadFileBytes(UserGameFile());
    EXPECT_NE(bytes.find("<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"yes\" ?>"), std::string::npos);
    EXPECT_NE(bytes.find("<UserGame />"), std::string::npos) << bytes;
}

TEST(GameListE2E, StartLeavesAnUnreadableFileAsItIs) {
    ClearProgramData();
    CreateDirectoryW(ProgramDataFolder().c_str(), nullptr);
    const std::string broken = "<UserGame><Game name=\"Mine\" path=\"C:\\mine.exe\"";
    WriteFileBytes(UserGameFile(), broken);
    LudoraProcess program(L"AUTORUN");
    ASSERT_NE(program.WaitForWindow(MainFrame::kWindowClassName), nullptr);
    EXPECT_EQ(ReadFileBytes(UserGameFile()), broken);
    program.Terminate();
    ClearProgramData();
}

}  // namespace
