#include "shared/TextConvert.h"

#include <windows.h>

#include <gtest/gtest.h>

TEST(TextConvert, TheBenchRunsWithTheChineseCodePage) { EXPECT_EQ(GetACP(), 936u); }

TEST(TextConvert, Utf8ToWideKeepsCodePage936TextAndEmptyInput) {
    EXPECT_EQ(Utf8ToWide(u8"我的游戏 Game"), L"我的游戏 Game");
    EXPECT_EQ(Utf8ToWide(""), L"");
    EXPECT_EQ(Utf8ToWide(nullptr), L"");
}

TEST(TextConvert, Utf8ToWideReplacesCharactersOutsideTheCodePage) {
    // Thai and Arabic letters have no place in code page 936.
    std::wstring text = Utf8ToWide(u8"caf\u0639\u0e01");
    ASSERT_EQ(text.size(), 5u);
    EXPECT_EQ(text.substr(0, 3), L"caf");
    EXPECT_NE(text[3], L'\u0639');
    EXPECT_NE(text[4], L'\u0e01');
}

TEST(TextConvert, WideToUtf8CountsTheTerminator) {
    char buffer[256];
    EXPECT_EQ(WideToUtf8(L"AB中", buffer, sizeof(buffer)), 6u);
    EXPECT_STREQ(buffer, u8"AB中");
    EXPECT_EQ(WideToUtf8(L"", buffer, sizeof(buffer)), 1u);
    EXPECT_STREQ(buffer, "");
}

TEST(TextConvert, WideToUtf8CutsAtACharacterBoundaryAndNeverOverruns) {
    // 100 three-byte characters (300 bytes) into 256 bytes: 85 whole characters fit.
    std::wstring text(100, L'中');
    char buffer[260];
    memset(buffer, 'X', sizeof(buffer));
    uint32_t written = WideToUtf8(text, buffer, 256);
    EXPECT_EQ(written, 85u * 3 + 1);
    EXPECT_EQ(buffer[85 * 3], '\0');
    for (int i = 256; i < 260; ++i) EXPECT_EQ(buffer[i], 'X');
    EXPECT_EQ(Utf8ToWideExact(std::string(buffer)), std::wstring(85, L'中'));

    char tiny[1];
    EXPECT_EQ(WideToUtf8(L"abc", tiny, 1), 1u);
    EXPECT_EQ(tiny[0], '\0');
    EXPECT_EQ(WideToUtf8(L"abc", tiny, 0), 0u);
}
