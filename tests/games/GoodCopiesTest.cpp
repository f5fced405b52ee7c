// The good copies of a data file in a temporary folder: how they rotate and which one is taken.
#include "games/GoodCopies.h"

#include <windows.h>
#include <gtest/gtest.h>

#include "tests/support/TestFolder.h"

namespace {

class GoodCopiesTest : public ::testing::Test {
protected:
    std::wstring FilePath() const { return folder_.File(L"Data.xml"); }
    std::wstring Copy(int age) const { return GoodCopies::CopyName(FilePath(), age); }

    TestFolder folder_;
};

TEST_F(GoodCopiesTest, EachKeptVersionBecomesTheNewestAndOnlyThreeStay) {
    EXPECT_EQ(Copy(2), FilePath() + L".good-2");
    const GoodCopies copies(FilePath());
    ASSERT_TRUE(copies.Keep("v1"));
    EXPECT_EQ(ReadFileBytes(Copy(1)), "v1");
    EXPECT_FALSE(FileExists(Copy(2)));
    for (const char* version : {"v2", "v3", "v4", "v5"}) ASSERT_TRUE(copies.Keep(version));
    EXPECT_EQ(ReadFileBytes(Copy(1)), "v5");
    EXPECT_EQ(ReadFileBytes(Copy(2)), "v4");
    EXPECT_EQ(ReadFileBytes(Copy(3)), "v3");
    EXPECT_FALSE(FileExists(Copy(4)));
    EXPECT_FALSE(FileExists(FilePath())) << "the file itself is the caller's";
}

TEST_F(GoodCopiesTest, TheNewestReadableCopyIsTakenAndUnreadableOnesAreSkipped) {
    const GoodCopies copies(FilePath());
    const auto readable = [](const std::string& bytes) { return bytes.rfind("good", 0) == 0; };
    EXPECT_FALSE(copies.NewestReadable(readable)) << "no copies at all";

    WriteFileBytes(Copy(3), "good old");
    WriteFileBytes(Copy(2), "good newer");
    WriteFileBytes(Copy(1), "cut");
    EXPECT_EQ(copies.NewestReadable(readable), std::optional<std::string>("good newer"));

    DeleteFileW(Copy(2).c_str());
    EXPECT_EQ(copies.NewestReadable(readable), std::optional<std::string>("good old")) << "a gap is skipped too";

    WriteFileBytes(Copy(3), "cut as well");
    EXPECT_FALSE(copies.NewestReadable(readable));
}

}  // namespace
