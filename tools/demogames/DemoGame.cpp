// demogame.exe [--exit-after-ms N] [anything else]: a stand-in for a game. It records how it was
// started in "started.txt" in its working folder (the command line, the folder, then the rights
// it runs with, in UTF-8), shows a small window titled with its own file name, and runs until that
// window is closed or for N milliseconds.
#include "DemoFiles.h"

namespace {

const wchar_t kClassName[] = L"LudoraDemoGame";
const UINT_PTR kExitTimer = 1;

std::wstring FileStem(const std::wstring& path) {
    std::wstring name = path.substr(path.find_last_of(L"\\/") + 1);
    size_t dot = name.find_last_of(L'.');
    return dot == std::wstring::npos || dot == 0 ? name : name.substr(0, dot);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_TIMER:
        if (wParam == kExitTimer) ::DestroyWindow(window);
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = ::BeginPaint(window, &paint);
        RECT client;
        ::GetClientRect(window, &client);
        wchar_t title[256] = {};
        ::GetWindowTextW(window, title, 256);
        std::wstring text = std::wstring(title) + L"\n演示游戏正在运行";
        ::SetBkMode(dc, TRANSPARENT);
        ::SelectObject(dc, ::GetStockObject(DEFAULT_GUI_FONT));
        RECT measured = client;
        ::DrawTextW(dc, text.c_str(), -1, &measured, DT_CENTER | DT_CALCRECT);
        int offset = ((client.bottom - client.top) - (measured.bottom - measured.top)) / 2;
        client.top += offset;
        ::DrawTextW(dc, text.c_str(), -1, &client, DT_CENTER);
        ::EndPaint(window, &paint);
        return 0;
    }
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int show) {
    std::vector<std::wstring> arguments = demo::Arguments();
    UINT exitAfterMs = 0;
    for (size_t i = 0; i + 1 < arguments.size(); ++i) {
        if (arguments[i] == L"--exit-after-ms") exitAfterMs = static_cast<UINT>(_wtoi(arguments[i + 1].c_str()));
    }

    const std::wstring folder = demo::CurrentFolder();
    demo::WriteText(folder + L"\\started.txt",
                    std::wstring(::GetCommandLineW()) + L"\r\n" + folder + L"\r\n" + demo::TokenRecord() + L"\r\n", false);

    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hIcon = ::LoadIconW(nullptr, IDI_APPLICATION);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = kClassName;
    if (!::RegisterClassExW(&windowClass)) return 1;

    const int width = 360, height = 200;
    HWND window = ::CreateWindowExW(0, kClassName, FileStem(demo::OwnPath()).c_str(), WS_OVERLAPPEDWINDOW,
                                    (::GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                                    (::GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, nullptr,
                                    nullptr, instance, nullptr);
    if (!window) return 1;
    if (exitAfterMs > 0) ::SetTimer(window, kExitTimer, exitAfterMs, nullptr);
    ::ShowWindow(window, show);
    ::UpdateWindow(window);

    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return 0;
}
