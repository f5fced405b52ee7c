#pragma once
#include <windows.h>

#include <string>

#include "UiLib/controls/menu/MenuWnd.h"
#include "app/MainCommands.h"

// The main menu under the main window's menu button: settings, update check, quit.
class CSystemMenuUI : public UiLib::CMenuWnd {
public:
    static constexpr const wchar_t* kLayout = L"SystemtMenu.xml";

    CSystemMenuUI(HWND mainWindow, IMainCommands& commands) : CMenuWnd(mainWindow), commands_(commands) {}

    void OnItemClick(const std::wstring& name) override;

private:
    // The main window owns the menu's window, so it outlives the menu.
    IMainCommands& commands_;
};
