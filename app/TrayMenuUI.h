#pragma once
#include <windows.h>

#include <string>

#include "UiLib/controls/menu/MenuWnd.h"

// The tray icon's menu: show the main window, settings, quit.
class CTrayMenuUI : public UiLib::CMenuWnd {
public:
    static constexpr const wchar_t* kLayout = L"TrayMenu.xml";

    explicit CTrayMenuUI(HWND mainWindow) : CMenuWnd(mainWindow) {}

    void OnItemClick(const std::wstring& name) override;
};
