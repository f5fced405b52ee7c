#include "games/GameColumnUI.h"

#include <algorithm>
#include <map>

#include "UiLib/tree/ControlHost.h"
#include "UiLib/tree/ControlRegistry.h"
#include "games/GameButtonUI.h"

using namespace UiLib;

UILIB_REGISTER_CONTROL(CGameColumnUI::kTag, CGameColumnUI);

bool IsGameKey(UINT key) {
    switch (key) {
    case VK_UP:
    case VK_DOWN:
    case VK_HOME:
    case VK_END:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_RETURN: return true;
    default: return false;
    }
}

void* CGameColumnUI::GetInterface(const std::wstring& name) {
    if (name == L"GameColumn") return this;
    if (name == L"AccessibleRows") return static_cast<IAccessibleRowsUI*>(this);
    return CVerticalLayoutUI::GetInterface(name);
}

void CGameColumnUI::SetRows(IGameColumnRows* rows) {
    rows_ = rows;
    RowsChanged();
}

void CGameColumnUI::RowsChanged() {
    // Every button shows its row again: what a row holds may have changed.
    std::fill(buttonRows_.begin(), buttonRows_.end(), -1);
    SetPos(rcItem_);
    NeedUpdate();
}

void CGameColumnUI::SetPos(RECT rect) {
    // The first button gives the rows' height: there is one whenever there are rows.
    if (RowCount() > 0 && buttons_.empty()) {
        if (CGameButtonUI* first = AddPoolButton()) {
            buttons_.push_back(first);
            buttonRows_.push_back(-1);
        }
    }
    const int before = GetScrollPos().cy;
    const RECT inset = GetInset();
    const int viewHeight = std::max<int>(0, rect.bottom - rect.top - inset.top - inset.bottom);
    const int pitch = RowPitch();
    RowSpan span;
    if (pitch > 0 && RowCount() > 0) {
        const int rowsTop = RowsTop();
        span.first = std::max(0, (before - rowsTop) / pitch - kSpareRows);
        span.end = std::clamp((before + viewHeight - rowsTop) / pitch + 1 + kSpareRows, span.first, RowCount());
    }
    ShowRows(span);
    CVerticalLayoutUI::SetPos(rect);
}

void CGameColumnUI::SetScrollPos(SIZE position) {
    const int before = GetScrollPos().cy;
    CVerticalLayoutUI::SetScrollPos(position);
    // The rows near the view are found and placed again: a few controls, whatever the number of games.
    if (GetScrollPos().cy != before) SetPos(rcItem_);
}

void CGameColumnUI::DoEvent(UiEvent& event) {
    if (event.Type == UIEVENT_KEYDOWN && event.pSender == this && IsGameKey(event.chKey)) {
        keyPressed_.Emit(event.chKey);
        return;
    }
    CVerticalLayoutUI::DoEvent(event);
}

int CGameColumnUI::RowPitch() const { return buttons_.empty() ? 0 : buttons_.front()->GetFixedHeight() + GetChildPadding(); }

int CGameColumnUI::RowsTop() const {
    CControlUI* spacer = GetItemAt(0);
    const bool isSpacer = spacer && (buttons_.empty() || spacer != buttons_.front());
    return isSpacer ? spacer->GetFixedHeight() + GetChildPadding() : 0;
}

int CGameColumnUI::RowsPerPage() const {
    const RECT inset = InsetRect();
    const int pitch = RowPitch();
    return pitch > 0 ? std::max<int>(1, (inset.bottom - inset.top) / pitch) : 1;
}

void CGameColumnUI::ShowRows(RowSpan span) {
    // A row near the view keeps its button; the others' buttons take the rows that come into view.
    std::map<int, CGameButtonUI*> kept;
    std::vector<CGameButtonUI*> unused;
    for (size_t i = 0; i < buttons_.size(); ++i) {
        const int row = buttonRows_[i];
        if (row >= span.first && row < span.end) kept[row] = buttons_[i];
        else unused.push_back(buttons_[i]);
    }
    // The focus stays in the column, not on a button about to show another game or to go.
    CControlHost* manager = GetManager();
    if (manager && std::find(unused.begin(), unused.end(), manager->GetFocus()) != unused.end()) SetFocus();

    const size_t wanted = static_cast<size_t>(span.end - span.first);
    while (kept.size() + unused.size() < wanted && rows_) {
        CGameButtonUI* added = AddPoolButton();
        if (!added) break;
        unused.push_back(added);
    }
    while (kept.size() + unused.size() > wanted) {
        RemovePoolButton(unused.back());
        unused.pop_back();
    }
    std::vector<CGameButtonUI*> ordered;
    std::vector<int> rows;
    bool changed = !(span == shown_);
    for (int row = span.first; row < span.end && rows_; ++row) {
        auto found = kept.find(row);
        CGameButtonUI* button = nullptr;
        if (found != kept.end()) {
            button = found->second;
        } else if (!unused.empty()) {
            button = unused.back();
            unused.pop_back();
            rows_->ShowRow(*button, row);
            changed = true;
        } else {
            break;
        }
        ordered.push_back(button);
        rows.push_back(row);
    }
    // Children in row order, just after the first spacer, as the layout stacks them.
    for (size_t i = 0; i < ordered.size(); ++i) items_.Move(items_.IndexOf(ordered[i]), static_cast<int>(i) + 1);
    buttons_ = std::move(ordered);
    buttonRows_ = std::move(rows);
    shown_ = RowSpan{span.first, span.first + static_cast<int>(buttons_.size())};
    KeepRoomOfHiddenRows();
    if (changed && rows_) rows_->RowsShown();
}

CGameButtonUI* CGameColumnUI::AddPoolButton() {
    std::unique_ptr<CGameButtonUI> button = rows_->MakeGameButton();
    CGameButtonUI* added = button.get();
    // After the first spacer; the rows put their buttons in order.
    return AddAt(std::move(button), 1) ? added : nullptr;
}

void CGameColumnUI::RemovePoolButton(CGameButtonUI* button) {
    // A button may be the sender of the notification being handled: it goes after it.
    std::unique_ptr<CControlUI> removed = Remove(button);
    if (removed && GetManager()) GetManager()->AddDelayedCleanup(std::move(removed));
}

void CGameColumnUI::KeepRoomOfHiddenRows() {
    const int pitch = RowPitch();
    for (CGameButtonUI* button : buttons_) button->SetRoomOfHiddenRows(0, 0);
    if (buttons_.empty()) return;
    const int above = shown_.first * pitch;
    const int below = (RowCount() - shown_.end) * pitch;
    if (buttons_.size() == 1) {
        buttons_.front()->SetRoomOfHiddenRows(above, below);
        return;
    }
    buttons_.front()->SetRoomOfHiddenRows(above, 0);
    buttons_.back()->SetRoomOfHiddenRows(0, below);
}

int CGameColumnUI::RowOf(const CControlUI* control) const {
    for (size_t i = 0; i < buttons_.size(); ++i)
        if (buttons_[i] == control) return buttonRows_[i];
    return -1;
}

CGameButtonUI* CGameColumnUI::ScrollToRow(int row) {
    if (row < 0 || row >= RowCount() || buttons_.empty()) return nullptr;
    const RECT shown = InsetRect();
    const int top = shown.top + RowsTop() + row * RowPitch() - GetScrollPos().cy;
    const int bottom = top + buttons_.front()->GetFixedHeight();
    SIZE position = GetScrollPos();
    if (top < shown.top) position.cy -= shown.top - top;
    else if (bottom > shown.bottom) position.cy += bottom - shown.bottom;
    SetScrollPos(position);
    return ButtonOf(row);
}

CGameButtonUI* CGameColumnUI::ButtonOf(int row) const {
    for (size_t i = 0; i < buttons_.size(); ++i)
        if (buttonRows_[i] == row) return buttons_[i];
    return nullptr;
}

CControlUI* CGameColumnUI::AccessibleRowControl(int row) const { return ButtonOf(row); }

CControlUI* CGameColumnUI::ShowAccessibleRow(int row) { return ScrollToRow(row); }
