#include "UiLib/controls/UIListHeaderItem.h"

#include "UiLib/Utils/AttributeValue.h"
#include "UiLib/render/SkinResources.h"
#include "UiLib/render/UIRender.h"
#include "UiLib/tree/ControlHost.h"
#include "UiLib/tree/ControlRegistry.h"

namespace UiLib {

UILIB_REGISTER_CONTROL(L"ListHeaderItem", CListHeaderItemUI);

namespace {

constexpr UINT kHorizontalFlags = DT_CENTER | DT_RIGHT;

}  // namespace

const wchar_t* CListHeaderItemUI::GetClass() const { return L"ListHeaderItemUI"; }

void* CListHeaderItemUI::GetInterface(const std::wstring& name) {
    if (name == L"ListHeaderItem") return this;
    return CControlUI::GetInterface(name);
}

SIZE CListHeaderItemUI::EstimateSize(SIZE) {
    const SIZE fixed = FixedSize();
    if (fixed.cy != 0 || !manager_) return fixed;
    return SIZE{fixed.cx, manager_->GetResources().GetFontInfo(font_).tm.tmHeight + DpiScale().Scale(14)};
}

void CListHeaderItemUI::DoEvent(UiEvent& event) {
    switch (event.Type) {
    case UIEVENT_MOUSEENTER:
        hot_ = IsEnabled();
        Invalidate();
        return;
    case UIEVENT_MOUSELEAVE:
        hot_ = false;
        Invalidate();
        return;
    case UIEVENT_BUTTONDOWN:
        if (!IsEnabled()) return;
        pushed_ = true;
        Invalidate();
        if (manager_) manager_->SendNotify(this, L"headerclick");
        return;
    case UIEVENT_BUTTONUP:
        pushed_ = false;
        Invalidate();
        return;
    case UIEVENT_MOUSEMOVE:
        return;
    default:
        CControlUI::DoEvent(event);
    }
}

const CAttributeTable& CListHeaderItemUI::GetAttributeTable() const { return Attributes(); }

const CAttributeTable& CListHeaderItemUI::Attributes() {
    using C = CListHeaderItemUI;
    using V = const std::wstring&;
    // A change to any of the item's own attributes repaints it.
    static const CAttributeTable table = CAttributeTable::Of<C>(&CControlUI::Attributes(), {
        {L"font", [](C& c, V v) { c.font_ = static_cast<int>(ParseIntValue(v)); }},
        {L"textcolor", [](C& c, V v) { c.textColor_ = ParseColorValue(v); }},
        {L"textpadding", [](C& c, V v) { c.textPadding_ = ParseRectValue(v); }},
        {L"showhtml", [](C& c, V v) { c.showHtml_ = ParseBoolValue(v); }},
        {L"sepwidth", [](C& c, V v) { c.sepWidth_ = static_cast<int>(ParseIntValue(v)); }},
        {L"normalimage", [](C& c, V v) { c.normalImage_ = v; }},
        {L"hotimage", [](C& c, V v) { c.hotImage_ = v; }},
        {L"pushedimage", [](C& c, V v) { c.pushedImage_ = v; }},
        {L"sepimage", [](C& c, V v) { c.sepImage_ = v; }},
        {L"align", [](C& c, V v) {
             c.textStyle_ &= ~kHorizontalFlags;
             if (v == L"center") c.textStyle_ |= DT_CENTER;
             else if (v == L"right") c.textStyle_ |= DT_RIGHT;
         }},
        {L"endellipsis", [](C& c, V v) {
             c.textStyle_ = ParseBoolValue(v) ? c.textStyle_ | DT_END_ELLIPSIS : c.textStyle_ & ~DT_END_ELLIPSIS;
         }},
    }, [](C& c) { c.Invalidate(); });
    return table;
}

void CListHeaderItemUI::PaintStatusImage(HDC dc) {
    const std::wstring* image = &normalImage_;
    if (pushed_ && !pushedImage_.empty()) image = &pushedImage_;
    else if (hot_ && !hotImage_.empty()) image = &hotImage_;
    if (!image->empty()) DrawImage(dc, *image);
    if (sepImage_.empty() || sepWidth_ == 0) return;
    RECT sep = rcItem_;
    const int sepWidth = DpiScale().Scale(sepWidth_);
    if (sepWidth > 0) sep.left = sep.right - sepWidth;
    else sep.right = sep.left - sepWidth;
    CSkinRenderer::DrawImageString(dc, SkinResources(), sep, rcPaint_, sepImage_, std::wstring(), DpiScale());
}

void CListHeaderItemUI::PaintText(HDC dc) {
    if (text_.empty() || !manager_) return;
    UiColor color = textColor_ != 0 ? textColor_ : manager_->GetResources().GetDefaultFontColor();
    const RECT padding = GetTextPadding();
    RECT rect{rcItem_.left + padding.left, rcItem_.top + padding.top, rcItem_.right - padding.right,
              rcItem_.bottom - padding.bottom};
    if (showHtml_) {
        int links = 0;
        CSkinRenderer::DrawMarkupText(dc, SkinResources(), rect, text_, color, nullptr, nullptr, links, textStyle_,
                                      manager_->GetMousePos());
    } else {
        CSkinRenderer::DrawText(dc, SkinResources(), rect, text_, color, font_, textStyle_);
    }
}

}  // namespace UiLib
