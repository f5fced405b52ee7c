#include "app/TrayMenuUI.h"

void CTrayMenuUI::OnItemClick(const std::wstring& name) {
    if (name == L"showmain" || name == L"systemset") commands_.ShowMainWindow();
    if (name == L"systemset") commands_.ShowSettings();
    else if (name == L"quit") commands_.Quit();
}
