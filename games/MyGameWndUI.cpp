#include "games/MyGameWndUI.h"

void* CMyGameWndUI::GetInterface(const std::wstring& name) {
    if (name == L"MyGameWnd") return this;
    return CContainerUI::GetInterface(name);
}
