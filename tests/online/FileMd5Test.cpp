#include "online/FileMd5.h"

#include <gtest/gtest.h>

#include "tests/support/TestFolder.h"

TEST(FileMd5Hex, MatchesTheRfc1321TestSuite) {
    const std::pair<std::string, std::wstring> suite[] = {
        {"", L"d41d8cd98f00b204e9800998ecf8427e"},
        {"a", L"0cc175b9c0f1b6a831c399e269772661"},
        {"abc", L"900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", L"f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", L"c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", L"d174ab98d277d9f5a5611c2c9f419d9f"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         L"57edf4a22be3c955ac49da2e2107b67a"},
    };
    TestFolder folder;
    for (const auto& [text, digest] : suite) {
        WriteFileBytes(folder.File(L"input.bin"), text);
        EXPECT_EQ(FileMd5Hex(folder.File(L"input.bin")), digest) << text;
    }
}

TEST(FileMd5Hex, ReadsFilesLongerThanOneChunk) {
    std::string bytes;
    for (int i = 0; i < 3000; ++i) bytes += static_cast<char>(i % 251);
    TestFolder folder;
    WriteFileBytes(folder.File(L"package.bin"), bytes);
    EXPECT_EQ(FileMd5Hex(folder.File(L"package.bin")), L"a216503cb86d01a23e71e047d4ccf001");
}

TEST(FileMd5Hex, AMissingFileGivesTheDigestOfNothing) {
    TestFolder folder;
    EXPECT_EQ(FileMd5Hex(folder.File(L"missing.pak")), L"d41d8cd98f00b204e9800998ecf8427e");
}
