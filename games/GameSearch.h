#pragma once
#include <string>

// Whether a game's name answers what the player typed into the search field: the text appears in
// the name, letters compared without case, or it appears in the name's pinyin initials ("xjyh" for
// 星际远航). Blanks around the query do not count; an empty query matches every name.
bool GameNameMatches(const std::wstring& name, const std::wstring& query);

// The name with each Chinese character replaced by the initial of its most common pinyin reading
// and every other character in lower case.
std::wstring PinyinInitials(const std::wstring& name);
