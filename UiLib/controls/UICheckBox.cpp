#include "UiLib/controls/UICheckBox.h"

#include <oleacc.h>

#include "UiLib/tree/ControlRegistry.h"

namespace UiLib {

UILIB_REGISTER_CONTROL(L"CheckBox", CCheckBoxUI);

const wchar_t* CCheckBoxUI::GetClass() const { return L"CheckBoxUI"; }

DWORD CCheckBoxUI::GetAccessibleRole() const { return ROLE_SYSTEM_CHECKBUTTON; }

}  // namespace UiLib
