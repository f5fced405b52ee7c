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
