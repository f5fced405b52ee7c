#include "games/GameSearch.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <string_view>

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

// Bit q of a set: the query's first q letters are spelled.
using SpelledSet = std::uint64_t;

// Where in `query` one character of the name can end when its spelling starts at `at`: after the
// character itself, or after any beginning of any of its readings ("l" to "long" for 龙).
SpelledSet SpellingEnds(std::wstring_view character, const PinyinReadings& readings, std::wstring_view query,
                        std::size_t at) {
    SpelledSet ends = 0;
    if (query.substr(at, character.size()) == character) ends |= SpelledSet{1} << (at + character.size());
    for (std::size_t index = 0, count = readings.size(); index < count; ++index) {
        const std::string_view reading = readings[index];
        for (std::size_t length = 0; length < reading.size() && at + length < query.size() &&
                                     SameLetter(query[at + length], reading[length]);
             ++length) {
            ends |= SpelledSet{1} << (at + length + 1);
        }
    }
    return ends;
}

}  // namespace

GameQuery::GameQuery(const std::wstring& typed)
    : text_(Lowered(TrimBlanks(typed))), spelling_(WithoutBlanks(text_)) {}

SearchableName::SearchableName(const std::wstring& name) : lowered_(Lowered(name)) {
    for (std::size_t at = 0; at < lowered_.size();) {
        const CodePoint character = CodePointAt(lowered_, at);
        if (!IsBlank(lowered_[at])) readings_.push_back(PinyinReadingsOf(character.value));
        at += character.length;
    }
    readings_.shrink_to_fit();
}

bool SearchableName::Matches(const GameQuery& query) const {
    if (query.empty()) return true;
    return lowered_.find(query.text_) != std::wstring::npos ||
           (query.spelling_.size() <= kLongestSpelling && SpellsInPinyin(query.spelling_));
}

// Whether consecutive characters of the name, blanks skipped, spell the whole query, each by a
// reading, the beginning of one or itself ("longzhigu", "lzgu" and "龙zg" for 龙之谷).
bool SearchableName::SpellsInPinyin(const std::wstring& spelling) const {
    const SpelledSet whole = SpelledSet{1} << spelling.size();
    SpelledSet reached = 0;
    std::size_t character = 0;
    for (std::size_t at = 0; at < lowered_.size();) {
        const CodePoint point = CodePointAt(lowered_, at);
        const std::wstring_view text(lowered_.data() + at, point.length);
        at += point.length;
        if (IsBlank(text.front())) continue;
        const PinyinReadings& readings = readings_[character++];
        reached |= 1;  // a spelling may start at any character
        SpelledSet next = 0;
        for (SpelledSet left = reached & (whole - 1); left != 0; left &= left - 1) {
            next |= SpellingEnds(text, readings, spelling, static_cast<std::size_t>(__builtin_ctzll(left)));
        }
        if (next & whole) return true;
        reached = next;
    }
    return false;
}

bool GameNameMatches(const std::wstring& name, const std::wstring& query) {
    return SearchableName(name).Matches(GameQuery(query));
}

std::wstring PinyinSortKey(const std::wstring& name) {
    const std::wstring lowered = Lowered(name);
    std::wstring key;
    key.reserve(lowered.size() * 4);
    for (std::size_t at = 0; at < lowered.size();) {
        const CodePoint character = CodePointAt(lowered, at);
        const PinyinReadings readings = PinyinReadingsOf(character.value);
        if (!readings.empty()) {
            const std::string_view reading = readings[0];
            key.append(reading.begin(), reading.end());
            key.push_back(L' ');
        } else if (!IsBlank(lowered[at])) {
            key.append(lowered, at, character.length);
        }
        at += character.length;
    }
    return key;
}
