#pragma once
#include "UiLib/layouts/UIVerticalLayout.h"

namespace UiLib {

class CControlUI;

// The part of a list that holds and scrolls the items.
class CListBodyUI : public CVerticalLayoutUI {
public:
    // `owner` is the list, told when the body scrolls sideways so that the columns follow.
    explicit CListBodyUI(CControlUI* owner) : owner_(owner) {}

    void SetScrollPos(SIZE position) override;
    // The list is what screen readers see holding the items.
    DWORD GetAccessibleRole() const override;

private:
    CControlUI* owner_;
};

}  // namespace UiLib
