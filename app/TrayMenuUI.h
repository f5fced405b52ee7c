#pragma once
#include <windows.h>

#include <string>

#include "app/MainCommands.h"
#include "games/MenuWnd.h"

// The tray icon's menu: show the main window, settings, quit.
class CTrayMenuUI : public CMenuWnd {
public:
    static constexpr const wchar_t* kLayout = L"TrayMenu.xml";

    CTrayMenuUI(HWND mainWindow, IMainCommands& commands) : CMenuWnd(mainWindow), commands_(commands) {}

    void OnItemClick(const std::wstring& name) override;

private:
    // The main window owns the menu's window, so it outlives the menu.
    IMainCommands& commands_;
};
