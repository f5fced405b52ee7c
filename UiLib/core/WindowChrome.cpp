#include "UiLib/core/WindowChrome.h"

#include <algorithm>

namespace UiLib {

void CWindowChrome::SetInitSize(HWND window, int cx, int cy, bool resizeNow) {
    initSize_ = SIZE{cx, cy};
    const SIZE size = GetInitSize();
    if (resizeNow && window)
        ::SetWindowPos(window, nullptr, 0, 0, size.cx, size.cy, SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
}

void CWindowChrome::SetTransparent(HWND window, int opacity) {
    opacity_ = std::clamp(opacity, 0, 255);
    if (!window) return;
    using SetLayeredProc = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);
    HMODULE user32 = ::GetModuleHandleW(L"User32.dll");
    auto setLayered = user32 ? reinterpret_cast<SetLayeredProc>(reinterpret_cast<void*>(
                                   ::GetProcAddress(user32, "SetLayeredWindowAttributes")))
                             : nullptr;
    if (!setLayered) return;
    LONG_PTR style = ::GetWindowLongPtrW(window, GWL_EXSTYLE);
    bool layered = opacity >= 0 && opacity <= 255;
    style = layered ? (style | WS_EX_LAYERED) : (style & ~static_cast<LONG_PTR>(WS_EX_LAYERED));
    ::SetWindowLongPtrW(window, GWL_EXSTYLE, style);
    if (layered) setLayered(window, 0, static_cast<BYTE>(opacity_), LWA_ALPHA);
}

void CWindowChrome::LimitTracking(MINMAXINFO& info) const {
    const SIZE minimum = GetMinInfo();
    const SIZE maximum = GetMaxInfo();
    if (minInfo_.cx > 0) info.ptMinTrackSize.x = minimum.cx;
    if (minInfo_.cy > 0) info.ptMinTrackSize.y = minimum.cy;
    if (maxInfo_.cx > 0) info.ptMaxTrackSize.x = maximum.cx;
    if (maxInfo_.cy > 0) info.ptMaxTrackSize.y = maximum.cy;
}

}  // namespace UiLib
