#include "games/GameRecord.h"

#include <limits>

namespace {

bool IsBlank(wchar_t c) { return c == L' ' || (c >= L'\t' && c <= L'\r'); }

template <typename Char>
int32_t ParseNumber(const Char* text) {
    if (text == nullptr) return 0;
    while (IsBlank(static_cast<wchar_t>(*text))) ++text;
    bool negative = *text == '-';
    if (*text == '-' || *text == '+') ++text;
    const int64_t limit = negative ? -static_cast<int64_t>(std::numeric_limits<int32_t>::min())
                                   : std::numeric_limits<int32_t>::max();
    int64_t value = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        value = value * 10 + (*text - '0');
        if (value > limit) value = limit;
    }
    return static_cast<int32_t>(negative ? -value : value);
}

}  // namespace

int32_t ParseGameNumber(const char* text) { return ParseNumber(text); }

int32_t ParseGameNumber(const wchar_t* text) { return ParseNumber(text); }
