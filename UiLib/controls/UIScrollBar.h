#pragma once
#include "UiLib/controls/UIControl.h"

namespace UiLib {

class CContainerUI;

// A container's scroll bar: its orientation, range, position and owner. The bar's buttons,
// thumb, images and dragging belong to the standard controls.
class CScrollBarUI : public CControlUI {
public:
    static constexpr int kDefaultSize = 16;

    CScrollBarUI();

    const wchar_t* GetClass() const override;
    void* GetInterface(const std::wstring& name) override;

    CContainerUI* GetOwner() const { return owner_; }
    void SetOwner(CContainerUI* owner) { owner_ = owner; }
    bool IsHorizontal() const { return horizontal_; }
    // A vertical bar has a fixed width, a horizontal one a fixed height.
    void SetHorizontal(bool horizontal);
    int GetScrollRange() const { return range_; }
    // The position is kept within the new range.
    void SetScrollRange(int range);
    int GetScrollPos() const { return position_; }
    // Clamped to 0..range.
    void SetScrollPos(int position);
    int GetLineSize() const { return lineSize_; }
    void SetLineSize(int size) { lineSize_ = size; }

private:
    CContainerUI* owner_ = nullptr;
    bool horizontal_ = false;
    int range_ = 100;
    int position_ = 0;
    int lineSize_ = 8;
};

}  // namespace UiLib
