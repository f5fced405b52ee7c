#include "games/GameSearch.h"

#include <windows.h>

#include <algorithm>
#include <string_view>
#include <vector>

#include "games/Pinyin.h"
#include "shared/TextConvert.h"

namespace {

std::wstring Lowered(std::wstring text) {
    if (!text.empty()) ::CharLowerBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

bool IsBlank(wchar_t character) { return character == L' ' || character == L'\t' || character == L'\u3000'; }

std::wstring WithoutBlanks(std::wstring text) {
    text.erase(std::remove_if(text.begin(), text.end(), IsBlank), text.end());
    return text;
}

// The table writes ü as v; players type either.
bool SameLetter(wchar_t typed, char inReading) {
    return typed == static_cast<wchar_t>(inReading) || (inReading == 'v' && typed == L'u');
}

// Marks where in `query` one character of the name can end when its spelling starts at `at`: after
// the character itself, or after any beginning of any of its readings ("l" to "long" for 龙).
void MarkSpellingEnds(std::wstring_view character, const PinyinReadings& readings, std::wstring_view query,
                      std::size_t at, std::vector<bool>& ends) {
    if (query.substr(at, character.size()) == character) ends[at + character.size()] = true;
    for (std::size_t index = 0; index < readings.size(); ++index) {
        const std::string_view reading = readings[index];
        for (std::size_t length = 0; length < reading.size() && at + length < query.size() &&
                                     SameLetter(query[at + length], reading[length]);
             ++length) {
            ends[at + length + 1] = true;
        }
    }
}

// Whether consecutive characters of the name, blanks skipped, spell the whole query, each by a
// reading, the beginning of one or itself ("longzhigu", "lzgu" and "龙zg" for 龙之谷).
bool SpellsInPinyin(const std::wstring& loweredName, const std::wstring& query) {
    // reached[q]: the characters read so far end a spelling of the query's first q letters.
    std::vector<bool> reached(query.size() + 1);
    std::vector<bool> next(query.size() + 1);
    for (std::size_t at = 0; at < loweredName.size();) {
        const CodePoint character = CodePointAt(loweredName, at);
        const std::wstring_view text(loweredName.data() + at, character.length);
        at += character.length;
        if (IsBlank(text.front())) continue;
        reached[0] = true;  // a spelling may start at any character
        std::fill(next.begin(), next.end(), false);
        const PinyinReadings readings = PinyinReadingsOf(character.value);
        for (std::size_t spelled = 0; spelled < query.size(); ++spelled) {
            if (reached[spelled]) MarkSpellingEnds(text, readings, query, spelled, next);
        }
        if (next[query.size()]) return true;
        reached.swap(next);
    }
    return false;
}

}  // namespace

std::wstring PinyinInitials(const std::wstring& name) {
    const std::wstring lowered = Lowered(name);
    std::wstring initials;
    initials.reserve(lowered.size());
    for (std::size_t at = 0; at < lowered.size();) {
        const CodePoint character = CodePointAt(lowered, at);
        const PinyinReadings readings = PinyinReadingsOf(character.value);
        if (readings.empty()) {
            initials.append(lowered, at, character.length);
        } else {
            initials.push_back(static_cast<wchar_t>(readings[0].front()));
        }
        at += character.length;
    }
    return initials;
}

bool GameNameMatches(const std::wstring& name, const std::wstring& query) {
    const std::wstring wanted = Lowered(TrimBlanks(query));
    if (wanted.empty()) return true;
    const std::wstring loweredName = Lowered(name);
    return loweredName.find(wanted) != std::wstring::npos || SpellsInPinyin(loweredName, WithoutBlanks(wanted));
}
