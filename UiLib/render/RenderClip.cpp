#include "UiLib/render/RenderClip.h"

namespace UiLib {

namespace {

// Clip regions are in device units; a DC painting a band of the window has its origin moved.
RECT ToDevice(HDC dc, RECT rect) {
    ::LPtoDP(dc, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

}  // namespace

CRenderClip::CRenderClip(HDC dc, const RECT& rect) : dc_(dc), rect_(rect) {
    SaveOldClip();
    const RECT device = ToDevice(dc, rect);
    region_.Reset(::CreateRectRgnIndirect(&device));
    Apply();
}

CRenderClip::CRenderClip(HDC dc, const RECT& rect, const RECT& round, int ellipseWidth, int ellipseHeight)
    : dc_(dc), rect_(rect) {
    SaveOldClip();
    const RECT device = ToDevice(dc, rect);
    const RECT deviceRound = ToDevice(dc, round);
    region_.Reset(::CreateRectRgnIndirect(&device));
    CRegionHandle rounded(::CreateRoundRectRgn(deviceRound.left, deviceRound.top, deviceRound.right + 1,
                                               deviceRound.bottom + 1, ellipseWidth, ellipseHeight));
    if (region_ && rounded) ::CombineRgn(region_.Get(), region_.Get(), rounded.Get(), RGN_AND);
    Apply();
}

CRenderClip::~CRenderClip() { ::SelectClipRgn(dc_, oldRegion_.Get()); }

void CRenderClip::SaveOldClip() {
    CRegionHandle old(::CreateRectRgn(0, 0, 0, 0));
    // 1: the DC has a clip region and it was copied; 0: no clipping at all.
    if (old && ::GetClipRgn(dc_, old.Get()) == 1) oldRegion_ = std::move(old);
}

void CRenderClip::Apply() {
    if (region_) ::ExtSelectClipRgn(dc_, region_.Get(), RGN_AND);
}

}  // namespace UiLib
