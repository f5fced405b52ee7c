#pragma once
#include <string>

#include "app/MainCommands.h"

// The tray icon's menu: show the main window, settings, quit.
inline constexpr wchar_t kTrayMenuLayout[] = L"TrayMenu.xml";

// Runs the command of the tray menu's entry `item`.
void RunTrayMenuItem(IMainCommands& commands, const std::wstring& item);
