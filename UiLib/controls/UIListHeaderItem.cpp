#include "UiLib/controls/UIListHeaderItem.h"

#include "UiLib/Utils/AttributeValue.h"
#include "UiLib/core/UIRender.h"
#include "UiLib/render/SkinResources.h"
#include "UiLib/tree/ControlHost.h"

namespace UiLib {
namespace {

constexpr UINT kHorizontalFlags = DT_CENTER | DT_RIGHT;

}  // namespace

const wchar_t* CListHeaderItemUI::GetClass() const { return L"ListHeaderItemUI"; }

void* CListHeaderItemUI::GetInterface(const std::wstring& name) {
    if (name == L"ListHeaderItem") return this;
    return CControlUI::GetInterface(name);
}

SIZE CListHeaderItemUI::EstimateSize(SIZE) {
    if (fixed_.cy != 0 || !manager_) return fixed_;
    return SIZE{fixed_.cx, manager_->GetResources().GetFontInfo(font_).tm.tmHeight + 14};
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

void CListHeaderItemUI::SetAttribute(const std::wstring& name, const std::wstring& value) {
    const wchar_t* v = value.c_str();
    if (name == L"font") font_ = static_cast<int>(ParseIntValue(v));
    else if (name == L"textcolor") textColor_ = ParseColorValue(v);
    else if (name == L"textpadding") textPadding_ = ParseRectValue(v);
    else if (name == L"showhtml") showHtml_ = ParseBoolValue(v);
    else if (name == L"sepwidth") sepWidth_ = static_cast<int>(ParseIntValue(v));
    else if (name == L"normalimage") normalImage_ = value;
    else if (name == L"hotimage") hotImage_ = value;
    else if (name == L"pushedimage") pushedImage_ = value;
    else if (name == L"sepimage") sepImage_ = value;
    else if (name == L"align") {
        textStyle_ &= ~kHorizontalFlags;
        if (value == L"center") textStyle_ |= DT_CENTER;
        else if (value == L"right") textStyle_ |= DT_RIGHT;
    } else if (name == L"endellipsis") {
        textStyle_ = ParseBoolValue(v) ? textStyle_ | DT_END_ELLIPSIS : textStyle_ & ~DT_END_ELLIPSIS;
    } else {
        CControlUI::SetAttribute(name, value);
        return;
    }
    Invalidate();
}

void CListHeaderItemUI::PaintStatusImage(HDC dc) {
    const std::wstring* image = &normalImage_;
    if (pushed_ && !pushedImage_.empty()) image = &pushedImage_;
    else if (hot_ && !hotImage_.empty()) image = &hotImage_;
    if (!image->empty()) DrawImage(dc, *image);
    if (sepImage_.empty() || sepWidth_ == 0) return;
    RECT sep = rcItem_;
    if (sepWidth_ > 0) sep.left = sep.right - sepWidth_;
    else sep.right = sep.left - sepWidth_;
    CSkinRenderer::DrawImageString(dc, SkinResources(), sep, rcPaint_, sepImage_);
}

void CListHeaderItemUI::PaintText(HDC dc) {
    if (text_.empty() || !manager_) return;
    UiColor color = textColor_ != 0 ? textColor_ : manager_->GetResources().GetDefaultFontColor();
    RECT rect{rcItem_.left + textPadding_.left, rcItem_.top + textPadding_.top, rcItem_.right - textPadding_.right,
              rcItem_.bottom - textPadding_.bottom};
    if (showHtml_) {
        int links = 0;
        CSkinRenderer::DrawMarkupText(dc, SkinResources(), rect, text_, color, nullptr, nullptr, links, textStyle_,
                                      manager_->GetMousePos());
    } else {
        CSkinRenderer::DrawText(dc, SkinResources(), rect, text_, color, font_, textStyle_);
    }
}

}  // namespace UiLib
