#include "UiLib/controls/UILabel.h"

#include <oleacc.h>

#include "UiLib/Utils/AttributeValue.h"
#include "UiLib/render/SkinResources.h"
#include "UiLib/render/UIRender.h"
#include "UiLib/tree/ControlHost.h"
#include "UiLib/tree/ControlRegistry.h"

namespace UiLib {

UILIB_REGISTER_CONTROL(L"Label", CLabelUI);

namespace {

constexpr UINT kHorizontalFlags = DT_CENTER | DT_RIGHT;
constexpr UINT kVerticalFlags = DT_VCENTER | DT_BOTTOM;

bool Contains(const std::wstring& text, const wchar_t* word) { return text.find(word) != std::wstring::npos; }

}  // namespace

CLabelUI::CLabelUI() = default;

const wchar_t* CLabelUI::GetClass() const { return L"LabelUI"; }

DWORD CLabelUI::GetAccessibleRole() const { return ROLE_SYSTEM_STATICTEXT; }

void* CLabelUI::GetInterface(const std::wstring& name) {
    if (name == L"Label") return this;
    return CControlUI::GetInterface(name);
}

void CLabelUI::SetTextStyle(UINT style) {
    textStyle_ = style;
    Invalidate();
}

void CLabelUI::SetFont(int index) {
    font_ = index;
    Invalidate();
}

void CLabelUI::SetTextColor(UiColor color) {
    textColor_ = color;
    Invalidate();
}

void CLabelUI::SetDisabledTextColor(UiColor color) {
    disabledTextColor_ = color;
    Invalidate();
}

void CLabelUI::SetTextPadding(RECT padding) {
    textPadding_ = padding;
    Invalidate();
}

void CLabelUI::SetShowHtml(bool show) {
    if (showHtml_ == show) return;
    showHtml_ = show;
    Invalidate();
}

SIZE CLabelUI::EstimateSize(SIZE) {
    const SIZE fixed = FixedSize();
    if (fixed.cy != 0 || !manager_) return fixed;
    return SIZE{fixed.cx, manager_->GetResources().GetFontInfo(font_).tm.tmHeight + DpiScale().Scale(4)};
}

void CLabelUI::DoEvent(UiEvent& event) {
    // A label takes the focus without showing it.
    if (event.Type == UIEVENT_SETFOCUS || event.Type == UIEVENT_KILLFOCUS) {
        focused_ = event.Type == UIEVENT_SETFOCUS;
        return;
    }
    CControlUI::DoEvent(event);
}

void CLabelUI::ApplyAlign(const std::wstring& value) {
    // Each word replaces the alignment of its direction; "vcenter" also contains "center".
    if (Contains(value, L"left")) textStyle_ &= ~kHorizontalFlags;
    if (Contains(value, L"center")) textStyle_ = (textStyle_ & ~kHorizontalFlags) | DT_CENTER;
    if (Contains(value, L"right")) textStyle_ = (textStyle_ & ~kHorizontalFlags) | DT_RIGHT;
    if (Contains(value, L"top")) textStyle_ &= ~kVerticalFlags;
    if (Contains(value, L"vcenter")) textStyle_ = (textStyle_ & ~kVerticalFlags) | DT_VCENTER;
    if (Contains(value, L"bottom")) textStyle_ = (textStyle_ & ~kVerticalFlags) | DT_BOTTOM;
    Invalidate();
}

const CAttributeTable& CLabelUI::GetAttributeTable() const { return Attributes(); }

const CAttributeTable& CLabelUI::Attributes() {
    using C = CLabelUI;
    using V = const std::wstring&;
    static const CAttributeTable table = CAttributeTable::Of<C>(&CControlUI::Attributes(), {
        {L"align", [](C& c, V v) { c.ApplyAlign(v); }},
        {L"endellipsis", [](C& c, V v) {
             c.SetTextStyle(ParseBoolValue(v) ? c.textStyle_ | DT_END_ELLIPSIS : c.textStyle_ & ~DT_END_ELLIPSIS);
         }},
        {L"font", [](C& c, V v) { c.SetFont(static_cast<int>(ParseIntValue(v))); }},
        {L"textcolor", [](C& c, V v) { c.SetTextColor(ParseColorValue(v)); }},
        {L"disabledtextcolor", [](C& c, V v) { c.SetDisabledTextColor(ParseColorValue(v)); }},
        {L"textpadding", [](C& c, V v) { c.SetTextPadding(ParseRectValue(v)); }},
        {L"showhtml", [](C& c, V v) { c.SetShowHtml(ParseBoolValue(v)); }},
    });
    return table;
}

UiColor CLabelUI::NormalTextColor() const {
    if (!IsEnabled()) {
        if (disabledTextColor_ != 0) return disabledTextColor_;
        return manager_ ? manager_->GetResources().GetDefaultDisabledColor() : 0;
    }
    if (textColor_ != 0) return textColor_;
    return manager_ ? manager_->GetResources().GetDefaultFontColor() : 0;
}

void CLabelUI::DrawTextIn(HDC dc, const std::wstring& text, UiColor color, UINT style) {
    if (text.empty() || !manager_) return;
    const RECT padding = GetTextPadding();
    RECT rect{rcItem_.left + padding.left, rcItem_.top + padding.top, rcItem_.right - padding.right,
              rcItem_.bottom - padding.bottom};
    if (showHtml_) {
        int links = 0;
        CSkinRenderer::DrawMarkupText(dc, SkinResources(), rect, text, color, nullptr, nullptr, links, style,
                                      manager_->GetMousePos());
    } else {
        CSkinRenderer::DrawText(dc, SkinResources(), rect, text, color, font_, style);
    }
}

void CLabelUI::PaintText(HDC dc) { DrawTextIn(dc, text_, NormalTextColor(), textStyle_ | DT_SINGLELINE); }

}  // namespace UiLib
