#pragma once
#include <windows.h>

#include <string>

#include "UiLib/controls/menu/MenuWnd.h"

// The main menu under the main window's menu button: settings, update check, quit.
class CSystemMenuUI : public UiLib::CMenuWnd {
public:
    static constexpr const wchar_t* kLayout = L"SystemtMenu.xml";

    explicit CSystemMenuUI(HWND mainWindow) : CMenuWnd(mainWindow) {}

    void OnItemClick(const std::wstring& name) override;
};
