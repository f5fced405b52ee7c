#include "UiLib/controls/UIListElement.h"

#include "UiLib/core/UIManager.h"

namespace UiLib {

const wchar_t* CListElementUI::GetClass() const { return L"ListElementUI"; }

void* CListElementUI::GetInterface(const std::wstring& name) {
    if (name == L"ListItem") return static_cast<IListItemUI*>(this);
    if (name == L"ListElement") return static_cast<CListElementUI*>(this);
    return CControlUI::GetInterface(name);
}

UINT CListElementUI::GetControlFlags() const { return UIFLAG_TABSTOP; }

void CListElementUI::SetOwner(CControlUI* owner) {
    owner_ = owner ? static_cast<IListOwnerUI*>(owner->GetInterface(L"IListOwner")) : nullptr;
}

bool CListElementUI::Select(bool select) {
    if (!IsEnabled()) return false;
    if (select == selected_) return true;
    selected_ = select;
    if (select && owner_) owner_->SelectItem(index_);
    Invalidate();
    return true;
}

bool CListElementUI::Activate() {
    if (!CControlUI::Activate()) return false;
    if (manager_) manager_->SendNotify(this, L"itemactivate");
    return true;
}

void CListElementUI::SetVisible(bool visible) {
    CControlUI::SetVisible(visible);
    if (!IsVisible() && selected_) {
        selected_ = false;
        if (owner_) owner_->SelectItem(-1);
    }
}

void CListElementUI::SetEnabled(bool enabled) {
    CControlUI::SetEnabled(enabled);
    if (!IsEnabled()) state_ = 0;
}

void CListElementUI::DoEvent(UiEvent& event) {
    if (!IsMouseEnabled() && IsMouseEvent(event.Type)) {
        if (owner_) owner_->DoEvent(event);
        else CControlUI::DoEvent(event);
        return;
    }
    if (HandleListItemEvent(*this, *this, event, state_)) return;
    if (owner_) owner_->DoEvent(event);
    else CControlUI::DoEvent(event);
}

void CListElementUI::SetAttribute(const std::wstring& name, const std::wstring& value) {
    if (name == L"selected") Select(true);
    else CControlUI::SetAttribute(name, value);
}

void CListElementUI::DrawItemBk(HDC dc) {
    if (!owner_) return;
    PaintListItemBackground(dc, *this, rcPaint_, *owner_->GetListInfo(), index_, selected_, IsHot(), bkImage_);
}

}  // namespace UiLib
