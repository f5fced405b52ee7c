#include "games/GameSearch.h"

#include <windows.h>

#include "games/Pinyin.h"
#include "shared/TextConvert.h"

namespace {

std::wstring Lowered(std::wstring text) {
    if (!text.empty()) ::CharLowerBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

}  // namespace

std::wstring PinyinInitials(const std::wstring& name) {
    const std::wstring lowered = Lowered(name);
    std::wstring initials;
    initials.reserve(lowered.size());
    for (std::size_t at = 0; at < lowered.size();) {
        const CodePoint character = CodePointAt(lowered, at);
        const PinyinReadings readings = PinyinReadingsOf(character.value);
        if (readings.empty()) {
            initials.append(lowered, at, character.length);
        } else {
            initials.push_back(static_cast<wchar_t>(readings[0].front()));
        }
        at += character.length;
    }
    return initials;
}

bool GameNameMatches(const std::wstring& name, const std::wstring& query) {
    const std::wstring wanted = Lowered(TrimBlanks(query));
    if (wanted.empty()) return true;
    return Lowered(name).find(wanted) != std::wstring::npos || PinyinInitials(name).find(wanted) != std::wstring::npos;
}
