#pragma once
#include <cstdint>
#include <string_view>

// The toneless pinyin readings of one character, most common first ("zhong", "chong", "tong" for
// 重; ü is written v). Empty for a character without a reading. A view into the compiled table.
class PinyinReadings {
public:
    PinyinReadings() = default;
    explicit PinyinReadings(const std::uint16_t* list) : list_(list) {}

    bool empty() const { return list_ == nullptr; }
    std::size_t size() const;
    std::string_view operator[](std::size_t index) const;
    bool contains(std::string_view spelling) const;

private:
    const std::uint16_t* list_ = nullptr;  // into the table's pool; null when there is no reading
};

PinyinReadings PinyinReadingsOf(char32_t character);

// The code point starting at text[at] (a surrogate pair joined) and how many UTF-16 units it takes.
struct CodePoint {
    char32_t value;
    std::size_t length;
};
CodePoint CodePointAt(std::wstring_view text, std::size_t at);
