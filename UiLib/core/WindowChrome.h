#pragma once
#include <windows.h>

#include "UiLib/render/DpiScale.h"

namespace UiLib {

// The frame a layout gives its window: initial size, the draggable caption, the size box, round
// corners, the tracking limits, whole-window opacity and a background that shows through. The
// lengths are set in the skin's 96-DPI pixels and read in the window's.
class CWindowChrome {
public:
    void SetDpiScale(CDpiScale scale) { scale_ = scale; }
    SIZE GetInitSize() const { return scale_.Scale(initSize_); }
    // Stores the initial size and, with `resizeNow`, gives it to `window` at once.
    void SetInitSize(HWND window, int cx, int cy, bool resizeNow);
    RECT GetSizeBox() const { return scale_.Scale(sizeBox_); }
    void SetSizeBox(const RECT& sizeBox) { sizeBox_ = sizeBox; }
    RECT GetCaptionRect() const { return scale_.Scale(caption_); }
    void SetCaptionRect(const RECT& caption) { caption_ = caption; }
    SIZE GetRoundCorner() const { return scale_.Scale(roundCorner_); }
    void SetRoundCorner(int cx, int cy) { roundCorner_ = SIZE{cx, cy}; }
    SIZE GetMinInfo() const { return scale_.Scale(minInfo_); }
    void SetMinInfo(int cx, int cy) { minInfo_ = SIZE{cx, cy}; }
    SIZE GetMaxInfo() const { return scale_.Scale(maxInfo_); }
    void SetMaxInfo(int cx, int cy) { maxInfo_ = SIZE{cx, cy}; }
    bool IsBackgroundTransparent() const { return alphaBackground_; }
    void SetBackgroundTransparent(bool on) { alphaBackground_ = on; }
    int GetTransparent() const { return opacity_; }
    // 0..255 makes `window` (when there is one) layered with that alpha, anything else plain.
    void SetTransparent(HWND window, int opacity);
    // Narrows what the system offers for WM_GETMINMAXINFO to the layout's limits (0: no limit).
    void LimitTracking(MINMAXINFO& info) const;

private:
    CDpiScale scale_;
    SIZE initSize_{};
    SIZE minInfo_{};
    SIZE maxInfo_{};
    RECT sizeBox_{};
    RECT caption_{};
    SIZE roundCorner_{};
    bool alphaBackground_ = false;
    int opacity_ = 255;
};

}  // namespace UiLib
