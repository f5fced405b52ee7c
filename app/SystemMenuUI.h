#pragma once
#include <string>

#include "app/MainCommands.h"

// The main menu under the main window's menu button: settings, update check, quit.
inline constexpr wchar_t kSystemMenuLayout[] = L"SystemtMenu.xml";

// Runs the command of the main menu's entry `item`.
void RunSystemMenuItem(IMainCommands& commands, const std::wstring& item);
