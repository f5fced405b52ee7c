#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// UTF-8 → UTF-16 by way of the system's ANSI code page, as the program's files have always been
// read: characters the code page cannot hold come back as its default character.
std::wstring Utf8ToWide(const char* utf8);

// Writes `text` as NUL-terminated UTF-8 into `buffer` of `capacity` bytes and returns the bytes
// written, terminator included. A text that does not fit is cut at a character boundary; nothing
// is ever written past the buffer. Returns 0 only when `capacity` is 0.
uint32_t WideToUtf8(const std::wstring& text, char* buffer, size_t capacity);

// Whole-string conversions for the places that need no fixed buffer.
std::string WideToUtf8(const std::wstring& text);
std::wstring Utf8ToWideExact(const std::string& utf8);
std::wstring AnsiToWide(const char* text);
std::string WideToAnsi(const std::wstring& text);

// `text` without the blanks around it: spaces, tabs and the ideographic space.
std::wstring TrimBlanks(const std::wstring& text);
