#pragma once
#include "UiLib/controls/UIButton.h"

namespace UiLib {

// A button that stays selected. Options of one group select one at a time; an option without
// a group toggles.
class COptionUI : public CButtonUI {
public:
    COptionUI();
    ~COptionUI() override;

    const wchar_t* GetClass() const override;
    DWORD GetAccessibleRole() const override;
    DWORD GetAccessibleState() const override;
    bool AccessibleSelect() override;
    UiCaptionRole GetCaptionRole() const override { return UiCaptionRole::Option; }
    void* GetInterface(const std::wstring& name) override;

    void SetManager(CControlHost* manager, CControlUI* parent, bool init = true) override;
    // Sends "click", then selects a grouped option or toggles one without a group.
    bool Activate() override;

    const std::wstring& GetGroup() const { return group_; }
    // Moves the option to another group (an empty name: none) in its manager's group lists.
    void SetGroup(const std::wstring& group);
    bool IsSelected() const { return selected_; }
    // Selecting a grouped option deselects the rest of its group and sends "selectchanged"
    // once; an option without a group sends it on every change.
    virtual void Selected(bool selected);
    // Called where "selectchanged" goes out, just before it, with the new state.
    [[nodiscard]] CSubscription OnSelectedChanged(std::function<void(bool selected)> handler) {
        return selectedChanged_.Connect(std::move(handler));
    }

    const std::wstring& GetSelectedImage() const { return selectedImage_; }
    void SetSelectedImage(const std::wstring& image);
    const std::wstring& GetSelectedHotImage() const { return selectedHotImage_; }
    void SetSelectedHotImage(const std::wstring& image);
    UiColor GetSelectedBkColor() const { return selectedBkColor_; }
    void SetSelectedBkColor(UiColor color);
    UiColor GetSelectedTextColor() const { return selectedTextColor_; }
    void SetSelectedTextColor(UiColor color);

    static const CAttributeTable& Attributes();
    const CAttributeTable& GetAttributeTable() const override;
    void PaintStatusImage(HDC dc) override;

protected:
    // Options never show the pushed state.
    UINT PaintState() const override;
    UiColor StateTextColor() const override;

private:
    std::wstring group_;
    bool selected_ = false;
    std::wstring selectedImage_;
    std::wstring selectedHotImage_;
    UiColor selectedBkColor_ = 0;
    UiColor selectedTextColor_ = 0;
    CSignal<bool> selectedChanged_;
};

}  // namespace UiLib
