#pragma once
#include "UiLib/controls/ListItem.h"
#include "UiLib/layouts/UIHorizontalLayout.h"

namespace UiLib {

// A list item that holds controls of its own, laid out side by side; its background follows the
// list's item style by state.
class CListContainerElementUI : public CListItem<CHorizontalLayoutUI> {
public:
    const wchar_t* GetClass() const override;
    void* GetInterface(const std::wstring& name) override;
    void DrawItemText(HDC, const RECT&) override {}
    // The background by state comes before the children.
    void DoPaint(HDC dc, const RECT& paint) override;
};

}  // namespace UiLib
