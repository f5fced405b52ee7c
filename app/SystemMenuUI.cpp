#include "app/SystemMenuUI.h"

void CSystemMenuUI::OnItemClick(const std::wstring& name) {
    if (name == L"systemset") commands_.ShowSettings();
    else if (name == L"checkupdate") commands_.CheckForUpdates();
    else if (name == L"quit") commands_.Quit();
}
