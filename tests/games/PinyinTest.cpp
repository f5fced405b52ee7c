#include "games/Pinyin.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Joined(const PinyinReadings& readings) {
    std::string joined;
    for (std::size_t i = 0; i < readings.size(); ++i) {
        if (i) joined += ',';
        joined += readings[i];
    }
    return joined;
}

bool IsToneless(std::string_view spelling) {
    if (spelling.empty() || spelling.size() > 6) return false;
    for (char letter : spelling) {
        if (letter < 'a' || letter > 'z') return false;
    }
    return true;
}

}  // namespace

TEST(Pinyin, ReadingsAreTonelessDistinctAndMostCommonFirst) {
    EXPECT_EQ(Joined(PinyinReadingsOf(U'重')), "zhong,chong,tong");
    EXPECT_TRUE(PinyinReadingsOf(U'重').contains("chong"));
    EXPECT_FALSE(PinyinReadingsOf(U'重').contains("zhon"));
    EXPECT_EQ(Joined(PinyinReadingsOf(U'龙')), "long");
    // ü is typed v; the tones of 啊 fold into one reading besides its e.
    EXPECT_EQ(Joined(PinyinReadingsOf(U'绿')), "lv,lu");
    EXPECT_EQ(Joined(PinyinReadingsOf(U'啊')), "a,e");
    // The extension blocks: A just before the unified block, B beyond the 16-bit range.
    EXPECT_EQ(Joined(PinyinReadingsOf(0x3400)), "qiu");
    EXPECT_EQ(Joined(PinyinReadingsOf(0x20000)), "he");
}

TEST(Pinyin, OnlyCharactersWithAReadingHaveOne) {
    // Letters, a gap between two characters (兙), the hexagram block between the extension and the
    // unified block, and the ends of the code space.
    for (char32_t character : {char32_t{0}, char32_t{U'A'}, char32_t{0x3006}, char32_t{0x5159}, char32_t{0x4DC0},
                               char32_t{0xFFFF}, char32_t{0x10FFFF}}) {
        EXPECT_TRUE(PinyinReadingsOf(character).empty()) << std::hex << character;
        EXPECT_EQ(PinyinReadingsOf(character).size(), 0u);
    }
}

TEST(Pinyin, TheUnifiedBlockHasTonelessReadings) {
    // The dictionary leaves out only a few signs read with two syllables (兙 is "shike").
    int withReading = 0;
    for (char32_t character = 0x4E00; character <= 0x9FA5; ++character) {
        const PinyinReadings readings = PinyinReadingsOf(character);
        if (!readings.empty()) ++withReading;
        for (std::size_t i = 0; i < readings.size(); ++i) {
            ASSERT_TRUE(IsToneless(readings[i])) << std::hex << character << " " << readings[i];
        }
    }
    EXPECT_GE(withReading, 0x9FA6 - 0x4E00 - 16);
}

TEST(Pinyin, CodePointsJoinSurrogatePairsOnly) {
    const std::wstring text = L"\xD840\xDC00" L"a\xD840" L"b\xDC00";
    EXPECT_EQ(CodePointAt(text, 0).value, 0x20000u);
    EXPECT_EQ(CodePointAt(text, 0).length, 2u);
    EXPECT_EQ(CodePointAt(text, 2).value, char32_t{U'a'});
    // A lone high surrogate, one at the end and a lone low one stand for themselves.
    EXPECT_EQ(CodePointAt(text, 3).value, 0xD840u);
    EXPECT_EQ(CodePointAt(text, 3).length, 1u);
    EXPECT_EQ(CodePointAt(text, 5).value, 0xDC00u);
    EXPECT_EQ(CodePointAt(std::wstring(L"\xD840"), 0).length, 1u);
}
