#pragma once
#include "UiLib/controls/UIOption.h"

namespace UiLib {

// An option under its own class name; without a group it toggles on every click.
class CCheckBoxUI : public COptionUI {
public:
    const wchar_t* GetClass() const override;

    bool GetCheck() const { return IsSelected(); }
    void SetCheck(bool check) { Selected(check); }
};

}  // namespace UiLib
