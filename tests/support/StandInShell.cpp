// Plays the desktop shell, which Wine does not run: a hidden window registered as the desktop's
// shell window, for as long as the window lives (WM_CLOSE ends it). The tests start it with the
// player's limited token, which the real shell runs with.
#include <windows.h>

extern "C" __declspec(dllimport) BOOL WINAPI SetShellWindow(HWND window);

namespace {

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = L"LudoraTestsStandInShell";
    RegisterClassW(&windowClass);
    HWND window =
        CreateWindowExW(0, windowClass.lpszClassName, L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, instance, nullptr);
    // Refused when the desktop has a shell already.
    if (!window || !SetShellWindow(window)) return 1;
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    return 0;
}
