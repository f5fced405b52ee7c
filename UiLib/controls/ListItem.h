#pragma once
#include <oleacc.h>

#include <string>

#include "UiLib/controls/IListUI.h"
#include "UiLib/controls/ListItemSupport.h"
#include "UiLib/tree/ControlHost.h"
#include "UiLib/tree/UIControl.h"

namespace UiLib {

// The behaviour every list item shares, whatever control it is built on: its place and selection
// in the owner list, activation, the hot state, and handing unhandled events to the list.
template <typename Base>
class CListItem : public Base, public IListItemUI {
public:
    UINT GetControlFlags() const override { return UIFLAG_TABSTOP; }

    int GetIndex() const override { return index_; }
    void SetIndex(int index) override { index_ = index; }
    IListOwnerUI* GetOwner() const override { return owner_; }
    void SetOwner(CControlUI* owner) override {
        owner_ = owner ? static_cast<IListOwnerUI*>(owner->GetInterface(L"IListOwner")) : nullptr;
    }
    DWORD GetAccessibleRole() const override { return ROLE_SYSTEM_LISTITEM; }
    DWORD GetAccessibleState() const override {
        return Base::GetAccessibleState() | STATE_SYSTEM_SELECTABLE | (selected_ ? STATE_SYSTEM_SELECTED : 0);
    }
    bool AccessibleSelect() override { return Select(true); }
    bool IsSelected() const override { return selected_; }
    // Refused for a disabled item; selecting asks the owner list to select this item.
    bool Select(bool select = true) override {
        if (!this->IsEnabled()) return false;
        if (select == selected_) return true;
        selected_ = select;
        this->AnnounceChange(EVENT_OBJECT_STATECHANGE);
        if (select) this->AnnounceChange(EVENT_OBJECT_SELECTION);
        if (select && owner_) owner_->SelectItem(index_);
        this->Invalidate();
        return true;
    }
    bool IsExpanded() const override { return false; }
    bool Expand(bool) override { return false; }

    bool IsHot() const { return (state_ & kListItemHot) != 0; }
    // Sends "itemactivate" when visible and enabled.
    bool Activate() override {
        if (!Base::Activate()) return false;
        if (!this->manager_) return true;
        activated_.Emit();
        this->manager_->SendNotify(this, L"itemactivate");
        return true;
    }
    // Called where "itemactivate" goes out, just before it (double click, Return).
    [[nodiscard]] CSubscription OnActivated(std::function<void()> handler) {
        return activated_.Connect(std::move(handler));
    }
    void SetVisible(bool visible = true) override {
        Base::SetVisible(visible);
        // A hidden item cannot stay selected.
        if (!this->IsVisible() && selected_) {
            selected_ = false;
            if (owner_) owner_->SelectItem(-1);
        }
    }
    void SetEnabled(bool enabled = true) override {
        Base::SetEnabled(enabled);
        if (!this->IsEnabled()) state_ = 0;
    }
    void DoEvent(UiEvent& event) override {
        const bool passedOn = !this->IsMouseEnabled() && IsMouseEvent(event.Type);
        if (!passedOn && HandleListItemEvent(*this, *this, event, state_)) return;
        if (owner_) owner_->DoEvent(event);
        else Base::DoEvent(event);
    }
    // "selected" selects the item whatever its value says.
    static const CAttributeTable& Attributes() {
        static const CAttributeTable table = CAttributeTable::Of<CListItem>(
            &Base::Attributes(), {{L"selected", [](CListItem& item, const std::wstring&) { item.Select(true); }}});
        return table;
    }
    const CAttributeTable& GetAttributeTable() const override { return Attributes(); }
    // The own background image is part of the item background.
    void PaintBkImage(HDC) override {}

protected:
    void* ListItemInterface(const std::wstring& name) {
        return name == L"ListItem" ? static_cast<IListItemUI*>(this) : nullptr;
    }
    // Fills the background by state.
    virtual void DrawItemBk(HDC dc) {
        if (!owner_) return;
        PaintListItemBackground(dc, *this, this->rcPaint_, *owner_->GetListInfo(), index_, selected_, IsHot(),
                                this->bkImage_);
    }

    IListOwnerUI* owner_ = nullptr;
    int index_ = -1;
    bool selected_ = false;
    UINT state_ = 0;

private:
    CSignal<> activated_;
};

}  // namespace UiLib
