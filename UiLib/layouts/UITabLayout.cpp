#include "UiLib/layouts/UITabLayout.h"

#include <algorithm>

#include "UiLib/Utils/AttributeValue.h"
#include "UiLib/tree/ControlHost.h"
#include "UiLib/tree/ControlRegistry.h"

namespace UiLib {

UILIB_REGISTER_CONTROL(L"TabLayout", CTabLayoutUI);

const wchar_t* CTabLayoutUI::GetClass() const { return L"TabLayoutUI"; }

void* CTabLayoutUI::GetInterface(const std::wstring& name) {
    if (name == L"TabLayout") return this;
    return CContainerUI::GetInterface(name);
}

bool CTabLayoutUI::Add(std::unique_ptr<CControlUI> control) {
    CControlUI* page = control.get();
    if (!CContainerUI::Add(std::move(control))) return false;
    if (currentSelection_ == -1 && page->IsVisible()) currentSelection_ = GetItemIndex(page);
    else page->SetVisible(false);
    return true;
}

bool CTabLayoutUI::AddAt(std::unique_ptr<CControlUI> control, int index) {
    CControlUI* page = control.get();
    if (!CContainerUI::AddAt(std::move(control), index)) return false;
    if (currentSelection_ == -1 && page->IsVisible()) {
        currentSelection_ = index;
        return true;
    }
    if (currentSelection_ != -1 && index <= currentSelection_) ++currentSelection_;
    page->SetVisible(false);
    return true;
}

std::unique_ptr<CControlUI> CTabLayoutUI::RemoveAt(int index) {
    std::unique_ptr<CControlUI> page = CContainerUI::RemoveAt(index);
    if (!page) return nullptr;
    if (index == currentSelection_) {
        if (GetCount() > 0) {
            currentSelection_ = 0;
            GetItemAt(0)->SetVisible(true);
        } else {
            currentSelection_ = -1;
        }
        NeedParentUpdate();
    } else if (index < currentSelection_) {
        --currentSelection_;
    }
    return page;
}

void CTabLayoutUI::RemoveAll() {
    currentSelection_ = -1;
    CContainerUI::RemoveAll();
    NeedParentUpdate();
}

bool CTabLayoutUI::SelectItem(int index) {
    if (index < 0 || index >= GetCount()) return false;
    if (index == currentSelection_) return true;
    int old = currentSelection_;
    currentSelection_ = index;
    for (int i = 0; i < GetCount(); ++i) {
        CControlUI* page = GetItemAt(i);
        if (i != index) {
            page->SetVisible(false);
            continue;
        }
        page->SetVisible(true);
        page->SetFocus();
    }
    SetPos(rcItem_);
    NeedParentUpdate();
    if (manager_) {
        manager_->SetNextTabControl();
        tabSelected_.Emit(currentSelection_);
        manager_->SendNotify(this, L"tabselect", currentSelection_, old);
    }
    return true;
}

void CTabLayoutUI::SetPos(RECT rect) {
    CControlUI::SetPos(rect);
    RECT inner = InsetRect();
    for (int i = 0; i < GetCount(); ++i) {
        CControlUI* page = GetItemAt(i);
        if (!page->IsVisible()) continue;
        if (page->IsFloat()) {
            SetFloatPos(i);
            continue;
        }
        if (i != currentSelection_) continue;
        RECT padding = page->GetPadding();
        RECT room{inner.left + padding.left, inner.top + padding.top, inner.right - padding.right,
                  inner.bottom - padding.bottom};
        SIZE available{std::max<LONG>(0, room.right - room.left), std::max<LONG>(0, room.bottom - room.top)};
        SIZE size = page->EstimateSize(available);
        if (size.cx == 0) size.cx = available.cx;
        if (size.cy == 0) size.cy = available.cy;
        size.cx = std::clamp<LONG>(size.cx, page->GetMinWidth(), std::max(page->GetMinWidth(), page->GetMaxWidth()));
        size.cy = std::clamp<LONG>(size.cy, page->GetMinHeight(), std::max(page->GetMinHeight(), page->GetMaxHeight()));
        page->SetPos(RECT{room.left, room.top, room.left + size.cx, room.top + size.cy});
    }
}

const CAttributeTable& CTabLayoutUI::GetAttributeTable() const { return Attributes(); }

const CAttributeTable& CTabLayoutUI::Attributes() {
    using C = CTabLayoutUI;
    using V = const std::wstring&;
    static const CAttributeTable table = CAttributeTable::Of<C>(&CContainerUI::Attributes(), {
        {L"selectedid", [](C& c, V v) {
             long index = ParseIntValue(v);
             if (index >= 0) c.SelectItem(static_cast<int>(index));
         }},
    });
    return table;
}

}  // namespace UiLib
