#pragma once
#include "UiLib/controls/IListUI.h"
#include "UiLib/controls/ListItemSupport.h"
#include "UiLib/controls/UIControl.h"

namespace UiLib {

// The base of the list's text items: a single control with the item state and a background that
// follows the list's item style.
class CListElementUI : public CControlUI, public IListItemUI {
public:
    const wchar_t* GetClass() const override;
    void* GetInterface(const std::wstring& name) override;
    UINT GetControlFlags() const override;

    int GetIndex() const override { return index_; }
    void SetIndex(int index) override { index_ = index; }
    IListOwnerUI* GetOwner() const override { return owner_; }
    void SetOwner(CControlUI* owner) override;
    bool IsSelected() const override { return selected_; }
    bool Select(bool select = true) override;
    bool IsExpanded() const override { return false; }
    bool Expand(bool) override { return false; }

    bool IsHot() const { return (state_ & kListItemHot) != 0; }
    bool Activate() override;
    void SetVisible(bool visible = true) override;
    void SetEnabled(bool enabled = true) override;
    void DoEvent(UiEvent& event) override;
    void SetAttribute(const std::wstring& name, const std::wstring& value) override;
    void PaintBkImage(HDC) override {}

protected:
    void DrawItemBk(HDC dc);

    IListOwnerUI* owner_ = nullptr;
    int index_ = -1;
    bool selected_ = false;
    UINT state_ = 0;
};

}  // namespace UiLib
