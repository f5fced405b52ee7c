#pragma once
#include "UiLib/tree/UIContainer.h"

namespace UiLib {

// Shows exactly one of its children (a page) at a time.
class CTabLayoutUI : public CContainerUI {
public:
    const wchar_t* GetClass() const override;
    void* GetInterface(const std::wstring& name) override;

    bool Add(std::unique_ptr<CControlUI> control) override;
    bool AddAt(std::unique_ptr<CControlUI> control, int index) override;
    std::unique_ptr<CControlUI> RemoveAt(int index) override;
    void RemoveAll() override;

    int GetCurSel() const { return currentSelection_; }
    // Shows page `index` and hides the others; notifies "tabselect" (new index, old index).
    virtual bool SelectItem(int index);
    // Called where "tabselect" goes out, just before it, with the page now shown.
    [[nodiscard]] CSubscription OnTabSelected(std::function<void(int index)> handler) {
        return tabSelected_.Connect(std::move(handler));
    }

    void SetPos(RECT rect) override;
    static const CAttributeTable& Attributes();
    const CAttributeTable& GetAttributeTable() const override;

private:
    int currentSelection_ = -1;
    CSignal<int> tabSelected_;
};

}  // namespace UiLib
