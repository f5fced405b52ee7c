#pragma once
#include "UiLib/controls/UILabel.h"

namespace UiLib {

// A bar that fills from min to max by its value: left to right, or bottom to top when not
// horizontal. The filled part is painted with the fore colour and the fore image (the image is laid
// over the whole bar and shows only where the bar is filled), above the label's background and
// below its text.
class CProgressUI : public CLabelUI {
public:
    const wchar_t* GetClass() const override;
    void* GetInterface(const std::wstring& name) override;

    bool IsHorizontal() const { return horizontal_; }
    void SetHorizontal(bool horizontal = true);
    int GetMinValue() const { return min_; }
    void SetMinValue(int min);
    int GetMaxValue() const { return max_; }
    void SetMaxValue(int max);
    // Kept between min and max when painted; the value itself is kept as given.
    int GetValue() const { return value_; }
    void SetValue(int value);
    const std::wstring& GetForeImage() const { return foreImage_; }
    void SetForeImage(const std::wstring& image);
    UiColor GetForeColor() const { return foreColor_; }
    void SetForeColor(UiColor color);

    // The filled part of the bar.
    RECT FilledRect() const;
    void PaintStatusImage(HDC dc) override;

    static const CAttributeTable& Attributes();
    const CAttributeTable& GetAttributeTable() const override;

private:
    bool horizontal_ = true;
    int min_ = 0;
    int max_ = 100;
    int value_ = 0;
    std::wstring foreImage_;
    UiColor foreColor_ = 0;
};

}  // namespace UiLib
