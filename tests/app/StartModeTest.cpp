#include "app/StartMode.h"

#include <gtest/gtest.h>

TEST(StartMode, CommandLineForms) {
    EXPECT_EQ(ClassifyStart(1, L""), StartMode::Shown);
    EXPECT_EQ(ClassifyStart(2, L"AUTORUN"), StartMode::Hidden);
    EXPECT_EQ(ClassifyStart(2, L"0"), StartMode::Hidden);
    EXPECT_EQ(ClassifyStart(2, L"1"), StartMode::Shown);
    EXPECT_EQ(ClassifyStart(2, L"autorun"), StartMode::Shown) << "the comparison is case-sensitive";
    EXPECT_EQ(ClassifyStart(2, L"AUTORUN "), StartMode::Shown) << "the whole text is compared";
    EXPECT_EQ(ClassifyStart(3, L"AUTORUN x"), StartMode::Shown);
    EXPECT_EQ(ClassifyStart(4, L"1234 \"C:\\Games\\Ludora.exe\" 1"), StartMode::Apply);
    EXPECT_EQ(ClassifyStart(5, L"1 2 3 4"), StartMode::Shown);
}

// Apply mode reads its order from the wide command line, split where the C runtime splits it.
TEST(StartMode, ArgumentsFollowTheProgramName) {
    EXPECT_EQ(ArgumentsAfterProgramName(L"\"C:\\Program Files\\Ludora.tmp\" 12 \"C:\\游戏\\Ludora.exe\" 1"),
              L"12 \"C:\\游戏\\Ludora.exe\" 1");
    EXPECT_EQ(ArgumentsAfterProgramName(L"C:\\Data\\Ludora.tmp  \t8 \"C:\\L.exe\" 0"), L"8 \"C:\\L.exe\" 0");
    EXPECT_EQ(ArgumentsAfterProgramName(L"C:\\Da\"ta x\"\\Ludora.tmp 8"), L"8");
    EXPECT_EQ(ArgumentsAfterProgramName(L"Ludora.exe"), L"");
}
