#include "app/Application.h"

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>
#include <ole2.h>

#include <cstdlib>
#include <new>

#include "app/ApplyMode.h"
#include "app/ControlChannel.h"
#include "app/DataFolder.h"
#include "app/Firewall.h"
#include "app/MainFrame.h"
#include "app/StartMode.h"
#include "app/TextConvert.h"
#include "online/SelfUpdate.h"

namespace {

const wchar_t kProductName[] = L"Ludora";

std::wstring ProgramPath() {
    wchar_t path[256] = {};
    GetModuleFileNameW(nullptr, path, 256);
    return path;
}

int RunApplyModeProcess(const std::wstring& arguments) {
    ApplyModeRequest request{arguments, GetDataFolder() + L"\\Patchs\\Ludora.pak"};
    RunApplyMode(request, DefaultApplyModeHooks());
    return 0;
}

// A second instance asks the first to show itself and leaves through the C runtime's exit.
void ExitIfAlreadyRunning() {
    HANDLE mutex = CreateMutexW(nullptr, FALSE, kProductName);
    if (GetLastError() != ERROR_ALREADY_EXISTS) return;
    NotifyRunningInstance();
    if (mutex != nullptr) ReleaseMutex(mutex);
    std::exit(0);
}

// The receiver lives until the process ends; its handle is not needed.
void StartControlChannel() {
    HANDLE thread = CreateThread(nullptr, 0, RunControlChannel, nullptr, 0, nullptr);
    if (thread != nullptr) CloseHandle(thread);
}

void RunMessageLoop() {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

}  // namespace

int RunLudora(HINSTANCE instance, const char* commandLine, int argumentCount) {
    const std::wstring arguments = AnsiToWide(commandLine);
    if (ClassifyStart(argumentCount, arguments) == StartMode::Apply) return RunApplyModeProcess(arguments);

    Gdiplus::GdiplusStartupInput gdiplusInput;
    ULONG_PTR gdiplusToken = 0;
    Gdiplus::GdiplusStartup(&gdiplusToken, &gdiplusInput, nullptr);
    CoInitialize(nullptr);
    OleInitialize(nullptr);

    UiLib::CPaintManagerUI::SetInstance(instance);
    auto* frame = new (std::nothrow) MainFrame();
    if (frame == nullptr) return 0;
    g_mainFrame = frame;

    AuthorizeInFirewall(kProductName, ProgramPath());
    frame->SetCommandLine(arguments);
    StartupUpdateCheck(*frame);
    ExitIfAlreadyRunning();
    StartControlChannel();

    HWND window = frame->CreateMainWindow();
    if (IsWindow(window)) ShowWindow(window, StartsHidden(arguments) ? SW_HIDE : SW_SHOWNORMAL);
    RunMessageLoop();

    OleUninitialize();
    CoUninitialize();
    Gdiplus::GdiplusShutdown(gdiplusToken);
    return 0;
}
