#pragma once
#include <windows.h>

namespace UiLib {

// A skin gives every length in pixels of a 96-DPI display; a window on a display of another DPI
// draws them scaled by this. At 96 DPI every value comes back unchanged, so a skin looks there
// exactly as it is written.
class CDpiScale {
public:
    static constexpr int kSkinDpi = USER_DEFAULT_SCREEN_DPI;

    // A DPI the system cannot report (zero or less) is taken as the skin's own.
    explicit CDpiScale(int dpi = kSkinDpi) : dpi_(dpi > 0 ? dpi : kSkinDpi) {}

    int Dpi() const { return dpi_; }
    bool IsIdentity() const { return dpi_ == kSkinDpi; }

    // Rounds to the nearest pixel, halves away from zero, so -v scales to -(scaled v).
    int Scale(int value) const { return ::MulDiv(value, dpi_, kSkinDpi); }
    SIZE Scale(SIZE size) const { return {Scale(size.cx), Scale(size.cy)}; }
    POINT Scale(POINT point) const { return {Scale(point.x), Scale(point.y)}; }
    // Each edge on its own (not origin and size), so rectangles that touch at 96 DPI still touch.
    RECT Scale(RECT rect) const {
        return {Scale(rect.left), Scale(rect.top), Scale(rect.right), Scale(rect.bottom)};
    }
    // Back to the skin's pixels: what a control measured in window pixels is stored as the skin
    // would have written it; at this DPI or above it scales back to the same window pixels.
    int Unscale(int value) const { return ::MulDiv(value, kSkinDpi, dpi_); }
    bool operator==(const CDpiScale& other) const { return dpi_ == other.dpi_; }
    bool operator!=(const CDpiScale& other) const { return dpi_ != other.dpi_; }
    // A font's pixel height: a visible font never rounds away to nothing (a zero height would ask
    // the system for its default size instead).
    int ScaleFontSize(int size) const;

private:
    int dpi_;
};

// The DPI the system draws `window` at: the window's own where the system reports one per window,
// else the screen's.
CDpiScale WindowDpiScale(HWND window);

}  // namespace UiLib
