#pragma once
#include "UiLib/layouts/UIHorizontalLayout.h"

namespace UiLib {

// The row of column headers above a list's items.
class CListHeaderUI : public CHorizontalLayoutUI {
public:
    const wchar_t* GetClass() const override;
    void* GetInterface(const std::wstring& name) override;
    // The fixed height, or the tallest header item and at least the default font plus 6.
    SIZE EstimateSize(SIZE available) override;
};

}  // namespace UiLib
