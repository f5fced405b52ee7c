#pragma once
#include <windows.h>

#include <cstdint>

#include "UiLib/render/DibSection.h"
#include "UiLib/render/GdiObject.h"
#include "UiLib/render/ScopedDC.h"

// An off-screen 32-bit surface to draw on and read back, filled with one colour to start.
class TestCanvas {
public:
    TestCanvas(int width, int height, uint32_t rgb = 0xFFFFFF);

    HDC DC() const { return dc_.Get(); }
    RECT Bounds() const { return RECT{0, 0, dib_.Width(), dib_.Height()}; }
    void Fill(uint32_t rgb);
    // The colour at (x, y) as 0xRRGGBB.
    uint32_t Rgb(int x, int y) const { return dib_.PixelAt(x, y) & 0xFFFFFF; }
    // The whole 32-bit pixel, alpha byte included.
    uint32_t Pixel(int x, int y) const { return dib_.PixelAt(x, y); }

private:
    UiLib::CDibSection dib_;
    UiLib::CMemoryDC dc_;
    UiLib::CSelectObject select_;
};

// Whether two 0xRRGGBB colours differ by at most `tolerance` in every channel.
bool NearRgb(uint32_t a, uint32_t b, int tolerance = 3);
