#include "games/GameSearch.h"

#include <gtest/gtest.h>

TEST(GameSearch, NamesMatchByTextWithoutCaseOrByPinyinInitials) {
    EXPECT_TRUE(GameNameMatches(L"Solitaire", L"SOL"));
    EXPECT_TRUE(GameNameMatches(L"星际远航", L"际远"));
    EXPECT_TRUE(GameNameMatches(L"星际远航", L"XJYH"));
    EXPECT_TRUE(GameNameMatches(L"星际远航", L" jy "));
    EXPECT_TRUE(GameNameMatches(L"龙之谷2", L"lzg2"));
    EXPECT_TRUE(GameNameMatches(L"赛车狂飙", L""));
    EXPECT_FALSE(GameNameMatches(L"星际远航", L"xjh"));
    EXPECT_FALSE(GameNameMatches(L"Solitaire", L"chess"));
}

TEST(GameSearch, InitialsCoverTheEdgesOfTheCommonCharacters) {
    // The first and last common characters, a letter's first character, and a rare one left as it is.
    EXPECT_EQ(PinyinInitials(L"啊座匝击"), L"azzj");
    EXPECT_EQ(PinyinInitials(L"赛车 A1"), L"sc a1");
    EXPECT_EQ(PinyinInitials(L"亍"), L"亍");
}
