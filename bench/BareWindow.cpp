// The reference of the start-up benchmark: the least a Win32 program does to show and paint one
// 970 by 660 window, centred like the main window, with a few shapes and a line of text so that the
// launcher can tell a painted window from an empty one.
#include <windows.h>

namespace {

constexpr int kWidth = 970;
constexpr int kHeight = 660;

void PaintContent(HDC dc) {
    RECT whole{0, 0, kWidth, kHeight};
    HBRUSH background = CreateSolidBrush(RGB(244, 248, 252));
    FillRect(dc, &whole, background);
    DeleteObject(background);
    RECT band{0, 0, kWidth, 80};
    HBRUSH title = CreateSolidBrush(RGB(47, 111, 168));
    FillRect(dc, &band, title);
    DeleteObject(title);
    SetBkMode(dc, TRANSPARENT);
    TextOutW(dc, 20, 100, L"Ludora", 6);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        PaintContent(dc);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.lpszClassName = L"BareWindow";
    RegisterClassW(&windowClass);
    const int left = (GetSystemMetrics(SM_CXSCREEN) - kWidth) / 2;
    const int top = (GetSystemMetrics(SM_CYSCREEN) - kHeight) / 2;
    HWND window = CreateWindowExW(0, L"BareWindow", L"Bare window", WS_POPUP | WS_VISIBLE, left, top, kWidth,
                                  kHeight, nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
