#include "UiLib/core/RenderClip.h"

namespace UiLib {

CRenderClip::CRenderClip(HDC dc, const RECT& rect) : dc_(dc), rect_(rect) {
    SaveOldClip();
    region_.Reset(::CreateRectRgnIndirect(&rect));
    Apply();
}

CRenderClip::CRenderClip(HDC dc, const RECT& rect, const RECT& round, int ellipseWidth, int ellipseHeight)
    : dc_(dc), rect_(rect) {
    SaveOldClip();
    region_.Reset(::CreateRectRgnIndirect(&rect));
    CRegionHandle rounded(
        ::CreateRoundRectRgn(round.left, round.top, round.right + 1, round.bottom + 1, ellipseWidth, ellipseHeight));
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
