#include "UiLib/core/BandedPaint.h"

#include <algorithm>

namespace UiLib {

void CBandedPaint::ForgetBackground() {
    backgroundDC_.reset();
    background_ = CDibSection();
}

bool CBandedPaint::Paint(HDC screen, const RECT& client, const RECT& area, bool transparentBackground,
                         const BandPainter& paint) {
    if (!HasBand(screen, client)) return false;
    if (transparentBackground) CaptureBackground(screen, client, area);
    for (LONG top = area.top; top < area.bottom; top += band_.Height()) {
        const RECT band{area.left, top, area.right, std::min<LONG>(area.bottom, top + band_.Height())};
        PaintBand(screen, band, paint);
    }
    return true;
}

bool CBandedPaint::HasBand(HDC screen, const RECT& client) {
    constexpr int kBandRows = 32;
    const int width = client.right - client.left;
    const int rows = std::min<int>(kBandRows, client.bottom - client.top);
    if (!band_.IsValid() || band_.Width() != width || band_.Height() != rows) band_ = CDibSection(width, rows);
    if (!bandDC_) bandDC_ = std::make_unique<CMemoryDC>(screen);
    return band_.IsValid() && *bandDC_;
}

// What lies behind a transparent skin is the window's screen content as first painted.
void CBandedPaint::CaptureBackground(HDC screen, const RECT& client, const RECT& area) {
    if (background_.IsValid()) return;
    background_ = CDibSection(client.right - client.left, client.bottom - client.top);
    backgroundDC_ = std::make_unique<CMemoryDC>(screen);
    if (!background_.IsValid() || !*backgroundDC_) return;
    CSelectObject into(backgroundDC_->Get(), background_.Get());
    ::BitBlt(backgroundDC_->Get(), area.left, area.top, area.right - area.left, area.bottom - area.top, screen,
             area.left, area.top, SRCCOPY);
}

void CBandedPaint::PaintBand(HDC screen, const RECT& band, const BandPainter& paint) {
    const int width = band.right - band.left;
    const int height = band.bottom - band.top;
    HDC buffer = bandDC_->Get();
    CSelectObject selected(buffer, band_.Get());
    {
        CSavedDCState state(buffer);
        // The buffer's first row stands for the band's top row: controls paint in window coordinates.
        ::SetViewportOrgEx(buffer, 0, -band.top, nullptr);
        if (background_.IsValid() && backgroundDC_) {
            CSelectObject from(backgroundDC_->Get(), background_.Get());
            ::BitBlt(buffer, band.left, band.top, width, height, backgroundDC_->Get(), band.left, band.top, SRCCOPY);
        }
        paint(buffer, band);
    }
    ::BitBlt(screen, band.left, band.top, width, height, buffer, band.left, 0, SRCCOPY);
}

}  // namespace UiLib
