#pragma once
#include <windows.h>

#include <cstdint>

#include "UiLib/render/GdiObject.h"

namespace UiLib {

// A 32-bit top-down DIB section with direct access to its pixels (blue, green, red, alpha).
class CDibSection {
public:
    CDibSection() = default;
    CDibSection(int width, int height);

    bool IsValid() const { return static_cast<bool>(bitmap_); }
    HBITMAP Get() const { return bitmap_.Get(); }
    HBITMAP Release() { return bitmap_.Release(); }
    int Width() const { return width_; }
    int Height() const { return height_; }
    uint32_t* Pixels() const { return pixels_; }
    // The pixel at (x, y) as 0xAARRGGBB; 0 outside the bitmap.
    uint32_t PixelAt(int x, int y) const;

private:
    CBitmapHandle bitmap_;
    uint32_t* pixels_ = nullptr;
    int width_ = 0;
    int height_ = 0;
};

}  // namespace UiLib
