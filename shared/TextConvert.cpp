#include "shared/TextConvert.h"

#include <windows.h>

#include <cstring>

namespace {

std::wstring MultiByteToWide(UINT codePage, const char* text, int length) {
    if (length == 0) return {};
    int count = MultiByteToWideChar(codePage, 0, text, length, nullptr, 0);
    if (count <= 0) return {};
    std::wstring wide(static_cast<size_t>(count), L'\0');
    MultiByteToWideChar(codePage, 0, text, length, &wide[0], count);
    return wide;
}

std::string WideToMultiByte(UINT codePage, const std::wstring& text) {
    if (text.empty()) return {};
    int length = static_cast<int>(text.size());
    int count = WideCharToMultiByte(codePage, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (count <= 0) return {};
    std::string bytes(static_cast<size_t>(count), '\0');
    WideCharToMultiByte(codePage, 0, text.data(), length, &bytes[0], count, nullptr, nullptr);
    return bytes;
}

// Length of the longest prefix of `utf8` that fits in `room` bytes and ends on a character boundary.
size_t CutAtCharacterBoundary(const std::string& utf8, size_t room) {
    if (utf8.size() <= room) return utf8.size();
    size_t cut = room;
    while (cut > 0 && (static_cast<unsigned char>(utf8[cut]) & 0xC0) == 0x80) --cut;
    return cut;
}

}  // namespace

std::wstring Utf8ToWide(const char* utf8) {
    if (utf8 == nullptr || *utf8 == '\0') return {};
    std::wstring wide = MultiByteToWide(CP_UTF8, utf8, -1);
    if (!wide.empty() && wide.back() == L'\0') wide.pop_back();
    std::string ansi = WideToMultiByte(CP_ACP, wide);
    return MultiByteToWide(CP_THREAD_ACP, ansi.data(), static_cast<int>(ansi.size()));
}

uint32_t WideToUtf8(const std::wstring& text, char* buffer, size_t capacity) {
    if (buffer == nullptr || capacity == 0) return 0;
    std::string utf8 = WideToUtf8(text);
    size_t length = CutAtCharacterBoundary(utf8, capacity - 1);
    utf8.copy(buffer, length);
    buffer[length] = '\0';
    return static_cast<uint32_t>(length + 1);
}

std::string WideToUtf8(const std::wstring& text) { return WideToMultiByte(CP_UTF8, text); }

std::wstring Utf8ToWideExact(const std::string& utf8) {
    return MultiByteToWide(CP_UTF8, utf8.data(), static_cast<int>(utf8.size()));
}

std::wstring AnsiToWide(const char* text) {
    if (text == nullptr) return {};
    return MultiByteToWide(CP_THREAD_ACP, text, static_cast<int>(strlen(text)));
}

std::string WideToAnsi(const std::wstring& text) { return WideToMultiByte(CP_THREAD_ACP, text); }

std::wstring TrimBlanks(const std::wstring& text) {
    const wchar_t* const blanks = L" \t\u3000";
    const size_t first = text.find_first_not_of(blanks);
    if (first == std::wstring::npos) return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}
