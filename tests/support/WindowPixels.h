#pragma once
#include <windows.h>

#include <cstdint>

#include "UiLib/render/ScopedDC.h"

// A pixel of a window's client area as its last paint left it, 0xRRGGBB: the window keeps what
// was painted on it, so the pixel is read from the window itself, whichever process shows it.
inline uint32_t ClientRgb(HWND window, int x, int y) {
    UiLib::CWindowDC dc(window);
    const COLORREF color = ::GetPixel(dc.Get(), x, y);
    return static_cast<uint32_t>(GetRValue(color)) << 16 | GetGValue(color) << 8 | GetBValue(color);
}
inline uint32_t ClientRgb(HWND window, POINT client) { return ClientRgb(window, client.x, client.y); }
