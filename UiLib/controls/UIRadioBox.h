#pragma once
#include "UiLib/controls/UIOption.h"

namespace UiLib {

// An option under its own class name; radio boxes of one group select one at a time.
class CRadioBoxUI : public COptionUI {
public:
    const wchar_t* GetClass() const override;
    // Only a plain option takes clicks in a caption band.
    UiCaptionRole GetCaptionRole() const override { return UiCaptionRole::None; }
    void* GetInterface(const std::wstring& name) override;
};

}  // namespace UiLib
