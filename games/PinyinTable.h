#pragma once
#include <cstddef>
#include <cstdint>

// The compact pinyin table, generated at build time by tools/make-pinyin-table.py from the pinyin
// dictionary. Read it through games/Pinyin.h.
namespace pinyin_table {

// Code points first .. first + count - 1 have their entries at kEntries[firstEntry ...].
struct Run {
    std::uint32_t first;
    std::uint32_t count;
    std::uint32_t firstEntry;
};

// An entry is the start of the character's list in kPool, or kNoReading. A list holds syllable
// numbers, most common reading first; the last one carries kLastInList.
constexpr std::uint16_t kNoReading = 0xFFFF;
constexpr std::uint16_t kLastInList = 0x8000;

// Syllable n is kSyllableText[kSyllableStarts[n] .. kSyllableStarts[n + 1]), in alphabetical order.
extern const char kSyllableText[];
extern const std::uint16_t kSyllableStarts[];
extern const std::size_t kSyllableCount;

extern const Run kRuns[];
extern const std::size_t kRunCount;
extern const std::uint16_t kEntries[];
extern const std::uint16_t kPool[];

}  // namespace pinyin_table
