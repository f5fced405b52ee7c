// Holds Wine's desktop for a whole test run: a window that stays until the run's Wine server ends.
// The desktop process starts with the first program that makes a window, inherits that program's
// output and ends some time after the last window goes. Were a test that program, the test's output
// would stay open as long as any later test kept a window, and the test would never be seen to end.
// Started first, with its output going nowhere, this program makes sure the desktop's is not a test's.
#include <windows.h>

#include <cstdio>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = L"LudoraTestsHoldDesktop";
    RegisterClassW(&windowClass);
    // A hidden top-level window: it belongs to the desktop, but is nowhere on the screen.
    if (!CreateWindowExW(0, windowClass.lpszClassName, L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, instance, nullptr))
        return 1;
    // The run's script waits for this line before the first test starts.
    std::printf("ready\n");
    std::fflush(stdout);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    return 0;
}
