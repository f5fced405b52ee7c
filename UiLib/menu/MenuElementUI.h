#pragma once
#include <memory>
#include <vector>

#include "UiLib/controls/UIListContainerElement.h"
#include "UiLib/menu/MenuChain.h"

namespace UiLib {

class CMenuWnd;

// One entry of a menu. Entries nested in it form its sub-menu, which opens in a window of its
// own when the mouse enters the entry or it is clicked; a click on an entry without sub-entries
// closes every open menu.
class CMenuElementUI : public CListContainerElementUI {
public:
    static constexpr int kDefaultHeight = 25;

    CMenuElementUI();

    const wchar_t* GetClass() const override;
    DWORD GetAccessibleRole() const override;
    void* GetInterface(const std::wstring& name) override;

    CMenuWnd* GetSubMenuWindow() const { return subMenuWindow_; }
    void SetSubMenuWindow(CMenuWnd* window) { subMenuWindow_ = window; }
    // Hands the sub-entries to the sub-menu that shows them, and takes them back when it closes.
    std::vector<std::unique_ptr<CControlUI>> TakeSubItems();
    void ReturnSubItems(std::vector<std::unique_ptr<CControlUI>> items);
    // Forgets the hot state, as when its sub-menu has closed.
    void ClearHot() { state_ = 0; }

    // Sends "itemactivate"; a selected entry then opens its sub-menu or closes every menu.
    bool Activate() override;
    void SetInternVisible(bool visible = true) override;
    void DoEvent(UiEvent& event) override;
    void DoPaint(HDC dc, const RECT& paint) override;
    void DrawItemText(HDC dc, const RECT& item) override;
    // The summed height and widest of the visible children, or else the text's extent; a fixed
    // height replaces the height.
    SIZE EstimateSize(SIZE available) override;

private:
    // Shows the sub-entries; whether there are any.
    bool ShowSubItems();
    void OpenSubMenu();
    // Opens the sub-menu, or with no sub-entries closes every menu.
    void OpenOrCloseAll();
    HWND MenuWindow() const;
    // The chain of the menu this entry is in; null outside a menu window.
    std::shared_ptr<CMenuChain> Chain() const;

    CMenuWnd* subMenuWindow_ = nullptr;
};

}  // namespace UiLib
