#include "app/SystemMenuUI.h"

#include "app/MainFrame.h"
#include "app/SystemSetUI.h"
#include "online/SelfUpdate.h"

void CSystemMenuUI::OnItemClick(const std::wstring& name) {
    MainFrame* frame = g_mainFrame;
    if (frame == nullptr) return;
    HWND mainWindow = frame->GetHWND();
    if (name == L"systemset") {
        CSystemSetUI::ShowModalOver(mainWindow, frame->Settings());
    } else if (name == L"checkupdate") {
        // The check reports by itself; the menu returns at once.
        if (HANDLE thread = CreateThread(nullptr, 0, &ManualUpdateThread, nullptr, 0, nullptr)) CloseHandle(thread);
    } else if (name == L"quit") {
        if (::IsWindow(mainWindow)) ::PostMessageW(mainWindow, WM_CLOSE, 1, 0);
    }
}
