#include "UiLib/controls/UIProgress.h"

#include <algorithm>

#include "UiLib/Utils/AttributeValue.h"
#include "UiLib/render/RenderClip.h"
#include "UiLib/render/UIRender.h"
#include "UiLib/tree/ControlRegistry.h"

namespace UiLib {

UILIB_REGISTER_CONTROL(L"Progress", CProgressUI);

namespace {

// Whether `field` changed to `value`: only a change repaints.
template <typename Value>
bool Change(Value& field, const Value& value) {
    if (field == value) return false;
    field = value;
    return true;
}

}  // namespace

const wchar_t* CProgressUI::GetClass() const { return L"ProgressUI"; }

void* CProgressUI::GetInterface(const std::wstring& name) {
    if (name == L"Progress") return this;
    return CLabelUI::GetInterface(name);
}

void CProgressUI::SetHorizontal(bool horizontal) {
    if (Change(horizontal_, horizontal)) Invalidate();
}
void CProgressUI::SetMinValue(int min) {
    if (Change(min_, min)) Invalidate();
}
void CProgressUI::SetMaxValue(int max) {
    if (Change(max_, max)) Invalidate();
}
void CProgressUI::SetValue(int value) {
    if (Change(value_, value)) Invalidate();
}
void CProgressUI::SetForeImage(const std::wstring& image) {
    if (Change(foreImage_, image)) Invalidate();
}
void CProgressUI::SetForeColor(UiColor color) {
    if (Change(foreColor_, color)) Invalidate();
}

RECT CProgressUI::FilledRect() const {
    RECT filled = rcItem_;
    // An empty or reversed range shows an empty bar.
    if (max_ <= min_) return RECT{filled.left, filled.bottom, filled.left, filled.bottom};
    const long long done = std::clamp(value_, min_, max_) - static_cast<long long>(min_);
    const long long range = static_cast<long long>(max_) - min_;
    if (horizontal_) filled.right = filled.left + static_cast<LONG>((filled.right - filled.left) * done / range);
    else filled.top = filled.bottom - static_cast<LONG>((filled.bottom - filled.top) * done / range);
    return filled;
}

void CProgressUI::PaintStatusImage(HDC dc) {
    RECT visible{};
    const RECT filled = FilledRect();
    if (!::IntersectRect(&visible, &rcPaint_, &filled)) return;
    CSkinRenderer::DrawColor(dc, visible, foreColor_);
    if (foreImage_.empty()) return;
    // The image covers the whole bar; clipped to the filled part it shows the progress.
    CRenderClip clip(dc, visible);
    DrawImage(dc, foreImage_);
}

const CAttributeTable& CProgressUI::GetAttributeTable() const { return Attributes(); }

const CAttributeTable& CProgressUI::Attributes() {
    using C = CProgressUI;
    using V = const std::wstring&;
    static const CAttributeTable table = CAttributeTable::Of<C>(&CLabelUI::Attributes(), {
        {L"horizontal", [](C& c, V v) { c.SetHorizontal(ParseBoolValue(v)); }},
        {L"min", [](C& c, V v) { c.SetMinValue(static_cast<int>(ParseIntValue(v))); }},
        {L"max", [](C& c, V v) { c.SetMaxValue(static_cast<int>(ParseIntValue(v))); }},
        {L"value", [](C& c, V v) { c.SetValue(static_cast<int>(ParseIntValue(v))); }},
        {L"foreimage", [](C& c, V v) { c.SetForeImage(v); }},
        {L"forecolor", [](C& c, V v) { c.SetForeColor(ParseColorValue(v)); }},
    });
    return table;
}

}  // namespace UiLib
