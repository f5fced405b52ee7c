#include "UiLib/controls/UIListContainerElement.h"

#include "UiLib/core/UIManager.h"

namespace UiLib {

const wchar_t* CListContainerElementUI::GetClass() const { return L"ListContainerElementUI"; }

void* CListContainerElementUI::GetInterface(const std::wstring& name) {
    if (name == L"ListItem") return static_cast<IListItemUI*>(this);
    if (name == L"ListContainerElement") return static_cast<CListContainerElementUI*>(this);
    return CHorizontalLayoutUI::GetInterface(name);
}

UINT CListContainerElementUI::GetControlFlags() const { return UIFLAG_TABSTOP; }

void CListContainerElementUI::SetOwner(CControlUI* owner) {
    owner_ = owner ? static_cast<IListOwnerUI*>(owner->GetInterface(L"IListOwner")) : nullptr;
}

bool CListContainerElementUI::Select(bool select) {
    if (!IsEnabled()) return false;
    if (select == selected_) return true;
    selected_ = select;
    if (select && owner_) owner_->SelectItem(index_);
    Invalidate();
    return true;
}

bool CListContainerElementUI::Activate() {
    if (!CHorizontalLayoutUI::Activate()) return false;
    if (manager_) manager_->SendNotify(this, L"itemactivate");
    return true;
}

void CListContainerElementUI::SetVisible(bool visible) {
    CHorizontalLayoutUI::SetVisible(visible);
    // A hidden item cannot stay selected.
    if (!IsVisible() && selected_) {
        selected_ = false;
        if (owner_) owner_->SelectItem(-1);
    }
}

void CListContainerElementUI::SetEnabled(bool enabled) {
    CHorizontalLayoutUI::SetEnabled(enabled);
    if (!IsEnabled()) state_ = 0;
}

void CListContainerElementUI::DoEvent(UiEvent& event) {
    if (!IsMouseEnabled() && IsMouseEvent(event.Type)) {
        if (owner_) owner_->DoEvent(event);
        else CHorizontalLayoutUI::DoEvent(event);
        return;
    }
    if (HandleListItemEvent(*this, *this, event, state_)) return;
    if (owner_) owner_->DoEvent(event);
    else CHorizontalLayoutUI::DoEvent(event);
}

void CListContainerElementUI::SetAttribute(const std::wstring& name, const std::wstring& value) {
    if (name == L"selected") Select(true);
    else CHorizontalLayoutUI::SetAttribute(name, value);
}

void CListContainerElementUI::DoPaint(HDC dc, const RECT& paint) {
    if (!::IntersectRect(&rcPaint_, &paint, &rcItem_)) return;
    DrawItemBk(dc);
    CHorizontalLayoutUI::DoPaint(dc, paint);
}

void CListContainerElementUI::DrawItemBk(HDC dc) {
    if (!owner_) return;
    PaintListItemBackground(dc, *this, rcPaint_, *owner_->GetListInfo(), index_, selected_,
                            (state_ & kListItemHot) != 0, bkImage_);
}

}  // namespace UiLib
