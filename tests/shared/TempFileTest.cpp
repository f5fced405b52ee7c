#include "shared/TempFile.h"

#include <gtest/gtest.h>

#include "tests/support/TestFolder.h"

namespace {

int FilesIn(const std::wstring& folder) {
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    int count = 0;
    if (search == INVALID_HANDLE_VALUE) return 0;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++count;
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return count;
}

}  // namespace

TEST(TempFile, ReplacesItsTargetWholeOrLeavesItAndNothingElseBehind) {
    TestFolder folder;
    const std::wstring target = folder.File(L"UserGame.xml");
    WriteFileBytes(target, "old");

    {
        std::optional<TempFile> dropped = TempFile::CreateBeside(target);
        ASSERT_TRUE(dropped);
        EXPECT_NE(dropped->Path(), target);
        EXPECT_TRUE(dropped->Write("half", 4));
        EXPECT_EQ(FilesIn(folder.Path()), 2);
    }
    EXPECT_EQ(ReadFileBytes(target), "old");
    EXPECT_EQ(FilesIn(folder.Path()), 1);

    std::optional<TempFile> first = TempFile::CreateBeside(target);
    std::optional<TempFile> second = TempFile::CreateBeside(target);
    ASSERT_TRUE(first && second);
    EXPECT_NE(first->Path(), second->Path()) << "two writers of one file never share a name";
    EXPECT_TRUE(first->Write("new", 3));
    EXPECT_TRUE(first->ReplaceTarget());
    EXPECT_EQ(ReadFileBytes(target), "new");
    second.reset();
    EXPECT_EQ(FilesIn(folder.Path()), 1);

    EXPECT_FALSE(TempFile::CreateBeside(folder.File(L"no such folder\\config.xml")));
}
