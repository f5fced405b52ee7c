#pragma once
#include <string>
#include <vector>

#include "games/Pinyin.h"

// What the player typed into the search field, made ready once per keystroke: lower case, blanks
// around it trimmed, and without any blank for pinyin.
class GameQuery {
public:
    GameQuery() = default;
    explicit GameQuery(const std::wstring& typed);

    bool empty() const { return text_.empty(); }

private:
    friend class SearchableName;

    std::wstring text_;
    std::wstring spelling_;
};

// A game's name made ready for the search once, when the list changes: its lower case text and
// the readings of each character. It answers a query when the text appears in the name, or when
// consecutive characters of the name spell it in pinyin, each character by any of its readings,
// the beginning of one or itself: initials ("xjyh" for 星际远航), full spellings ("chongqing" and
// "zhongqing" for 重庆) and mixes ("lzgu" for 龙之谷); u stands for ü, blanks do not count for
// pinyin, and an empty query matches every name.
class SearchableName {
public:
    // The longest pinyin spelling looked for; a longer query is looked for as text only.
    static constexpr std::size_t kLongestSpelling = 63;

    explicit SearchableName(const std::wstring& name);

    bool Matches(const GameQuery& query) const;

private:
    bool SpellsInPinyin(const std::wstring& spelling) const;

    std::wstring lowered_;
    // One per character of the name that is not a blank, in order.
    std::vector<PinyinReadings> readings_;
};

bool GameNameMatches(const std::wstring& name, const std::wstring& query);

// What names are sorted by in pinyin order: each Chinese character by its most common reading
// followed by a blank (so that 西安 "xi an " comes before 先 "xian "), every other character in
// lower case, blanks of the name left out.
std::wstring PinyinSortKey(const std::wstring& name);
