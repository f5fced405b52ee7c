#include "UiLib/controls/UIList.h"

#include <oleacc.h>

#include <algorithm>

#include "UiLib/Utils/AttributeValue.h"
#include "UiLib/controls/UIListBody.h"
#include "UiLib/controls/UIListHeader.h"
#include "UiLib/tree/ControlHost.h"
#include "UiLib/tree/ControlRegistry.h"

namespace UiLib {

UILIB_REGISTER_CONTROL(L"List", CListUI);

namespace {

constexpr UINT kAlignFlags = DT_LEFT | DT_CENTER | DT_RIGHT;

IListItemUI* AsListItem(CControlUI* control) {
    return control ? static_cast<IListItemUI*>(control->GetInterface(L"ListItem")) : nullptr;
}

bool IsSelectable(CControlUI* control) {
    return control && AsListItem(control) && control->IsVisible() && control->IsEnabled();
}

}  // namespace

CListUI::CListUI() {
    auto header = std::make_unique<CListHeaderUI>();
    auto body = std::make_unique<CListBodyUI>(this);
    header_ = header.get();
    body_ = body.get();
    CVerticalLayoutUI::Add(std::move(header));
    CVerticalLayoutUI::Add(std::move(body));
}

const wchar_t* CListUI::GetClass() const { return L"ListUI"; }
DWORD CListUI::GetAccessibleRole() const { return ROLE_SYSTEM_LIST; }

void* CListUI::GetInterface(const std::wstring& name) {
    if (name == L"List") return static_cast<CListUI*>(this);
    if (name == L"IList") return static_cast<IListUI*>(this);
    if (name == L"IListOwner") return static_cast<IListOwnerUI*>(this);
    return CVerticalLayoutUI::GetInterface(name);
}

UINT CListUI::GetControlFlags() const { return UIFLAG_TABSTOP; }

CContainerUI* CListUI::GetList() const { return body_; }

int CListUI::GetCurSel() const { return selected_.empty() ? -1 : selected_.front(); }

bool CListUI::SelectItem(int index, bool takeFocus) {
    if (index >= 0 && index == selecting_) return true;
    if (index < 0) {
        ClearSelection();
        return false;
    }
    if (!multiSelect_ && GetCurSel() == index && selected_.size() == 1) return true;
    CControlUI* control = GetItemAt(index);
    if (!IsSelectable(control)) return false;
    if (!multiSelect_) {
        std::vector<int> previous = selected_;
        for (int old : previous)
            if (old != index) Deselect(old);
    }
    selecting_ = index;
    bool selected = AsListItem(control)->Select(true);
    selecting_ = -1;
    if (!selected) return false;
    if (std::find(selected_.begin(), selected_.end(), index) == selected_.end()) selected_.push_back(index);
    EnsureVisible(index);
    if (takeFocus) control->SetFocus();
    if (!manager_) return true;
    itemSelected_.Emit(index);
    manager_->SendNotify(this, L"itemselect", static_cast<WPARAM>(index), 0);
    return true;
}

void CListUI::Deselect(int index) {
    selected_.erase(std::remove(selected_.begin(), selected_.end(), index), selected_.end());
    if (IListItemUI* item = AsListItem(GetItemAt(index))) item->Select(false);
}

void CListUI::ClearSelection() {
    std::vector<int> previous = selected_;
    for (int index : previous) Deselect(index);
}

void CListUI::SetMultiSelect(bool multiple) {
    multiSelect_ = multiple;
    if (multiple || selected_.size() < 2) return;
    std::vector<int> extra(selected_.begin() + 1, selected_.end());
    for (int index : extra) Deselect(index);
}

void CListUI::EnsureVisible(int index) {
    CControlUI* item = GetItemAt(index);
    if (!item || !item->IsVisible()) return;
    RECT itemRect = item->GetPos();
    RECT inner = body_->GetPos();
    RECT inset = body_->GetInset();
    inner.top += inset.top;
    inner.bottom -= inset.bottom;
    CScrollBarUI* horizontal = body_->GetHorizontalScrollBar();
    if (horizontal && horizontal->IsVisible()) inner.bottom -= horizontal->GetFixedHeight();
    LONG dy = 0;
    if (itemRect.top < inner.top) dy = itemRect.top - inner.top;
    else if (itemRect.bottom > inner.bottom) dy = itemRect.bottom - inner.bottom;
    if (dy == 0) return;
    SIZE position = body_->GetScrollPos();
    body_->SetScrollPos(SIZE{position.cx, position.cy + dy});
}

CControlUI* CListUI::GetItemAt(int index) const { return body_->GetItemAt(index); }
int CListUI::GetItemIndex(CControlUI* control) const { return body_->GetItemIndex(control); }

bool CListUI::SetItemIndex(CControlUI* control, int index) {
    int old = body_->GetItemIndex(control);
    if (old < 0 || !body_->SetItemIndex(control, index)) return false;
    Renumber(std::min(old, index));
    // The selection follows the items it was on.
    selected_.clear();
    for (int i = 0; i < GetCount(); ++i)
        if (IListItemUI* item = AsListItem(GetItemAt(i)); item && item->IsSelected()) selected_.push_back(i);
    return true;
}

int CListUI::GetCount() const { return body_->GetCount(); }

bool CListUI::Add(std::unique_ptr<CControlUI> control) {
    if (!control) return false;
    if (control->GetInterface(L"ListHeader")) {
        // A header of the layout takes the place of the empty default one.
        if (header_->GetCount() != 0) return false;
        auto* header = static_cast<CListHeaderUI*>(control.get());
        // The list's own child list: Remove and RemoveAt of the list itself reach the body's items.
        CVerticalLayoutUI::RemoveAt(CVerticalLayoutUI::GetItemIndex(header_));
        header_ = header;
        style_.columns = std::min(header_->GetCount(), kListMaxColumns);
        return CVerticalLayoutUI::AddAt(std::move(control), 0);
    }
    if (std::wstring(control->GetClass()).find(L"ListHeaderItemUI") != std::wstring::npos) {
        bool added = header_->Add(std::move(control));
        style_.columns = std::min(header_->GetCount(), kListMaxColumns);
        return added;
    }
    return AddAt(std::move(control), GetCount());
}

bool CListUI::AddAt(std::unique_ptr<CControlUI> control, int index) {
    if (!control || index < 0 || index > GetCount()) return false;
    if (IListItemUI* item = AsListItem(control.get())) {
        item->SetOwner(this);
        item->SetIndex(index);
    }
    if (!body_->AddAt(std::move(control), index)) return false;
    ShiftSelection(index, +1);
    Renumber(index + 1);
    return true;
}

std::unique_ptr<CControlUI> CListUI::Remove(CControlUI* control) {
    int index = GetItemIndex(control);
    return index >= 0 ? RemoveAt(index) : nullptr;
}

std::unique_ptr<CControlUI> CListUI::RemoveAt(int index) {
    if (!GetItemAt(index)) return nullptr;
    selected_.erase(std::remove(selected_.begin(), selected_.end(), index), selected_.end());
    std::unique_ptr<CControlUI> item = body_->RemoveAt(index);
    if (!item) return nullptr;
    ShiftSelection(index, -1);
    Renumber(index);
    return item;
}

void CListUI::RemoveAll() {
    selected_.clear();
    body_->RemoveAll();
}

void CListUI::Renumber(int first) {
    for (int i = std::max(first, 0); i < GetCount(); ++i)
        if (IListItemUI* item = AsListItem(GetItemAt(i))) item->SetIndex(i);
}

void CListUI::ShiftSelection(int index, int delta) {
    for (int& selected : selected_)
        if (selected >= index) selected += delta;
}

SIZE CListUI::GetScrollPos() const { return body_->GetScrollPos(); }
SIZE CListUI::GetScrollRange() const { return body_->GetScrollRange(); }
void CListUI::SetScrollPos(SIZE position) { body_->SetScrollPos(position); }
void CListUI::LineUp() { body_->LineUp(); }
void CListUI::LineDown() { body_->LineDown(); }
void CListUI::PageUp() { body_->PageUp(); }
void CListUI::PageDown() { body_->PageDown(); }
void CListUI::HomeUp() { body_->HomeUp(); }
void CListUI::EndDown() { body_->EndDown(); }
void CListUI::EnableScrollBar(bool vertical, bool horizontal) { body_->EnableScrollBar(vertical, horizontal); }
CScrollBarUI* CListUI::GetVerticalScrollBar() const { return body_->GetVerticalScrollBar(); }
CScrollBarUI* CListUI::GetHorizontalScrollBar() const { return body_->GetHorizontalScrollBar(); }

void CListUI::SetPos(RECT rect) {
    CControlUI::SetPos(rect);
    RECT inner = InsetRect();
    LONG headerHeight = 0;
    if (header_->IsVisible()) {
        SIZE available{inner.right - inner.left, inner.bottom - inner.top};
        headerHeight = std::min(header_->EstimateSize(available).cy, available.cy);
        header_->SetPos(RECT{inner.left, inner.top, inner.right, inner.top + headerHeight});
    }
    const LONG bodyTop = inner.top + headerHeight;
    body_->SetPos(RECT{inner.left, bodyTop, inner.right, std::max(inner.bottom, bodyTop)});
    RecordColumns();
}

void CListUI::RecordColumns() {
    style_.columns = std::min(header_->GetCount(), kListMaxColumns);
    LONG offset = body_->GetScrollPos().cx;
    for (int i = 0; i < style_.columns; ++i) {
        CControlUI* column = header_->GetItemAt(i);
        if (!column->IsVisible() || column->IsFloat()) continue;
        RECT rect = column->GetPos();
        ::OffsetRect(&rect, -offset, 0);
        style_.column[i] = rect;
    }
}

int CListUI::FindSelectable(int index, bool forward) const {
    int count = GetCount();
    if (count == 0) return -1;
    index = std::clamp(index, 0, count - 1);
    for (int i = index; i >= 0 && i < count; i += forward ? 1 : -1)
        if (IsSelectable(GetItemAt(i))) return i;
    return -1;
}

void CListUI::SelectByKey(int index) {
    // Nothing selectable that way: the selection stays where it is.
    if (index >= 0) SelectItem(index, true);
}

void CListUI::DoEvent(UiEvent& event) {
    if (!mouseEnabled_ && IsMouseEvent(event.Type)) {
        CVerticalLayoutUI::DoEvent(event);
        return;
    }
    const int current = GetCurSel();
    switch (event.Type) {
    case UIEVENT_SETFOCUS:
    case UIEVENT_KILLFOCUS:
        focused_ = event.Type == UIEVENT_SETFOCUS;
        return;
    case UIEVENT_KEYDOWN:
        switch (event.chKey) {
        case VK_UP: SelectByKey(FindSelectable(current < 0 ? 0 : current - 1, current < 0)); return;
        case VK_DOWN: SelectByKey(FindSelectable(current + 1, true)); return;
        case VK_HOME: SelectByKey(FindSelectable(0, true)); return;
        case VK_END: SelectByKey(FindSelectable(GetCount() - 1, false)); return;
        case VK_PRIOR: PageUp(); return;
        case VK_NEXT: PageDown(); return;
        default: break;
        }
        break;
    case UIEVENT_SCROLLWHEEL:
        if (scrollSelect_) {
            bool down = event.wParam != SB_LINEUP;
            SelectByKey(FindSelectable(down ? current + 1 : current - 1, down));
            return;
        }
        if (CScrollBarUI* bar = body_->GetVerticalScrollBar(); bar && bar->IsVisible()) {
            event.wParam == SB_LINEUP ? body_->LineUp() : body_->LineDown();
            return;
        }
        break;
    default:
        break;
    }
    CVerticalLayoutUI::DoEvent(event);
}

const CAttributeTable& CListUI::GetAttributeTable() const { return Attributes(); }

const CAttributeTable& CListUI::Attributes() {
    using C = CListUI;
    using V = const std::wstring&;
    // A change to any of the list's own attributes repaints it.
    static const CAttributeTable table = CAttributeTable::Of<C>(&CVerticalLayoutUI::Attributes(), {
        {L"header", [](C& c, V v) { c.header_->SetVisible(v != L"hidden"); }},
        {L"headerbkimage", [](C& c, V v) { c.header_->SetBkImage(v); }},
        {L"scrollselect", [](C& c, V v) { c.SetScrollSelect(ParseBoolValue(v)); }},
        {L"multiexpanding", [](C& c, V v) { c.style_.multiExpand = ParseBoolValue(v); }},
        {L"multipleitem", [](C& c, V v) { c.SetMultiSelect(ParseBoolValue(v)); }},
        {L"showvline", [](C& c, V v) { c.style_.showVLine = ParseBoolValue(v); }},
        {L"showhline", [](C& c, V v) { c.style_.showHLine = ParseBoolValue(v); }},
        {L"itemfont", [](C& c, V v) { c.style_.font = static_cast<int>(ParseIntValue(v)); }},
        {L"itemalign", [](C& c, V v) {
             c.style_.textStyle &= ~kAlignFlags;
             if (v.find(L"center") != std::wstring::npos) c.style_.textStyle |= DT_CENTER;
             else if (v.find(L"right") != std::wstring::npos) c.style_.textStyle |= DT_RIGHT;
         }},
        {L"itemendellipsis", [](C& c, V v) {
             UINT& style = c.style_.textStyle;
             style = ParseBoolValue(v) ? style | DT_END_ELLIPSIS : style & ~DT_END_ELLIPSIS;
         }},
        {L"itemtextpadding", [](C& c, V v) { c.style_.textPadding = ParseRectValue(v); }},
        {L"itemcheckimgsize", [](C& c, V v) { c.style_.checkImageSize = ParseSizeValue(v); }},
        {L"itemiconimgsize", [](C& c, V v) { c.style_.iconImageSize = ParseSizeValue(v); }},
        {L"itemtextcolor", [](C& c, V v) { c.style_.textColor = ParseColorValue(v); }},
        {L"itembkcolor", [](C& c, V v) { c.style_.bkColor = ParseColorValue(v); }},
        {L"itembkimage", [](C& c, V v) { c.style_.bkImage = v; }},
        {L"itemaltbk", [](C& c, V v) { c.style_.alternateBk = ParseBoolValue(v); }},
        {L"itemselectedtextcolor", [](C& c, V v) { c.style_.selectedTextColor = ParseColorValue(v); }},
        {L"itemselectedbkcolor", [](C& c, V v) { c.style_.selectedBkColor = ParseColorValue(v); }},
        {L"itemselectedimage", [](C& c, V v) { c.style_.selectedImage = v; }},
        {L"itemhottextcolor", [](C& c, V v) { c.style_.hotTextColor = ParseColorValue(v); }},
        {L"itemhotbkcolor", [](C& c, V v) { c.style_.hotBkColor = ParseColorValue(v); }},
        {L"itemhotimage", [](C& c, V v) { c.style_.hotImage = v; }},
        {L"itemdisabledtextcolor", [](C& c, V v) { c.style_.disabledTextColor = ParseColorValue(v); }},
        {L"itemdisabledbkcolor", [](C& c, V v) { c.style_.disabledBkColor = ParseColorValue(v); }},
        {L"itemdisabledimage", [](C& c, V v) { c.style_.disabledImage = v; }},
        {L"itemlinecolor", [](C& c, V v) { c.style_.lineColor = ParseColorValue(v); }},
        {L"itemshowhtml", [](C& c, V v) { c.style_.showHtml = ParseBoolValue(v); }},
        // The list's scroll bars are its body's.
        {L"vscrollbarstyle", [](C& c, V v) { c.body_->SetAttribute(L"vscrollbarstyle", v); }},
        {L"hscrollbarstyle", [](C& c, V v) { c.body_->SetAttribute(L"hscrollbarstyle", v); }},
    }, [](C& c) { c.Invalidate(); });
    return table;
}

}  // namespace UiLib
