#include "games/GameSearch.h"

#include <windows.h>

#include <algorithm>
#include <iterator>

#include "shared/TextConvert.h"

namespace {

constexpr UINT kSimplifiedChineseCodePage = 936;

// The common characters of the simplified-Chinese code page are ordered by pinyin, so the first
// character of each initial marks where that initial begins. The rarer characters after them are
// ordered by radical and have no initial here.
struct InitialStart {
    unsigned code;
    wchar_t initial;
};
constexpr InitialStart kInitialStarts[] = {
    {0xB0A1, L'a'}, {0xB0C5, L'b'}, {0xB2C1, L'c'}, {0xB4EE, L'd'}, {0xB6EA, L'e'}, {0xB7A2, L'f'},
    {0xB8C1, L'g'}, {0xB9FE, L'h'}, {0xBBF7, L'j'}, {0xBFA6, L'k'}, {0xC0AC, L'l'}, {0xC2E8, L'm'},
    {0xC4C3, L'n'}, {0xC5B6, L'o'}, {0xC5BE, L'p'}, {0xC6DA, L'q'}, {0xC8BB, L'r'}, {0xC8F6, L's'},
    {0xCBFA, L't'}, {0xCDDA, L'w'}, {0xCEF4, L'x'}, {0xD1B9, L'y'}, {0xD4D1, L'z'}};
constexpr unsigned kCommonCharactersEnd = 0xD7FA;

std::wstring Lowered(std::wstring text) {
    if (!text.empty()) ::CharLowerBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

wchar_t InitialOf(wchar_t character) {
    if (character < 0x4E00 || character > 0x9FFF) return 0;
    char bytes[2] = {};
    BOOL unmapped = FALSE;
    if (::WideCharToMultiByte(kSimplifiedChineseCodePage, 0, &character, 1, bytes, sizeof(bytes), nullptr,
                              &unmapped) != 2 ||
        unmapped) {
        return 0;
    }
    const unsigned code = (static_cast<unsigned char>(bytes[0]) << 8) | static_cast<unsigned char>(bytes[1]);
    if (code < kInitialStarts[0].code || code >= kCommonCharactersEnd) return 0;
    const auto after = std::upper_bound(std::begin(kInitialStarts), std::end(kInitialStarts), code,
                                        [](unsigned value, const InitialStart& start) { return value < start.code; });
    return std::prev(after)->initial;
}

}  // namespace

std::wstring PinyinInitials(const std::wstring& name) {
    std::wstring initials = Lowered(name);
    for (wchar_t& character : initials) {
        if (wchar_t initial = InitialOf(character)) character = initial;
    }
    return initials;
}

bool GameNameMatches(const std::wstring& name, const std::wstring& query) {
    const std::wstring wanted = Lowered(TrimBlanks(query));
    if (wanted.empty()) return true;
    return Lowered(name).find(wanted) != std::wstring::npos || PinyinInitials(name).find(wanted) != std::wstring::npos;
}
