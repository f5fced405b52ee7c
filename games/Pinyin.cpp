#include "games/Pinyin.h"

#include <algorithm>

#include "games/PinyinTable.h"

namespace {

std::string_view Syllable(std::uint16_t number) {
    using namespace pinyin_table;
    const std::uint16_t syllable = number & ~kLastInList;
    if (syllable >= kSyllableCount) return {};
    return {kSyllableText + kSyllableStarts[syllable],
            static_cast<std::size_t>(kSyllableStarts[syllable + 1] - kSyllableStarts[syllable])};
}

bool IsLast(std::uint16_t number) { return (number & pinyin_table::kLastInList) != 0; }

}  // namespace

std::size_t PinyinReadings::size() const {
    if (!list_) return 0;
    std::size_t count = 1;
    while (!IsLast(list_[count - 1])) ++count;
    return count;
}

std::string_view PinyinReadings::operator[](std::size_t index) const { return Syllable(list_[index]); }

bool PinyinReadings::contains(std::string_view spelling) const {
    for (std::size_t i = 0, count = size(); i < count; ++i) {
        if ((*this)[i] == spelling) return true;
    }
    return false;
}

PinyinReadings PinyinReadingsOf(char32_t character) {
    using namespace pinyin_table;
    const Run* runsEnd = kRuns + kRunCount;
    const Run* after = std::upper_bound(kRuns, runsEnd, character,
                                        [](char32_t value, const Run& run) { return value < run.first; });
    if (after == kRuns) return {};
    const Run& run = after[-1];
    if (character - run.first >= run.count) return {};
    const std::uint16_t entry = kEntries[run.firstEntry + (character - run.first)];
    return entry == kNoReading ? PinyinReadings{} : PinyinReadings{kPool + entry};
}

CodePoint CodePointAt(std::wstring_view text, std::size_t at) {
    const char32_t high = text[at];
    if (high >= 0xD800 && high <= 0xDBFF && at + 1 < text.size()) {
        const char32_t low = text[at + 1];
        if (low >= 0xDC00 && low <= 0xDFFF) return {0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00), 2};
    }
    return {high, 1};
}
