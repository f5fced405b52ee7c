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

TEST(GameSearch, SortKeysCoverEveryCharacterWithAReading) {
    // The first and last common characters, a letter's first character, a rare one, one beyond the
    // 16-bit range (a surrogate pair gives one reading), and signs without a reading left as they are.
    EXPECT_EQ(PinyinSortKey(L"啊座匝击"), L"a zuo za ji ");
    EXPECT_EQ(PinyinSortKey(L"赛车 A1"), L"sai che a1");
    EXPECT_EQ(PinyinSortKey(L"亍"), L"chu ");
    EXPECT_EQ(PinyinSortKey(L"\xD840\xDC00" L"龙"), L"he long ");
    EXPECT_EQ(PinyinSortKey(L"龙·\xD840"), L"long ·\xD840");
    EXPECT_TRUE(GameNameMatches(L"\xD840\xDC00" L"之谷", L"hzg"));
}

TEST(GameSearch, NamesMatchByFullPinyinEveryReadingAndMixes) {
    for (const wchar_t* query : {L"longzhigu", L"long zhi gu", L"lzgu", L"longzg", L"zhigu", L"龙zhig", L"lzg2",
                                 L"longzhigu2", L"LongZhiGu"}) {
        EXPECT_TRUE(GameNameMatches(L"龙之谷2", query)) << query;
    }
    for (const wchar_t* query : {L"chongqing", L"zhongqing", L"cq", L"zq", L"zhongqin", L"tongq"}) {
        EXPECT_TRUE(GameNameMatches(L"重庆", query)) << query;
    }
    // ü is typed v or u.
    EXPECT_TRUE(GameNameMatches(L"女神", L"nvshen"));
    EXPECT_TRUE(GameNameMatches(L"女神", L"nushen"));
    // Blanks of the name are skipped, and a character beyond the 16-bit range spells like any other.
    EXPECT_TRUE(GameNameMatches(L"赛车 A1", L"saichea1"));
    EXPECT_TRUE(GameNameMatches(L"\xD840\xDC00" L"之谷", L"hezhigu"));
}

TEST(GameSearch, PinyinSpellingsThatDoNotMatch) {
    // A letter too many, a spelling from inside a reading, a skipped character, the wrong order, a
    // reading the character does not have, and a spelling running past the name's end.
    for (const wchar_t* query : {L"longzhigux", L"ongzhi", L"longgu", L"zhilong", L"longzhuang", L"gu2x"}) {
        EXPECT_FALSE(GameNameMatches(L"龙之谷2", query)) << query;
    }
    EXPECT_FALSE(GameNameMatches(L"重庆", L"zhangqing"));
    EXPECT_FALSE(GameNameMatches(L"星际远航", L"xingjih"));
    // The longest spelling looked for in pinyin, and one letter more, which is looked for as text only.
    std::wstring dragons, spelled;
    for (int i = 0; i < 16; ++i) dragons += L"龙", spelled += L"long";
    EXPECT_TRUE(GameNameMatches(dragons, spelled.substr(0, SearchableName::kLongestSpelling)));
    EXPECT_FALSE(GameNameMatches(dragons, spelled));
}
