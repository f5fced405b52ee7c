#pragma once
#include "UiLib/controls/UIOption.h"

namespace UiLib {

// An option under its own class name; without a group it toggles on every click.
class CCheckBoxUI : public COptionUI {
public:
    const wchar_t* GetClass() const override;
    DWORD GetAccessibleRole() const override;
    // Only a plain option takes clicks in a caption band.
    UiCaptionRole GetCaptionRole() const override { return UiCaptionRole::None; }

    bool GetCheck() const { return IsSelected(); }
    void SetCheck(bool check) { Selected(check); }
};

}  // namespace UiLib
