#include "UiLib/controls/UIListLabelElement.h"

#include "UiLib/render/SkinResources.h"
#include "UiLib/render/UIRender.h"
#include "UiLib/tree/ControlHost.h"
#include "UiLib/tree/ControlRegistry.h"

namespace UiLib {

UILIB_REGISTER_CONTROL(L"ListLabelElement", CListLabelElementUI);

const wchar_t* CListLabelElementUI::GetClass() const { return L"ListLabelElementUI"; }

void* CListLabelElementUI::GetInterface(const std::wstring& name) {
    if (name == L"ListLabelElement") return static_cast<CListLabelElementUI*>(this);
    return CListElementUI::GetInterface(name);
}

SIZE CListLabelElementUI::EstimateSize(SIZE) {
    SIZE size = FixedSize();
    if (size.cy == 0 && owner_ && manager_) {
        const ListItemStyle& style = *owner_->GetListInfo();
        const CDpiScale scale = DpiScale();
        size.cy = manager_->GetResources().GetFontInfo(style.font).tm.tmHeight +
                  scale.Scale(8 + style.textPadding.top + style.textPadding.bottom);
    }
    return size;
}

void CListLabelElementUI::DoPaint(HDC dc, const RECT& paint) {
    if (!::IntersectRect(&rcPaint_, &paint, &rcItem_)) return;
    DrawItemBk(dc);
    DrawItemText(dc, rcItem_);
}

void CListLabelElementUI::DrawItemText(HDC dc, const RECT& item) {
    if (text_.empty() || !owner_ || !manager_) return;
    const ListItemStyle& style = *owner_->GetListInfo();
    UiColor color = ListItemTextColor(style, IsEnabled(), selected_, IsHot());
    const RECT padding = DpiScale().Scale(style.textPadding);
    RECT rect{item.left + padding.left, item.top + padding.top, item.right - padding.right,
              item.bottom - padding.bottom};
    if (style.showHtml) {
        int links = 0;
        CSkinRenderer::DrawMarkupText(dc, SkinResources(), rect, text_, color, nullptr, nullptr, links,
                                      DT_SINGLELINE | style.textStyle, manager_->GetMousePos());
    } else {
        CSkinRenderer::DrawText(dc, SkinResources(), rect, text_, color, style.font, DT_SINGLELINE | style.textStyle);
    }
}

}  // namespace UiLib
