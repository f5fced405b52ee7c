#pragma once
#include <windows.h>

#include <string>

#include "UiLib/Utils/UiColor.h"

namespace UiLib {

// Readers of attribute values as the layouts write them. Numbers are decimal and read with the
// C library (`wcstol`), and list items are separated by exactly one character of any kind, so
// "4,4,6,6" and "4 4 6 6" read alike. Missing numbers read as 0.

// "l,t,r,b"
RECT ParseRectValue(const wchar_t* text);
// "cx,cy"
SIZE ParseSizeValue(const wchar_t* text);
// A leading "#" is skipped; the rest is hexadecimal AARRGGBB.
UiColor ParseColorValue(const wchar_t* text);
// Only the exact text "true" is true.
bool ParseBoolValue(const wchar_t* text);
// A decimal number; anything unreadable is 0.
long ParseIntValue(const wchar_t* text);

inline RECT ParseRectValue(const std::wstring& text) { return ParseRectValue(text.c_str()); }
inline SIZE ParseSizeValue(const std::wstring& text) { return ParseSizeValue(text.c_str()); }
inline UiColor ParseColorValue(const std::wstring& text) { return ParseColorValue(text.c_str()); }
inline bool ParseBoolValue(const std::wstring& text) { return ParseBoolValue(text.c_str()); }
inline long ParseIntValue(const std::wstring& text) { return ParseIntValue(text.c_str()); }

}  // namespace UiLib
