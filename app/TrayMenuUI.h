#pragma once
#include <windows.h>

#include <string>

#include "UiLib/controls/menu/MenuWnd.h"
#include "app/MainCommands.h"

// The tray icon's menu: show the main window, settings, quit.
class CTrayMenuUI : public UiLib::CMenuWnd {
public:
    static constexpr const wchar_t* kLayout = L"TrayMenu.xml";

    CTrayMenuUI(HWND mainWindow, IMainCommands& commands) : CMenuWnd(mainWindow), commands_(commands) {}

    void OnItemClick(const std::wstring& name) override;

private:
    // The main window owns the menu's window, so it outlives the menu.
    IMainCommands& commands_;
};
