#pragma once
#include <windows.h>

#include <array>
#include <string>

#include "UiLib/render/DpiScale.h"

namespace UiLib {

// A skin picture drawn from SVG comes in renders of 100, 150 and 200 percent of its size, the
// larger ones named "<name>@1.5x.<ext>" and "<name>@2x.<ext>" beside the 1x file. Pictures
// without SVG sources have their 1x file alone.
constexpr int kPictureRenderCount = 3;

// The DPI's scale in percent of the skin's size: 125 at 120 DPI.
int PicturePercentForDpi(const CDpiScale& dpi);

// The renders to try for a window of that DPI, in percent, nearest first. Of two as near the
// larger one comes first: a picture scaled down stays sharper than one scaled up.
std::array<int, kPictureRenderCount> PreferredPictureRenders(const CDpiScale& dpi);

// The file of a render: "sysset/btn.png" at 200 is "sysset/btn@2x.png"; at 100 the name itself.
std::wstring PictureRenderName(const std::wstring& name, int percent);

// How a picture is mapped when a window draws it from one of its renders. Image strings give
// `source` and `corner` in pixels of the 1x picture, that is 96-DPI units: they become pixels of
// the render; the corners drawn and the destination become pixels of the window. The 1x render
// in a 96-DPI window maps everything one to one.
class CPictureScale {
public:
    CPictureScale() = default;
    CPictureScale(int renderPercent, CDpiScale dpi)
        : renderPercent_(renderPercent > 0 ? renderPercent : 100), dpi_(dpi) {}

    // Edge by edge, as CDpiScale rounds, so that touching pieces of a strip still touch.
    RECT ToRender(const RECT& units) const;
    RECT ToWindow(const RECT& units) const { return dpi_.Scale(units); }
    // How many window pixels `pixels` of the render cover (a tile's width).
    int RenderToWindow(int pixels) const {
        return ::MulDiv(pixels, dpi_.Dpi() * 100, CDpiScale::kSkinDpi * renderPercent_);
    }

private:
    int renderPercent_ = 100;
    CDpiScale dpi_;
};

}  // namespace UiLib
