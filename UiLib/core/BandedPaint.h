#pragma once
#include <windows.h>

#include <functional>
#include <memory>

#include "UiLib/render/DibSection.h"
#include "UiLib/render/ScopedDC.h"

namespace UiLib {

// Double-buffered painting of one window through a buffer a few rows high, as wide as the
// window: a buffer of the whole window would hold as much memory again as the window's pictures.
// A window paints as fast in bands of 32 rows as of 128, for a quarter of the memory.
class CBandedPaint {
public:
    // Draws the part `band` of the window into `dc`, in window coordinates.
    using BandPainter = std::function<void(HDC dc, const RECT& band)>;

    // The band of rows the window is painted through (invalid before the first paint).
    const CDibSection& Surface() const { return band_; }
    // The window's size changed: what lay behind a transparent skin is taken again.
    void ForgetBackground();
    // Paints `area` of `screen` band by band; with `transparentBackground` each band starts from
    // the window's screen content as first painted. False (nothing painted) without a buffer.
    bool Paint(HDC screen, const RECT& client, const RECT& area, bool transparentBackground,
               const BandPainter& paint);

private:
    bool HasBand(HDC screen, const RECT& client);
    void CaptureBackground(HDC screen, const RECT& client, const RECT& area);
    void PaintBand(HDC screen, const RECT& band, const BandPainter& paint);

    std::unique_ptr<CMemoryDC> bandDC_;
    CDibSection band_;
    std::unique_ptr<CMemoryDC> backgroundDC_;
    CDibSection background_;
};

}  // namespace UiLib
