#pragma once
#include <memory>

#include "UiLib/controls/UIList.h"
#include "UiLib/menu/MenuChain.h"

namespace UiLib {

// The content of a menu window: a header-less list that takes only menu items.
class CMenuUI : public CListUI {
public:
    CMenuUI();

    const wchar_t* GetClass() const override;
    DWORD GetAccessibleRole() const override;
    void* GetInterface(const std::wstring& name) override;

    // Anything that is not a menu item is refused (index -1, false, null). An added item's own
    // items stay hidden: they show in a sub-menu of their own.
    int GetItemIndex(CControlUI* control) const override;
    bool SetItemIndex(CControlUI* control, int index) override;
    bool Add(std::unique_ptr<CControlUI> control) override;
    bool AddAt(std::unique_ptr<CControlUI> control, int index) override;
    std::unique_ptr<CControlUI> Remove(CControlUI* control) override;

    // The menus open together with the one this is the content of; its items open and close them.
    const std::shared_ptr<CMenuChain>& GetChain() const { return chain_; }
    void SetChain(std::shared_ptr<CMenuChain> chain) { chain_ = std::move(chain); }

    // Every item takes the full width of the menu.
    void SetPos(RECT rect) override;
    // The widest and the summed height of the visible items, with the insets around them.
    SIZE EstimateSize(SIZE available) override;

private:
    std::shared_ptr<CMenuChain> chain_;
};

}  // namespace UiLib
