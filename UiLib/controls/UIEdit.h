#pragma once
#include <memory>

#include "UiLib/controls/UILabel.h"

namespace UiLib {

class CEditWnd;

// Single-line text entry: painted as a label, edited in a native edit window while focused.
class CEditUI : public CLabelUI {
public:
    static constexpr UiColor kDefaultTipColor = 0xFFBAC0C5;
    static constexpr UiColor kDefaultNativeBkColor = 0xFFFFFFFF;

    CEditUI();
    ~CEditUI() override;

    const wchar_t* GetClass() const override;
    DWORD GetAccessibleRole() const override;
    // The text is the field's value: its name is the tooltip, else the skin's name, else the hint
    // shown while it is empty.
    std::wstring GetAccessibleName() const override;
    bool HandsShortcutOn() const override { return false; }
    void* GetInterface(const std::wstring& name) override;
    UINT GetControlFlags() const override;

    void SetText(const std::wstring& text) override;
    void SetEnabled(bool enabled = true) override;
    // Focusing the edit again (Ctrl+F) starts editing again after its native window was closed.
    void SetFocus() override;
    void SetVisible(bool visible = true) override;
    void SetInternVisible(bool visible = true) override;
    void SetPos(RECT rect) override;

    bool IsReadOnly() const { return readOnly_; }
    void SetReadOnly(bool readOnly);
    bool IsNumberOnly() const { return numberOnly_; }
    void SetNumberOnly(bool numberOnly);
    bool IsPasswordMode() const { return password_; }
    void SetPasswordMode(bool password);
    wchar_t GetPasswordChar() const { return passwordChar_; }
    void SetPasswordChar(wchar_t ch);
    int GetMaxChar() const { return maxChar_; }
    void SetMaxChar(int maxChar);
    const std::wstring& GetTipValue() const { return tipValue_; }
    void SetTipValue(const std::wstring& tip);
    UiColor GetTipValueColor() const { return tipValueColor_; }
    void SetTipValueColor(UiColor color);
    UiColor GetNativeEditBkColor() const { return nativeBkColor_; }
    void SetNativeEditBkColor(UiColor color);

    const std::wstring& GetNormalImage() const { return normalImage_; }
    const std::wstring& GetHotImage() const { return hotImage_; }
    const std::wstring& GetFocusedImage() const { return focusedImage_; }
    const std::wstring& GetDisabledImage() const { return disabledImage_; }

    // The native edit window while editing, else null.
    HWND GetNativeWindow() const;
    bool IsEditing() const { return window_ != nullptr; }
    // Closes the native window; the text typed so far stays.
    void EndEdit();
    // Called where "textchanged" goes out (the player changed the text), just before it.
    [[nodiscard]] CSubscription OnTextChanged(std::function<void(const std::wstring& text)> handler) {
        return textChanged_.Connect(std::move(handler));
    }
    // Called where "return" goes out (Return pressed while editing), just before it.
    [[nodiscard]] CSubscription OnReturn(std::function<void()> handler) {
        return returned_.Connect(std::move(handler));
    }
    // Called where "keypress" goes out (a key other than Return pressed while editing), just
    // before it, with the virtual-key code.
    [[nodiscard]] CSubscription OnKeyPress(std::function<void(UINT key)> handler) {
        return keyPressed_.Connect(std::move(handler));
    }

    void DoEvent(UiEvent& event) override;
    static const CAttributeTable& Attributes();
    const CAttributeTable& GetAttributeTable() const override;
    void PaintStatusImage(HDC dc) override;
    void PaintText(HDC dc) override;

private:
    friend class CEditWnd;
    // Called by the native window when its text changed.
    void TakeNativeText(const std::wstring& text) { text_ = text; }
    // Called by the native window when it has been destroyed (for example on losing the focus).
    void NativeWindowDestroyed(CEditWnd* window);
    void BeginEdit();
    bool DrawStateImage(HDC dc, std::wstring& image);

    std::unique_ptr<CEditWnd> window_;
    CSignal<const std::wstring&> textChanged_;
    CSignal<> returned_;
    CSignal<UINT> keyPressed_;
    bool readOnly_ = false;
    bool numberOnly_ = false;
    bool password_ = false;
    wchar_t passwordChar_ = L'*';
    int maxChar_ = 255;
    std::wstring tipValue_;
    UiColor tipValueColor_ = kDefaultTipColor;
    UiColor nativeBkColor_ = kDefaultNativeBkColor;
    UINT editState_ = 0;
    std::wstring normalImage_;
    std::wstring hotImage_;
    std::wstring focusedImage_;
    std::wstring disabledImage_;
};

}  // namespace UiLib
