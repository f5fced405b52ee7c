#pragma once
#include "UiLib/controls/UILabel.h"
#include "UiLib/tree/UIState.h"

namespace UiLib {

// A clickable label with an image for each state: "click" when released over it.
class CButtonUI : public CLabelUI {
public:
    CButtonUI();

    const wchar_t* GetClass() const override;
    DWORD GetAccessibleRole() const override;
    bool HandsShortcutOn() const override { return false; }
    UiCaptionRole GetCaptionRole() const override { return UiCaptionRole::Button; }
    void* GetInterface(const std::wstring& name) override;
    UINT GetControlFlags() const override;

    // Sends "click", then selects the page of the bound tab layout, if there is one.
    bool Activate() override;
    // Called where "click" goes out, just before it.
    [[nodiscard]] CSubscription OnClick(std::function<void()> handler) { return clicked_.Connect(std::move(handler)); }
    void SetEnabled(bool enabled = true) override;
    UINT GetButtonState() const { return buttonState_; }

    const std::wstring& GetNormalImage() const { return normalImage_; }
    void SetNormalImage(const std::wstring& image);
    const std::wstring& GetHotImage() const { return hotImage_; }
    void SetHotImage(const std::wstring& image);
    const std::wstring& GetPushedImage() const { return pushedImage_; }
    void SetPushedImage(const std::wstring& image);
    const std::wstring& GetFocusedImage() const { return focusedImage_; }
    void SetFocusedImage(const std::wstring& image);
    const std::wstring& GetDisabledImage() const { return disabledImage_; }
    void SetDisabledImage(const std::wstring& image);
    const std::wstring& GetForeImage() const { return foreImage_; }
    void SetForeImage(const std::wstring& image);
    const std::wstring& GetHotForeImage() const { return hotForeImage_; }
    void SetHotForeImage(const std::wstring& image);

    UiColor GetHotBkColor() const { return hotBkColor_; }
    void SetHotBkColor(UiColor color);
    UiColor GetHotTextColor() const { return hotTextColor_; }
    void SetHotTextColor(UiColor color);
    UiColor GetPushedTextColor() const { return pushedTextColor_; }
    void SetPushedTextColor(UiColor color);
    UiColor GetFocusedTextColor() const { return focusedTextColor_; }
    void SetFocusedTextColor(UiColor color);

    const std::wstring& GetBindTabLayoutName() const { return bindTabLayoutName_; }
    void BindTabLayoutName(const std::wstring& name) { bindTabLayoutName_ = name; }
    int GetBindTabLayoutIndex() const { return bindTabIndex_; }
    void BindTabIndex(int index) { bindTabIndex_ = index; }

    void DoEvent(UiEvent& event) override;
    static const CAttributeTable& Attributes();
    const CAttributeTable& GetAttributeTable() const override;
    void PaintStatusImage(HDC dc) override;
    void PaintText(HDC dc) override;

protected:
    // The state bits that painting looks at.
    virtual UINT PaintState() const;
    // The colour of the text in the current state.
    virtual UiColor StateTextColor() const;
    // Draws the fore image over the state image.
    void PaintForeImage(HDC dc);
    // Draws an image string; one that cannot be drawn is cleared so it is not tried again.
    bool DrawStateImage(HDC dc, std::wstring& image);
    void SetImage(std::wstring& field, const std::wstring& image);
    void SetStateBit(UINT bit, bool on);

    UINT buttonState_ = 0;

private:
    // Mouse events of the button itself; false for the ones it leaves to the label.
    bool HandleMouseEvent(const UiEvent& event);

    std::wstring normalImage_;
    std::wstring hotImage_;
    std::wstring pushedImage_;
    std::wstring focusedImage_;
    std::wstring disabledImage_;
    std::wstring foreImage_;
    std::wstring hotForeImage_;
    UiColor hotBkColor_ = 0;
    UiColor hotTextColor_ = 0;
    UiColor pushedTextColor_ = 0;
    UiColor focusedTextColor_ = 0;
    std::wstring bindTabLayoutName_;
    int bindTabIndex_ = -1;
    CSignal<> clicked_;
};

}  // namespace UiLib
