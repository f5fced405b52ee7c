#include "UiLib/controls/UICheckBox.h"

namespace UiLib {

const wchar_t* CCheckBoxUI::GetClass() const { return L"CheckBoxUI"; }

}  // namespace UiLib
