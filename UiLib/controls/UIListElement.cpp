#include "UiLib/controls/UIListElement.h"

namespace UiLib {

const wchar_t* CListElementUI::GetClass() const { return L"ListElementUI"; }

void* CListElementUI::GetInterface(const std::wstring& name) {
    if (void* item = ListItemInterface(name)) return item;
    if (name == L"ListElement") return static_cast<CListElementUI*>(this);
    return CControlUI::GetInterface(name);
}

}  // namespace UiLib
