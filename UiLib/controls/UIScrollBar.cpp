#include "UiLib/controls/UIScrollBar.h"

#include <algorithm>

namespace UiLib {

CScrollBarUI::CScrollBarUI() { fixed_ = SIZE{kDefaultSize, 0}; }

const wchar_t* CScrollBarUI::GetClass() const { return L"ScrollBarUI"; }

void* CScrollBarUI::GetInterface(const std::wstring& name) {
    if (name == L"ScrollBar") return this;
    return CControlUI::GetInterface(name);
}

void CScrollBarUI::SetHorizontal(bool horizontal) {
    if (horizontal_ == horizontal) return;
    horizontal_ = horizontal;
    fixed_ = horizontal ? SIZE{0, kDefaultSize} : SIZE{kDefaultSize, 0};
    NeedParentUpdate();
}

void CScrollBarUI::SetScrollRange(int range) {
    range_ = std::max(0, range);
    position_ = std::clamp(position_, 0, range_);
    Invalidate();
}

void CScrollBarUI::SetScrollPos(int position) {
    position = std::clamp(position, 0, range_);
    if (position_ == position) return;
    position_ = position;
    Invalidate();
}

}  // namespace UiLib
