#include "app/StartMode.h"

namespace {
constexpr int kApplyModeArgumentCount = 4;
}

bool StartsHidden(const std::wstring& arguments) {
    return arguments == L"AUTORUN" || arguments == L"0";
}

StartMode ClassifyStart(int argumentCount, const std::wstring& arguments) {
    if (argumentCount == kApplyModeArgumentCount) return StartMode::Apply;
    return StartsHidden(arguments) ? StartMode::Hidden : StartMode::Shown;
}

std::wstring ArgumentsAfterProgramName(const wchar_t* commandLine) {
    const wchar_t* next = commandLine;
    bool quoted = false;
    for (; *next > L' ' || (*next != L'\0' && quoted); ++next) {
        if (*next == L'"') quoted = !quoted;
    }
    while (*next != L'\0' && *next <= L' ') ++next;
    return next;
}
