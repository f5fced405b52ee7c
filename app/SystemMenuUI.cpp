#include "app/SystemMenuUI.h"

void RunSystemMenuItem(IMainCommands& commands, const std::wstring& item) {
    if (item == L"systemset") commands.ShowSettings();
    else if (item == L"checkupdate") commands.CheckForUpdates();
    else if (item == L"quit") commands.Quit();
}
