#include "app/TrayMenuUI.h"

#include "app/MainFrame.h"
#include "app/SystemSetUI.h"

void CTrayMenuUI::OnItemClick(const std::wstring& name) {
    MainFrame* frame = g_mainFrame;
    if (frame == nullptr) return;
    HWND mainWindow = frame->GetHWND();
    if (name == L"showmain" || name == L"systemset") {
        if (::IsWindow(mainWindow)) ::ShowWindow(mainWindow, SW_SHOWNORMAL);
        if (name == L"systemset") CSystemSetUI::ShowModalOver(mainWindow, frame->Settings());
    } else if (name == L"quit") {
        if (::IsWindow(mainWindow)) ::PostMessageW(mainWindow, WM_CLOSE, 1, 0);
    }
}
