#include "tests/support/ProgramWindows.h"

#include <algorithm>

#include "app/MainFrame.h"
#include "tests/support/LudoraProcess.h"

namespace {

void SendPointer(HWND window, POINT client, DWORD down, DWORD up) {
    ClientToScreen(window, &client);
    SetCursorPos(client.x, client.y);
    INPUT inputs[2] = {};
    inputs[0].type = inputs[1].type = INPUT_MOUSE;
    inputs[0].mi.dwFlags = down;
    inputs[1].mi.dwFlags = up;
    Sleep(50);
    SendInput(1, &inputs[0], sizeof(INPUT));
    Sleep(50);
    SendInput(1, &inputs[1], sizeof(INPUT));
}

void SendKey(WORD key, DWORD flags, wchar_t unicode = 0) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.wScan = unicode;
    input.ki.dwFlags = flags;
    SendInput(1, &input, sizeof(INPUT));
}

struct WindowSearch {
    DWORD process;
    const wchar_t* className;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<WindowSearch*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    if (owner == search->process && IsWindowVisible(window) && lstrcmpW(name, search->className) == 0)
        search->found.push_back(window);
    return TRUE;
}

HANDLE OpenProcessOfWindow(HWND window, DWORD access) {
    DWORD id = 0;
    GetWindowThreadProcessId(window, &id);
    return OpenProcess(access, FALSE, id);
}

}  // namespace

void LeftClick(HWND window, POINT client) { SendPointer(window, client, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP); }

void RightClick(HWND window, POINT client) {
    SendPointer(window, client, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
}

void ClickByMessages(HWND window, POINT client) {
    LPARAM at = MAKELPARAM(client.x, client.y);
    SendMessageW(window, WM_MOUSEMOVE, 0, at);
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(window, WM_LBUTTONUP, 0, at);
}

LRESULT HitTest(HWND window, POINT client) {
    ClientToScreen(window, &client);
    return SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(client.x, client.y));
}

std::vector<HWND> VisibleWindows(DWORD processId, const wchar_t* className) {
    WindowSearch search{processId, className, {}};
    EnumWindows(&CollectWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool IsTopmost(HWND window) { return (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

HWND WaitForShownWindow(DWORD processId, const wchar_t* className) {
    HWND window = nullptr;
    WaitUntil([&] { return (window = FindProcessWindow(processId, className)) != nullptr && IsWindowVisible(window); });
    if (window != nullptr) UpdateWindow(window);
    return window;
}

HWND WaitForMenu(DWORD processId) { return WaitForShownWindow(processId, L"MenuWnd"); }

void ClickMenuItem(HWND menu, int index, bool realPointer, int entries) {
    RECT client{};
    GetClientRect(menu, &client);
    int itemHeight = (client.bottom - 4) / entries;
    POINT entry{client.right / 2, 2 + itemHeight * index + itemHeight / 2};
    if (realPointer) LeftClick(menu, entry);
    else ClickByMessages(menu, entry);
}

void WaitUntilSettled(HWND window) {
    HANDLE process = OpenProcessOfWindow(window, SYNCHRONIZE | PROCESS_QUERY_INFORMATION);
    if (process == nullptr) return;
    WaitForInputIdle(process, 20000);
    CloseHandle(process);
}

void EndProcessOfWindow(HWND window) {
    HANDLE process = OpenProcessOfWindow(window, PROCESS_TERMINATE | SYNCHRONIZE);
    if (process == nullptr) return;
    TerminateProcess(process, 1);
    WaitForSingleObject(process, 10000);
    CloseHandle(process);
}

std::string Utf8(const std::wstring& text) {
    int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &bytes[0], size, nullptr, nullptr);
    bytes.resize(static_cast<size_t>(size) - 1);
    return bytes;
}

HWND WaitForShownMainWindow(const LudoraProcess& program) {
    HWND window = program.WaitForWindow(MainFrame::kWindowClassName);
    if (window == nullptr) return nullptr;
    WaitUntil([window] { return IsWindowVisible(window) != FALSE; });
    UpdateWindow(window);
    // A point of the drag band, which answers for its spacer once the controls are laid out.
    WaitUntil([window] { return HitTest(window, POINT{120, 60}) == HTCAPTION; });
    SetForegroundWindow(window);
    return window;
}

NOTIFYICONDATAW TrayRecord(HWND mainWindow) {
    NOTIFYICONDATAW record{};
    record.cbSize = NOTIFYICONDATAW_V2_SIZE;
    record.hWnd = mainWindow;
    record.uID = MainFrame::kTrayIconId;
    record.uFlags = NIF_TIP;
    lstrcpynW(record.szTip, MainFrame::kWindowTitle, ARRAYSIZE(record.szTip));
    return record;
}

bool TrayHasIcon(HWND mainWindow) {
    NOTIFYICONDATAW record = TrayRecord(mainWindow);
    return Shell_NotifyIconW(NIM_MODIFY, &record) != FALSE;
}

void PressKey(WORD key, WORD modifier) {
    if (modifier) SendKey(modifier, 0);
    SendKey(key, 0);
    Sleep(30);
    SendKey(key, KEYEVENTF_KEYUP);
    if (modifier) SendKey(modifier, KEYEVENTF_KEYUP);
    Sleep(50);
}

void TypeText(const std::wstring& text) {
    for (wchar_t character : text) {
        SendKey(0, KEYEVENTF_UNICODE, character);
        SendKey(0, KEYEVENTF_UNICODE | KEYEVENTF_KEYUP, character);
        Sleep(30);
    }
}

bool UseMainMenu(HWND window, DWORD processId, int entry) {
    ClickByMessages(window, kMainMenuButton);
    HWND menu = WaitForMenu(processId);
    if (menu == nullptr) return false;
    ClickMenuItem(menu, entry);
    return true;
}
