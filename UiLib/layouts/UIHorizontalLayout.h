#pragma once
#include "UiLib/tree/UIContainer.h"

namespace UiLib {

// Stacks its children along the horizontal axis: fixed sizes, stretched shares and float children.
class CHorizontalLayoutUI : public CContainerUI {
public:
    const wchar_t* GetClass() const override;
    void* GetInterface(const std::wstring& name) override;

    void SetPos(RECT rect) override;
    static const CAttributeTable& Attributes();
    const CAttributeTable& GetAttributeTable() const override;

    // A resize strip of this size at the far edge (negative: at the left edge).
    int GetSepWidth() const { return separator_; }
    void SetSepWidth(int size) { separator_ = size; }
    bool IsSepImmMode() const { return separatorImmediate_; }
    void SetSepImmMode(bool immediate) { separatorImmediate_ = immediate; }

private:
    int separator_ = 0;
    bool separatorImmediate_ = false;
};

}  // namespace UiLib
