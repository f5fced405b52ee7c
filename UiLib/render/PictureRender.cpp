#include "UiLib/render/PictureRender.h"

#include <algorithm>
#include <cstdlib>

namespace UiLib {
namespace {

constexpr std::array<int, kPictureRenderCount> kRenderPercents = {100, 150, 200};

}  // namespace

int PicturePercentForDpi(const CDpiScale& dpi) { return ::MulDiv(dpi.Dpi(), 100, CDpiScale::kSkinDpi); }

std::array<int, kPictureRenderCount> PreferredPictureRenders(const CDpiScale& dpi) {
    const int wanted = PicturePercentForDpi(dpi);
    std::array<int, kPictureRenderCount> renders = kRenderPercents;
    std::stable_sort(renders.begin(), renders.end(), [wanted](int a, int b) {
        const int distanceA = std::abs(a - wanted);
        const int distanceB = std::abs(b - wanted);
        return distanceA != distanceB ? distanceA < distanceB : a > b;
    });
    return renders;
}

std::wstring PictureRenderName(const std::wstring& name, int percent) {
    if (percent == 100) return name;
    const std::wstring suffix = percent == 150 ? L"@1.5x" : L"@" + std::to_wstring(percent / 100) + L"x";
    const size_t folder = name.find_last_of(L"/\\");
    const size_t dot = name.rfind(L'.');
    if (dot == std::wstring::npos || (folder != std::wstring::npos && dot < folder)) return name + suffix;
    return name.substr(0, dot) + suffix + name.substr(dot);
}

RECT CPictureScale::ToRender(const RECT& units) const {
    auto scale = [this](LONG value) { return static_cast<LONG>(::MulDiv(value, renderPercent_, 100)); };
    return RECT{scale(units.left), scale(units.top), scale(units.right), scale(units.bottom)};
}

}  // namespace UiLib
