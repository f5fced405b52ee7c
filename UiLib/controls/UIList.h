#pragma once
#include <memory>
#include <vector>

#include "UiLib/controls/IListUI.h"
#include "UiLib/layouts/UIVerticalLayout.h"

namespace UiLib {

class CListBodyUI;
class CListHeaderUI;

// A vertical list: a header row, then a scrolling body with the items, which share one item
// style. The list keeps the selection, moves it with the keyboard and sends "itemselect".
class CListUI : public CVerticalLayoutUI, public IListUI {
public:
    CListUI();

    const wchar_t* GetClass() const override;
    DWORD GetAccessibleRole() const override;
    void* GetInterface(const std::wstring& name) override;
    UINT GetControlFlags() const override;

    CListHeaderUI* GetHeader() const override { return header_; }
    CContainerUI* GetList() const override;
    ListItemStyle* GetListInfo() override { return &style_; }
    int GetCurSel() const override;
    bool SelectItem(int index, bool takeFocus = false) override;
    // Called where "itemselect" goes out, just before it, with the index selected.
    [[nodiscard]] CSubscription OnItemSelected(std::function<void(int index)> handler) {
        return itemSelected_.Connect(std::move(handler));
    }
    const std::vector<int>& GetSelectedItems() const { return selected_; }
    bool IsMultiSelect() const { return multiSelect_; }
    // Leaving multiple selection keeps only the current item selected.
    void SetMultiSelect(bool multiple);
    bool GetScrollSelect() const { return scrollSelect_; }
    void SetScrollSelect(bool on) { scrollSelect_ = on; }
    // Scrolls the body so that the item at `index` is inside it.
    void EnsureVisible(int index);

    // The items are the body's children; a header or a header item goes to the header instead.
    CControlUI* GetItemAt(int index) const override;
    int GetItemIndex(CControlUI* control) const override;
    bool SetItemIndex(CControlUI* control, int index) override;
    int GetCount() const override;
    bool Add(std::unique_ptr<CControlUI> control) override;
    bool AddAt(std::unique_ptr<CControlUI> control, int index) override;
    std::unique_ptr<CControlUI> Remove(CControlUI* control) override;
    std::unique_ptr<CControlUI> RemoveAt(int index) override;
    void RemoveAll() override;

    SIZE GetScrollPos() const override;
    SIZE GetScrollRange() const override;
    void SetScrollPos(SIZE position) override;
    void LineUp() override;
    void LineDown() override;
    void PageUp() override;
    void PageDown() override;
    void HomeUp() override;
    void EndDown() override;
    void EnableScrollBar(bool vertical = true, bool horizontal = false) override;
    CScrollBarUI* GetVerticalScrollBar() const override;
    CScrollBarUI* GetHorizontalScrollBar() const override;

    void SetPos(RECT rect) override;
    void DoEvent(UiEvent& event) override;
    static const CAttributeTable& Attributes();
    const CAttributeTable& GetAttributeTable() const override;

private:
    // The first visible, enabled item from `index` on in the given direction, or -1.
    int FindSelectable(int index, bool forward) const;
    void SelectByKey(int index);
    void ClearSelection();
    void Deselect(int index);
    // Gives the items from `first` on their index again after an insertion or removal.
    void Renumber(int first);
    // Moves the recorded selection after the item at `index` came (+1) or went (-1).
    void ShiftSelection(int index, int delta);
    void RecordColumns();

    ListItemStyle style_;
    CListHeaderUI* header_ = nullptr;
    CListBodyUI* body_ = nullptr;
    bool multiSelect_ = false;
    bool scrollSelect_ = false;
    std::vector<int> selected_;
    CSignal<int> itemSelected_;
    // The index being selected: the item's own call back into the list is already answered.
    int selecting_ = -1;
};

}  // namespace UiLib
