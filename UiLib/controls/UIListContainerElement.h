#pragma once
#include "UiLib/controls/IListUI.h"
#include "UiLib/controls/ListItemSupport.h"
#include "UiLib/layouts/UIHorizontalLayout.h"

namespace UiLib {

// A list item that holds controls of its own, laid out side by side; its background follows the
// list's item style by state.
class CListContainerElementUI : public CHorizontalLayoutUI, public IListItemUI {
public:
    const wchar_t* GetClass() const override;
    void* GetInterface(const std::wstring& name) override;
    UINT GetControlFlags() const override;

    int GetIndex() const override { return index_; }
    void SetIndex(int index) override { index_ = index; }
    IListOwnerUI* GetOwner() const override { return owner_; }
    void SetOwner(CControlUI* owner) override;
    bool IsSelected() const override { return selected_; }
    // Refused for a disabled item; selecting asks the owner list to select this item.
    bool Select(bool select = true) override;
    bool IsExpanded() const override { return false; }
    bool Expand(bool) override { return false; }
    void DrawItemText(HDC, const RECT&) override {}

    bool IsHot() const { return (state_ & kListItemHot) != 0; }
    // Sends "itemactivate" when visible and enabled.
    bool Activate() override;
    void SetVisible(bool visible = true) override;
    void SetEnabled(bool enabled = true) override;
    void DoEvent(UiEvent& event) override;
    void SetAttribute(const std::wstring& name, const std::wstring& value) override;
    void DoPaint(HDC dc, const RECT& paint) override;
    // The own background image is part of the item background.
    void PaintBkImage(HDC) override {}

protected:
    // Fills the background by state (before the children are painted).
    virtual void DrawItemBk(HDC dc);

    IListOwnerUI* owner_ = nullptr;
    int index_ = -1;
    bool selected_ = false;
    UINT state_ = 0;
};

}  // namespace UiLib
