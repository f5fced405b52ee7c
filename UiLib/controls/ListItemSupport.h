#pragma once
#include <windows.h>

#include <string>

#include "UiLib/controls/IListUI.h"

namespace UiLib {

class CControlUI;

// State bit of a list item while the mouse is over it.
constexpr UINT kListItemHot = 0x08;

// Fills the painted part of an item's background by its state (alternate rows: the odd ones get no
// colour) and draws the first state image that draws: the
// disabled, selected or hot image, the item's own image, the list's item image. An image that
// cannot be drawn is cleared so that it is not tried again.
void PaintListItemBackground(HDC dc, CControlUI& item, const RECT& paint, ListItemStyle& style, int index,
                             bool selected, bool hot, std::wstring& ownImage);

// The item text colour: the normal one, replaced by the hot, the selected and the disabled one
// as each applies.
UiColor ListItemTextColor(const ListItemStyle& style, bool enabled, bool selected, bool hot);

// The mouse and key handling shared by every kind of list item: a press sends "itemclick" and
// selects, a double click or Return activates, entering and leaving toggle the hot bit. True when
// the event was dealt with; the caller hands the others on.
bool HandleListItemEvent(CControlUI& item, IListItemUI& listItem, UiEvent& event, UINT& state);

}  // namespace UiLib
