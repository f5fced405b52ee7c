#include "UiLib/Utils/AttributeValue.h"

#include <cwchar>

namespace UiLib {
namespace {

// Reads `count` numbers into `out`; after each number exactly one separator character is
// skipped, unless the text has ended.
void ParseNumberList(const wchar_t* text, long* out, int count) {
    const wchar_t* cursor = text ? text : L"";
    for (int i = 0; i < count; ++i) {
        wchar_t* end = nullptr;
        out[i] = wcstol(cursor, &end, 10);
        cursor = end;
        if (*cursor != L'\0') ++cursor;
    }
}

}  // namespace

RECT ParseRectValue(const wchar_t* text) {
    long values[4] = {};
    ParseNumberList(text, values, 4);
    return RECT{values[0], values[1], values[2], values[3]};
}

SIZE ParseSizeValue(const wchar_t* text) {
    long values[2] = {};
    ParseNumberList(text, values, 2);
    return SIZE{values[0], values[1]};
}

UiColor ParseColorValue(const wchar_t* text) {
    if (!text) return 0;
    if (*text == L'#') ++text;
    wchar_t* end = nullptr;
    return static_cast<UiColor>(wcstoul(text, &end, 16));
}

bool ParseBoolValue(const wchar_t* text) { return text && wcscmp(text, L"true") == 0; }

long ParseIntValue(const wchar_t* text) {
    if (!text) return 0;
    wchar_t* end = nullptr;
    return wcstol(text, &end, 10);
}

}  // namespace UiLib
