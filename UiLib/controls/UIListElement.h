#pragma once
#include "UiLib/controls/ListItem.h"
#include "UiLib/tree/UIControl.h"

namespace UiLib {

// The base of the list's text items: a single control with the item state and a background that
// follows the list's item style.
class CListElementUI : public CListItem<CControlUI> {
public:
    const wchar_t* GetClass() const override;
    void* GetInterface(const std::wstring& name) override;
};

}  // namespace UiLib
