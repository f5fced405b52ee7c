#pragma once
#include "UiLib/controls/UIListElement.h"

namespace UiLib {

// A one-line text item drawn in the list's item font and state colours.
class CListLabelElementUI : public CListElementUI {
public:
    const wchar_t* GetClass() const override;
    void* GetInterface(const std::wstring& name) override;

    SIZE EstimateSize(SIZE available) override;
    void DoPaint(HDC dc, const RECT& paint) override;
    void DrawItemText(HDC dc, const RECT& item) override;
};

}  // namespace UiLib
