#pragma once
#include <windows.h>

namespace UiLib {

// State bits of buttons, scroll bar parts and the controls built on them.
enum UiButtonState : UINT {
    UISTATE_FOCUSED = 0x01,
    UISTATE_SELECTED = 0x02,
    UISTATE_DISABLED = 0x04,
    UISTATE_HOT = 0x08,
    UISTATE_PUSHED = 0x10,
    UISTATE_CAPTURED = 0x40,
};

}  // namespace UiLib
