#include "games/GameRecord.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>

namespace {

TEST(GameRecord, GameNumbersReadLikeTheInstallersWriteThem) {
    struct Case {
        const char* text;
        int32_t value;
    };
    const Case cases[] = {
        {"12abc", 12},          {"  \t42", 42},   {"+7", 7},       {"-15x", -15},
        {"abc", 0},             {"", 0},          {"- 3", 0},      {"0012", 12},
        {"99999999999", std::numeric_limits<int32_t>::max()},
        {"-99999999999", std::numeric_limits<int32_t>::min()},
        {"2147483647", 2147483647},
        {"-2147483648", std::numeric_limits<int32_t>::min()},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseGameNumber(c.text), c.value) << c.text;
        std::wstring wide(c.text, c.text + strlen(c.text));
        EXPECT_EQ(ParseGameNumber(wide.c_str()), c.value) << c.text;
    }
    EXPECT_EQ(ParseGameNumber(static_cast<const char*>(nullptr)), 0);
    EXPECT_EQ(ParseGameNumber(L"\x0663"), 0) << "only ASCII digits count";
}

}  // namespace
