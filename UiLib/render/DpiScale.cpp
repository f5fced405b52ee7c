#include "UiLib/render/DpiScale.h"

#include "UiLib/Utils/LibraryFunction.h"
#include "UiLib/render/ScopedDC.h"

namespace UiLib {

int CDpiScale::ScaleFontSize(int size) const {
    int scaled = Scale(size);
    if (size > 0 && scaled < 1) return 1;
    if (size < 0 && scaled > -1) return -1;
    return scaled;
}

CDpiScale WindowDpiScale(HWND window) {
    // Older systems have no per-window DPI: there every window has the screen's.
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = LibraryFunction<GetDpiForWindowFn>(L"user32.dll", "GetDpiForWindow");
    if (getDpiForWindow && window) return CDpiScale(static_cast<int>(getDpiForWindow(window)));
    CWindowDC screen(nullptr);
    return CDpiScale(screen.Get() ? ::GetDeviceCaps(screen.Get(), LOGPIXELSX) : CDpiScale::kSkinDpi);
}

}  // namespace UiLib
