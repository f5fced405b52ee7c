#pragma once
#include <string>

// Whether a game's name answers what the player typed into the search field: the text appears in
// the name, letters compared without case, or consecutive characters of the name spell it in pinyin,
// each character by any of its readings, the beginning of one or itself: initials ("xjyh" for
// 星际远航), full spellings ("chongqing" and "zhongqing" for 重庆) and mixes ("lzgu" for 龙之谷).
// Blanks around the query do not count, and for pinyin no blank counts; an empty query matches
// every name.
bool GameNameMatches(const std::wstring& name, const std::wstring& query);

// The name with each Chinese character replaced by the initial of its most common pinyin reading
// and every other character in lower case.
std::wstring PinyinInitials(const std::wstring& name);
