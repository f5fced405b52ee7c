#pragma once
#include <windows.h>

#include "UiLib/render/GdiObject.h"

namespace UiLib {

// Narrows a DC's clipping to a rectangle (or a rounded rectangle) for the life of the object
// and puts the previous clipping back afterwards. Clips nest: the newest is released first.
class CRenderClip {
public:
    CRenderClip(HDC dc, const RECT& rect);
    // The rectangle combined with the rounded rectangle `round` (corners inclusive).
    CRenderClip(HDC dc, const RECT& rect, const RECT& round, int ellipseWidth, int ellipseHeight);
    ~CRenderClip();

    CRenderClip(const CRenderClip&) = delete;
    CRenderClip& operator=(const CRenderClip&) = delete;

    const RECT& Rect() const { return rect_; }

private:
    void SaveOldClip();
    void Apply();

    HDC dc_;
    RECT rect_;
    CRegionHandle oldRegion_;  // none when the DC had no clipping
    CRegionHandle region_;
};

}  // namespace UiLib
