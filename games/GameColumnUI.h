#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <vector>

#include "UiLib/Utils/Signal.h"
#include "UiLib/layouts/UIVerticalLayout.h"
#include "UiLib/tree/IAccessibleRowsUI.h"

class CGameButtonUI;

// What a game column shows: how many rows, and the game of a row on one of its buttons.
class IGameColumnRows {
public:
    virtual int RowCount() const = 0;
    // A new button with the look and the subscriptions of every game button; the column owns it.
    virtual std::unique_ptr<CGameButtonUI> MakeGameButton() = 0;
    virtual void ShowRow(CGameButtonUI& button, int row) = 0;
    // What screen readers are told of a row, with a button or without.
    virtual std::wstring RowName(int row) const = 0;
    virtual bool IsRowSelected(int row) const = 0;
    // The rows with a button changed (after ShowRow for each new one).
    virtual void RowsShown() = 0;

protected:
    ~IGameColumnRows() = default;
};

// The my-games column: one row per game between its first child (a spacer) and the controls after
// the games ("moregame" and a spacer). Only the rows in view and a few around them have a button,
// so thousands of games cost no more controls than a screenful; the room of the other rows is kept
// in the padding of the first and last button, so the layout, the scroll bar and the look are
// those of a column with every button. A row keeps its button while it stays near the view.
// Screen readers meet every row as an item of the column's list.
class CGameColumnUI : public UiLib::CVerticalLayoutUI, public UiLib::IAccessibleRowsUI {
public:
    static constexpr const wchar_t* kTag = L"GameColumn";
    // Rows with a button beyond each edge of the view.
    static constexpr int kSpareRows = 2;

    const wchar_t* GetClass() const override { return L"GameColumnUI"; }
    void* GetInterface(const std::wstring& name) override;
    void SetPos(RECT rect) override;
    void SetScrollPos(SIZE position) override;
    // With the focus (its row's button went out of view), the game keys act on the column.
    void DoEvent(UiLib::UiEvent& event) override;

    // The rows' source lives as long as the column or until it is replaced; null: no rows.
    void SetRows(IGameColumnRows* rows);
    // The number or the content of the rows changed: the rows near the view are shown again.
    void RowsChanged();
    // The row a button shows; -1 for any other control.
    int RowOf(const UiLib::CControlUI* control) const;
    // Scrolls the row just into view and gives its button.
    CGameButtonUI* ScrollToRow(int row);
    // The button of a row near the view; null for another row.
    CGameButtonUI* ButtonOf(int row) const;
    // The buttons of the rows near the view, in row order.
    const std::vector<CGameButtonUI*>& Buttons() const { return buttons_; }
    // How many rows a page of the view holds.
    int RowsPerPage() const;
    // A game key (Up, Down, Home, End, Page Up, Page Down, Enter) pressed while the column has the focus.
    [[nodiscard]] UiLib::CSubscription OnKey(std::function<void(UINT key)> handler) {
        return keyPressed_.Connect(std::move(handler));
    }

    int AccessibleRowCount() const override { return RowCount(); }
    std::wstring AccessibleRowName(int row) const override { return rows_->RowName(row); }
    bool IsAccessibleRowSelected(int row) const override { return rows_->IsRowSelected(row); }
    UiLib::CControlUI* AccessibleRowControl(int row) const override;
    int AccessibleRowOf(const UiLib::CControlUI* control) const override { return RowOf(control); }
    UiLib::CControlUI* ShowAccessibleRow(int row) override;

private:
    struct RowSpan {
        int first = 0;
        int end = 0;  // past the last
        bool operator==(const RowSpan& other) const { return first == other.first && end == other.end; }
    };

    // The rows from just above to just below the view at the current scroll position.
    RowSpan RowsNearView() const;
    int RowPitch() const;
    // Where the first row starts below the column's inner top, scrolled to the top.
    int RowsTop() const;
    int RowCount() const { return rows_ ? rows_->RowCount() : 0; }
    void ShowRows(RowSpan span);
    CGameButtonUI* AddPoolButton();
    void RemovePoolButton(CGameButtonUI* button);
    void KeepRoomOfHiddenRows();

    IGameColumnRows* rows_ = nullptr;
    RowSpan shown_;
    // Children from index 1 on, in row order: the button of row shown_.first + i is buttons_[i].
    std::vector<CGameButtonUI*> buttons_;
    std::vector<int> buttonRows_;
    UiLib::CSignal<UINT> keyPressed_;
};

// Whether the key moves through or starts the games of the column.
bool IsGameKey(UINT key);
