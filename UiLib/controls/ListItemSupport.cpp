#include "UiLib/controls/ListItemSupport.h"

#include "UiLib/render/UIRender.h"
#include "UiLib/tree/ControlHost.h"
#include "UiLib/tree/UIControl.h"

namespace UiLib {
namespace {

UiColor BackgroundColor(const CControlUI& item, const ListItemStyle& style, int index, bool selected, bool hot) {
    if (!item.IsEnabled()) return style.disabledBkColor;
    if (selected) return style.selectedBkColor;
    if (hot) return style.hotBkColor;
    if (style.alternateBk && index % 2 != 0) return 0;
    return style.bkColor;
}

// Draws the image string; one that does not draw is forgotten.
bool DrawOrClear(HDC dc, CControlUI& item, std::wstring& image) {
    if (image.empty()) return false;
    if (item.DrawImage(dc, image)) return true;
    image.clear();
    return false;
}

}  // namespace

void PaintListItemBackground(HDC dc, CControlUI& item, const RECT& paint, ListItemStyle& style, int index,
                             bool selected, bool hot, std::wstring& ownImage) {
    UiColor color = BackgroundColor(item, style, index, selected, hot);
    if (color != 0) CSkinRenderer::DrawColor(dc, paint, color);
    if (!item.IsEnabled() && DrawOrClear(dc, item, style.disabledImage)) return;
    if (selected && DrawOrClear(dc, item, style.selectedImage)) return;
    if (hot && DrawOrClear(dc, item, style.hotImage)) return;
    if (DrawOrClear(dc, item, ownImage)) return;
    DrawOrClear(dc, item, style.bkImage);
}

UiColor ListItemTextColor(const ListItemStyle& style, bool enabled, bool selected, bool hot) {
    UiColor color = style.textColor;
    if (hot) color = style.hotTextColor;
    if (selected) color = style.selectedTextColor;
    if (!enabled) color = style.disabledTextColor;
    return color;
}

bool HandleListItemEvent(CControlUI& item, IListItemUI& listItem, UiEvent& event, UINT& state) {
    CControlHost* manager = item.GetManager();
    switch (event.Type) {
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_RBUTTONDOWN:
        if (item.IsEnabled()) {
            if (manager) manager->SendNotify(&item, L"itemclick");
            listItem.Select(true);
            item.Invalidate();
        }
        return true;
    case UIEVENT_DBLCLICK:
        if (item.IsEnabled()) {
            item.Activate();
            item.Invalidate();
        }
        return true;
    case UIEVENT_KEYDOWN:
        if (!item.IsEnabled() || event.chKey != VK_RETURN) return false;
        item.Activate();
        item.Invalidate();
        return true;
    case UIEVENT_MOUSEENTER:
        if (item.IsEnabled()) {
            state |= kListItemHot;
            item.Invalidate();
        }
        return true;
    case UIEVENT_MOUSELEAVE:
        state &= ~kListItemHot;
        item.Invalidate();
        return true;
    case UIEVENT_MOUSEMOVE:
    case UIEVENT_BUTTONUP:
        return true;
    default:
        return false;
    }
}

}  // namespace UiLib
