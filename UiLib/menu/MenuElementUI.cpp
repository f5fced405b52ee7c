#include "UiLib/menu/MenuElementUI.h"

#include <oleacc.h>

#include <algorithm>

#include "UiLib/core/UIManager.h"
#include "UiLib/menu/MenuUI.h"
#include "UiLib/menu/MenuWnd.h"
#include "UiLib/render/UIRender.h"

namespace UiLib {
namespace {

bool IsMenuElement(CControlUI* control) { return control && control->GetInterface(L"MenuElement"); }

}  // namespace

CMenuElementUI::CMenuElementUI() { fixed_.cy = kDefaultHeight; }

const wchar_t* CMenuElementUI::GetClass() const { return L"MenuElementUI"; }
DWORD CMenuElementUI::GetAccessibleRole() const { return ROLE_SYSTEM_MENUITEM; }

void* CMenuElementUI::GetInterface(const std::wstring& name) {
    if (name == L"MenuElement") return this;
    return CListContainerElementUI::GetInterface(name);
}

HWND CMenuElementUI::MenuWindow() const { return manager_ ? manager_->GetPaintWindow() : nullptr; }

std::shared_ptr<CMenuChain> CMenuElementUI::Chain() const {
    for (CControlUI* up = parent_; up; up = up->GetParent())
        if (auto* menu = static_cast<CMenuUI*>(up->GetInterface(L"Menu"))) return menu->GetChain();
    return nullptr;
}

std::vector<std::unique_ptr<CControlUI>> CMenuElementUI::TakeSubItems() {
    std::vector<CControlUI*> subItems;
    for (int i = 0; i < GetCount(); ++i)
        if (IsMenuElement(GetItemAt(i))) subItems.push_back(GetItemAt(i));
    std::vector<std::unique_ptr<CControlUI>> taken;
    for (CControlUI* item : subItems)
        if (std::unique_ptr<CControlUI> owned = Remove(item)) taken.push_back(std::move(owned));
    return taken;
}

void CMenuElementUI::ReturnSubItems(std::vector<std::unique_ptr<CControlUI>> items) {
    for (auto& item : items) {
        item->SetVisible(false);
        item->SetInternVisible(false);
        if (auto* entry = static_cast<IListItemUI*>(item->GetInterface(L"ListItem"))) entry->SetOwner(nullptr);
        Add(std::move(item));
    }
}

bool CMenuElementUI::ShowSubItems() {
    bool any = false;
    for (int i = 0; i < GetCount(); ++i) {
        CControlUI* child = GetItemAt(i);
        if (!IsMenuElement(child)) continue;
        child->SetVisible(true);
        child->SetInternVisible(true);
        any = true;
    }
    return any;
}

void CMenuElementUI::OpenSubMenu() {
    std::shared_ptr<CMenuChain> chain = Chain();
    if (subMenuWindow_ || !manager_ || !chain) return;
    chain->CloseSubMenusOf(MenuWindow());
    auto menu = std::make_unique<CMenuWnd>(chain);
    subMenuWindow_ = menu.get();
    auto open = [this](CMenuWnd& subMenu) {
        return subMenu.Init(this, std::wstring(), nullptr, CMenuWnd::kDefaultAlignment, POINT{0, 0});
    };
    // An open sub-menu clears subMenuWindow_ when its window goes; one that never opened is cleared here.
    if (!CWindowWnd::CreateOwned(std::move(menu), open)) subMenuWindow_ = nullptr;
}

void CMenuElementUI::OpenOrCloseAll() {
    if (ShowSubItems()) OpenSubMenu();
    else if (std::shared_ptr<CMenuChain> chain = Chain()) chain->CloseAll();
}

bool CMenuElementUI::Activate() {
    if (!CListContainerElementUI::Activate() || !selected_) return false;
    if (!subMenuWindow_) OpenOrCloseAll();
    return true;
}

void CMenuElementUI::SetInternVisible(bool visible) {
    CListContainerElementUI::SetInternVisible(visible);
    // Sub-entries never show inside the menu that holds their entry.
    for (int i = 0; i < GetCount(); ++i)
        if (IsMenuElement(GetItemAt(i))) GetItemAt(i)->SetInternVisible(false);
}

void CMenuElementUI::DoEvent(UiEvent& event) {
    if (event.Type == UIEVENT_MOUSEENTER) {
        CListContainerElementUI::DoEvent(event);
        if (subMenuWindow_) return;
        if (ShowSubItems()) {
            if (owner_) owner_->SelectItem(index_, true);
            OpenSubMenu();
        } else {
            if (std::shared_ptr<CMenuChain> chain = Chain()) chain->CloseSubMenusOf(MenuWindow());
            if (owner_) owner_->SelectItem(index_, true);
        }
        return;
    }
    if (event.Type == UIEVENT_BUTTONDOWN) {
        CListContainerElementUI::DoEvent(event);
        if (IsEnabled() && !subMenuWindow_) OpenOrCloseAll();
        return;
    }
    CListContainerElementUI::DoEvent(event);
}

void CMenuElementUI::DoPaint(HDC dc, const RECT& paint) {
    if (!::IntersectRect(&rcPaint_, &paint, &rcItem_)) return;
    DrawItemBk(dc);
    DrawItemText(dc, rcItem_);
    for (int i = 0; i < GetCount(); ++i) {
        CControlUI* child = GetItemAt(i);
        if (child->IsVisible() && !IsMenuElement(child)) child->DoPaint(dc, paint);
    }
}

void CMenuElementUI::DrawItemText(HDC dc, const RECT& item) {
    if (text_.empty() || !owner_ || !manager_) return;
    const ListItemStyle& style = *owner_->GetListInfo();
    UiColor color = ListItemTextColor(style, IsEnabled(), selected_, IsHot());
    const RECT padding = DpiScale().Scale(style.textPadding);
    RECT rect{item.left + padding.left, item.top + padding.top, item.right - padding.right,
              item.bottom - padding.bottom};
    UINT textStyle = DT_SINGLELINE | style.textStyle;
    if (style.showHtml) {
        int links = 0;
        CSkinRenderer::DrawMarkupText(dc, SkinResources(), rect, text_, color, nullptr, nullptr, links, textStyle,
                                      manager_->GetMousePos());
    } else {
        CSkinRenderer::DrawText(dc, SkinResources(), rect, text_, color, style.font, textStyle);
    }
}

SIZE CMenuElementUI::EstimateSize(SIZE available) {
    SIZE size{0, 0};
    for (int i = 0; i < GetCount(); ++i) {
        CControlUI* child = GetItemAt(i);
        if (!child->IsVisible()) continue;
        SIZE childSize = child->EstimateSize(available);
        size.cy += childSize.cy;
        size.cx = std::max(size.cx, childSize.cx);
    }
    if (size.cy == 0 && owner_ && manager_) {
        const ListItemStyle& style = *owner_->GetListInfo();
        RECT text{0, 0, std::max<LONG>(GetFixedWidth(), available.cx), 9999};
        if (text_.empty()) text = RECT{};
        CWindowDC screen(manager_->GetPaintWindow());
        UINT textStyle = DT_SINGLELINE | DT_CALCRECT | (style.textStyle & ~(DT_RIGHT | DT_CENTER));
        if (style.showHtml) {
            int links = 0;
            CSkinRenderer::DrawMarkupText(screen.Get(), SkinResources(), text, text_, 0, nullptr, nullptr, links,
                                          textStyle);
        } else {
            CSkinRenderer::DrawText(screen.Get(), SkinResources(), text, text_, 0, style.font, textStyle);
        }
        const RECT padding = DpiScale().Scale(style.textPadding);
        size.cx = text.right - text.left + padding.left + padding.right + DpiScale().Scale(20);
        size.cy = text.bottom - text.top + padding.top + padding.bottom;
    }
    if (fixed_.cy != 0) size.cy = GetFixedHeight();
    return size;
}

}  // namespace UiLib
