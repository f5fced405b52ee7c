#include "UiLib/controls/UIRadioBox.h"

#include "UiLib/tree/ControlRegistry.h"

namespace UiLib {

UILIB_REGISTER_CONTROL(L"RadioBox", CRadioBoxUI);

const wchar_t* CRadioBoxUI::GetClass() const { return L"RadioBoxUI"; }

void* CRadioBoxUI::GetInterface(const std::wstring& name) {
    if (name == L"RadioBox") return this;
    return COptionUI::GetInterface(name);
}

}  // namespace UiLib
