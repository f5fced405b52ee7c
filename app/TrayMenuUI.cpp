#include "app/TrayMenuUI.h"

void RunTrayMenuItem(IMainCommands& commands, const std::wstring& item) {
    if (item == L"showmain" || item == L"systemset") commands.ShowMainWindow();
    if (item == L"systemset") commands.ShowSettings();
    else if (item == L"quit") commands.Quit();
}
