#include "UiLib/menu/MenuUI.h"

#include <oleacc.h>

#include <algorithm>

#include "UiLib/controls/UIListHeader.h"

namespace UiLib {
namespace {

bool IsMenuElement(CControlUI* control) { return control && control->GetInterface(L"MenuElement"); }

void HideSubItems(CControlUI* item) {
    auto* container = static_cast<CContainerUI*>(item->GetInterface(L"Container"));
    if (!container) return;
    for (int i = 0; i < container->GetCount(); ++i) {
        CControlUI* child = container->GetItemAt(i);
        if (IsMenuElement(child)) child->SetInternVisible(false);
    }
}

}  // namespace

CMenuUI::CMenuUI() { GetHeader()->SetVisible(false); }

const wchar_t* CMenuUI::GetClass() const { return L"MenuUI"; }
DWORD CMenuUI::GetAccessibleRole() const { return ROLE_SYSTEM_MENUPOPUP; }

void* CMenuUI::GetInterface(const std::wstring& name) {
    if (name == L"Menu") return this;
    return CListUI::GetInterface(name);
}

int CMenuUI::GetItemIndex(CControlUI* control) const {
    return IsMenuElement(control) ? CListUI::GetItemIndex(control) : -1;
}

bool CMenuUI::SetItemIndex(CControlUI* control, int index) {
    return IsMenuElement(control) && CListUI::SetItemIndex(control, index);
}

bool CMenuUI::Add(std::unique_ptr<CControlUI> control) {
    if (!IsMenuElement(control.get())) return false;
    HideSubItems(control.get());
    return CListUI::Add(std::move(control));
}

bool CMenuUI::AddAt(std::unique_ptr<CControlUI> control, int index) {
    if (!IsMenuElement(control.get())) return false;
    HideSubItems(control.get());
    return CListUI::AddAt(std::move(control), index);
}

std::unique_ptr<CControlUI> CMenuUI::Remove(CControlUI* control) {
    return IsMenuElement(control) ? CListUI::Remove(control) : nullptr;
}

void CMenuUI::SetPos(RECT rect) {
    CListUI::SetPos(rect);
    CContainerUI* body = GetList();
    RECT inner = body->GetPos();
    RECT inset = body->GetInset();
    inner.left += inset.left;
    inner.right -= inset.right;
    if (CScrollBarUI* bar = body->GetVerticalScrollBar(); bar && bar->IsVisible()) inner.right -= bar->GetFixedWidth();
    for (int i = 0; i < GetCount(); ++i) {
        CControlUI* item = GetItemAt(i);
        if (!item->IsVisible() || item->IsFloat()) continue;
        RECT pos = item->GetPos();
        if (pos.left == inner.left && pos.right == inner.right) continue;
        item->SetPos(RECT{inner.left, pos.top, inner.right, pos.bottom});
    }
}

SIZE CMenuUI::EstimateSize(SIZE available) {
    SIZE size{0, 0};
    for (int i = 0; i < GetCount(); ++i) {
        CControlUI* item = GetItemAt(i);
        if (!item->IsVisible()) continue;
        SIZE itemSize = item->EstimateSize(available);
        size.cy += itemSize.cy;
        size.cx = std::max(size.cx, itemSize.cx);
    }
    // The insets belong to the menu too, or its last item would be cut off.
    RECT inset = GetInset();
    RECT bodyInset = GetList()->GetInset();
    size.cx += inset.left + inset.right + bodyInset.left + bodyInset.right;
    size.cy += inset.top + inset.bottom + bodyInset.top + bodyInset.bottom;
    return size;
}

}  // namespace UiLib
