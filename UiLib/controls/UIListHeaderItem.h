#pragma once
#include "UiLib/tree/UIControl.h"

namespace UiLib {

// One column header: a caption over a state image.
class CListHeaderItemUI : public CControlUI {
public:
    const wchar_t* GetClass() const override;
    void* GetInterface(const std::wstring& name) override;

    int GetFont() const { return font_; }
    UINT GetTextStyle() const { return textStyle_; }
    UiColor GetTextColor() const { return textColor_; }
    // Set in the skin's pixels, read in the window's.
    RECT GetTextPadding() const { return DpiScale().Scale(textPadding_); }
    int GetSepWidth() const { return sepWidth_; }

    // The fixed height, or the font's height plus 14.
    SIZE EstimateSize(SIZE available) override;
    void DoEvent(UiEvent& event) override;
    static const CAttributeTable& Attributes();
    const CAttributeTable& GetAttributeTable() const override;
    void PaintStatusImage(HDC dc) override;
    void PaintText(HDC dc) override;

private:
    int font_ = -1;
    UINT textStyle_ = DT_VCENTER | DT_CENTER | DT_SINGLELINE;
    UiColor textColor_ = 0;
    RECT textPadding_{};
    bool showHtml_ = false;
    int sepWidth_ = 0;
    bool hot_ = false;
    bool pushed_ = false;
    std::wstring normalImage_;
    std::wstring hotImage_;
    std::wstring pushedImage_;
    std::wstring sepImage_;
};

}  // namespace UiLib
