#pragma once
#include "UiLib/tree/UIControl.h"

namespace UiLib {

// A control that shows a line of text: its style, font, colours and padding.
class CLabelUI : public CControlUI {
public:
    CLabelUI();

    const wchar_t* GetClass() const override;
    DWORD GetAccessibleRole() const override;
    // Static text: its Alt shortcut activates the control after it.
    bool HandsShortcutOn() const override { return true; }
    void* GetInterface(const std::wstring& name) override;

    UINT GetTextStyle() const { return textStyle_; }
    void SetTextStyle(UINT style);
    int GetFont() const { return font_; }
    void SetFont(int index);
    UiColor GetTextColor() const { return textColor_; }
    void SetTextColor(UiColor color);
    UiColor GetDisabledTextColor() const { return disabledTextColor_; }
    void SetDisabledTextColor(UiColor color);
    // Set in the skin's pixels, read in the window's.
    RECT GetTextPadding() const { return DpiScale().Scale(textPadding_); }
    void SetTextPadding(RECT padding);
    bool IsShowHtml() const { return showHtml_; }
    void SetShowHtml(bool show = true);

    SIZE EstimateSize(SIZE available) override;
    void DoEvent(UiEvent& event) override;
    static const CAttributeTable& Attributes();
    const CAttributeTable& GetAttributeTable() const override;
    void PaintText(HDC dc) override;

protected:
    // The text colour to paint with when no state colour applies; 0 takes the manager's default.
    UiColor NormalTextColor() const;
    // Draws a text inside the position minus the text padding, plainly or with markup.
    void DrawTextIn(HDC dc, const std::wstring& text, UiColor color, UINT style);
    // Applies the "align" words: left, center, right, top, vcenter, bottom, in that order.
    void ApplyAlign(const std::wstring& value);

    UINT textStyle_ = DT_VCENTER;
    int font_ = -1;
    UiColor textColor_ = 0;
    UiColor disabledTextColor_ = 0;
    RECT textPadding_{};
    bool showHtml_ = false;
};

}  // namespace UiLib
