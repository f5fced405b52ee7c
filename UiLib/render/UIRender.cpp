#include "UiLib/render/UIRender.h"

#include <algorithm>

#include "UiLib/Utils/LibraryFunction.h"
#include "UiLib/render/DibSection.h"
#include "UiLib/render/GdiObject.h"
#include "UiLib/render/ImageDrawParams.h"
#include "UiLib/render/ScopedDC.h"
#include "UiLib/render/SkinResources.h"

namespace UiLib {
namespace {

using GradientFillFunction = BOOL(WINAPI*)(HDC, PTRIVERTEX, ULONG, PVOID, ULONG, ULONG);

// msimg32 is looked up once.
struct BlendLibrary {
    AlphaBlendFunction alphaBlend = nullptr;
    GradientFillFunction gradientFill = nullptr;

    BlendLibrary()
        : alphaBlend(LibraryFunction<AlphaBlendFunction>(L"msimg32.dll", "AlphaBlend")),
          gradientFill(LibraryFunction<GradientFillFunction>(L"msimg32.dll", "GradientFill")) {}
};

const BlendLibrary& Library() {
    static const BlendLibrary library;
    return library;
}

// One memory DC per thread to select source pictures into, and one pixel to blend colours from:
// making a DC or a DIB section for every piece drawn costs more than drawing a small piece.
HDC SourceDC() {
    thread_local CMemoryDC dc(nullptr);
    return dc.Get();
}

CDibSection& ColorPixel() {
    thread_local CDibSection pixel(1, 1);
    return pixel;
}

AlphaBlendFunction g_blendOverride = nullptr;
bool g_gradientFillDisabled = false;

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

uint32_t Premultiplied(UiColor color) {
    uint32_t alpha = AlphaOf(color);
    auto scale = [alpha](uint32_t channel) { return channel * alpha / 255; };
    return (alpha << 24) | (scale(RedOf(color)) << 16) | (scale(GreenOf(color)) << 8) | scale(BlueOf(color));
}

// The DC's own brush fills without making a GDI object. (An opaque ExtTextOutW with no text fills
// as well, but some GDI implementations take it through their font machinery first.)
void FillSolid(HDC dc, const RECT& rect, UiColor color) {
    COLORREF old = ::SetDCBrushColor(dc, ToColorRef(color));
    ::FillRect(dc, &rect, static_cast<HBRUSH>(::GetStockObject(DC_BRUSH)));
    ::SetDCBrushColor(dc, old);
}

UiColor Interpolate(UiColor first, UiColor second, int index, int count) {
    auto mix = [&](uint8_t a, uint8_t b) {
        return static_cast<uint8_t>(a + (static_cast<int>(b) - a) * index / std::max(1, count - 1));
    };
    return MakeColor(0xFF, mix(RedOf(first), RedOf(second)), mix(GreenOf(first), GreenOf(second)),
                     mix(BlueOf(first), BlueOf(second)));
}

void FillGradientOpaque(HDC dc, const RECT& rect, UiColor first, UiColor second, bool vertical, int steps) {
    GradientFillFunction gradientFill = g_gradientFillDisabled ? nullptr : Library().gradientFill;
    if (gradientFill) {
        TRIVERTEX vertices[2] = {
            {rect.left, rect.top, static_cast<COLOR16>(RedOf(first) << 8), static_cast<COLOR16>(GreenOf(first) << 8),
             static_cast<COLOR16>(BlueOf(first) << 8), 0xFF00},
            {rect.right, rect.bottom, static_cast<COLOR16>(RedOf(second) << 8),
             static_cast<COLOR16>(GreenOf(second) << 8), static_cast<COLOR16>(BlueOf(second) << 8), 0xFF00}};
        GRADIENT_RECT band{0, 1};
        gradientFill(dc, vertices, 2, &band, 1, vertical ? GRADIENT_FILL_RECT_V : GRADIENT_FILL_RECT_H);
        return;
    }
    int bands = GradientBandCount(steps);
    int length = vertical ? Height(rect) : Width(rect);
    for (int i = 0; i < bands; ++i) {
        RECT band = rect;
        int from = length * i / bands;
        int to = length * (i + 1) / bands;
        if (vertical) {
            band.top = rect.top + from;
            band.bottom = rect.top + to;
        } else {
            band.left = rect.left + from;
            band.right = rect.left + to;
        }
        FillSolid(dc, band, Interpolate(first, second, i, bands));
    }
}

// Copies (or blends) one piece of the nine-grid from the source DC.
class PieceCopier {
public:
    PieceCopier(HDC dest, HDC source, AlphaBlendFunction blend, BLENDFUNCTION function)
        : dest_(dest), source_(source), blend_(blend), function_(function) {}

    void operator()(const RECT& d, const RECT& s) const {
        if (Width(d) <= 0 || Height(d) <= 0 || Width(s) <= 0 || Height(s) <= 0) return;
        if (blend_) {
            blend_(dest_, d.left, d.top, Width(d), Height(d), source_, s.left, s.top, Width(s), Height(s), function_);
        } else if (Width(d) == Width(s) && Height(d) == Height(s)) {
            ::BitBlt(dest_, d.left, d.top, Width(d), Height(d), source_, s.left, s.top, SRCCOPY);
        } else {
            ::StretchBlt(dest_, d.left, d.top, Width(d), Height(d), source_, s.left, s.top, Width(s), Height(s),
                         SRCCOPY);
        }
    }

private:
    HDC dest_;
    HDC source_;
    AlphaBlendFunction blend_;
    BLENDFUNCTION function_;
};

bool Meets(const RECT& a, const RECT& b) {
    RECT common;
    return ::IntersectRect(&common, &a, &b) != FALSE;
}

// The middle of the nine-grid: stretched, or repeated in tiles of the source size as `scale` draws it.
void DrawMiddle(const PieceCopier& copy, const RECT& dest, const RECT& source, const RECT& paint, bool xTiled,
                bool yTiled, const CPictureScale& scale) {
    if (!Meets(dest, paint)) return;
    if (!xTiled && !yTiled) {
        copy(dest, source);
        return;
    }
    int tileWidth = scale.RenderToWindow(Width(source));
    int tileHeight = scale.RenderToWindow(Height(source));
    if (tileWidth <= 0 || tileHeight <= 0) return;
    int columns = xTiled ? (Width(dest) + tileWidth - 1) / tileWidth : 1;
    int rows = yTiled ? (Height(dest) + tileHeight - 1) / tileHeight : 1;
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            RECT d = dest;
            RECT s = source;
            // A tile cut by the destination's edge takes the same share of the source.
            if (xTiled) {
                d.left = dest.left + column * tileWidth;
                d.right = std::min(d.left + tileWidth, dest.right);
                s.right = s.left + ::MulDiv(Width(d), Width(source), tileWidth);
            }
            if (yTiled) {
                d.top = dest.top + row * tileHeight;
                d.bottom = std::min(d.top + tileHeight, dest.bottom);
                s.bottom = s.top + ::MulDiv(Height(d), Height(source), tileHeight);
            }
            if (Meets(d, paint)) copy(d, s);
        }
    }
}

// The eight pieces around the middle; `sc` are the corners in source pixels, `wc` in window pixels.
void DrawBorderPieces(const PieceCopier& copy, const RECT& dest, const RECT& source, const RECT& sc, const RECT& wc,
                      const RECT& paint) {
    struct Piece {
        bool present;
        RECT d;
        RECT s;
    };
    const Piece pieces[] = {
        {sc.left > 0 && sc.top > 0,
         {dest.left, dest.top, dest.left + wc.left, dest.top + wc.top},
         {source.left, source.top, source.left + sc.left, source.top + sc.top}},
        {sc.top > 0,
         {dest.left + wc.left, dest.top, dest.right - wc.right, dest.top + wc.top},
         {source.left + sc.left, source.top, source.right - sc.right, source.top + sc.top}},
        {sc.right > 0 && sc.top > 0,
         {dest.right - wc.right, dest.top, dest.right, dest.top + wc.top},
         {source.right - sc.right, source.top, source.right, source.top + sc.top}},
        {sc.left > 0,
         {dest.left, dest.top + wc.top, dest.left + wc.left, dest.bottom - wc.bottom},
         {source.left, source.top + sc.top, source.left + sc.left, source.bottom - sc.bottom}},
        {sc.right > 0,
         {dest.right - wc.right, dest.top + wc.top, dest.right, dest.bottom - wc.bottom},
         {source.right - sc.right, source.top + sc.top, source.right, source.bottom - sc.bottom}},
        {sc.left > 0 && sc.bottom > 0,
         {dest.left, dest.bottom - wc.bottom, dest.left + wc.left, dest.bottom},
         {source.left, source.bottom - sc.bottom, source.left + sc.left, source.bottom}},
        {sc.bottom > 0,
         {dest.left + wc.left, dest.bottom - wc.bottom, dest.right - wc.right, dest.bottom},
         {source.left + sc.left, source.bottom - sc.bottom, source.right - sc.right, source.bottom}},
        {sc.right > 0 && sc.bottom > 0,
         {dest.right - wc.right, dest.bottom - wc.bottom, dest.right, dest.bottom},
         {source.right - sc.right, source.bottom - sc.bottom, source.right, source.bottom}},
    };
    for (const Piece& piece : pieces)
        if (piece.present && Meets(piece.d, paint)) copy(piece.d, piece.s);
}

// One image of an image string, fetched from the skin's cache in the render nearest to `dpi`.
bool DrawOneImage(HDC dc, CSkinResources* resources, const RECT& item, const RECT& paint,
                  const ImageDrawParams& params, const CDpiScale& dpi) {
    if (params.name.empty()) return false;
    const TImageInfo* image = resources->GetImageEx(params.name, params.resourceType, params.mask, dpi);
    if (!image) return false;
    const CPictureScale scale(image->renderPercent, dpi);
    RECT source = scale.ToRender(params.source);
    if (source.left == 0 && source.top == 0 && source.right == 0 && source.bottom == 0)
        source = RECT{0, 0, image->width, image->height};
    source.right = std::min<LONG>(source.right, image->width);
    source.bottom = std::min<LONG>(source.bottom, image->height);
    if (!Meets(params.dest, item) || !Meets(params.dest, paint)) return true;
    CSkinRenderer::DrawImage(dc, image->hBitmap, params.dest, paint, source, params.corners, image->alpha,
                             params.fade, params.hole, params.xTiled, params.yTiled, scale);
    return true;
}

}  // namespace

int GradientBandCount(int steps) {
    if (steps < 4) return 2;
    if (steps < 8) return 4;
    if (steps < 16) return 8;
    if (steps < 32) return 16;
    if (steps < 64) return 32;
    return 64;
}

BOOL WINAPI SoftwareAlphaBlend(HDC dest, int destX, int destY, int destWidth, int destHeight, HDC source,
                               int sourceX, int sourceY, int sourceWidth, int sourceHeight, BLENDFUNCTION blend) {
    if (destWidth <= 0 || destHeight <= 0 || sourceWidth <= 0 || sourceHeight <= 0) return FALSE;
    CDibSection below(destWidth, destHeight);
    CDibSection above(destWidth, destHeight);
    CMemoryDC belowDC(dest);
    CMemoryDC aboveDC(dest);
    if (!below.IsValid() || !above.IsValid() || !belowDC || !aboveDC) return FALSE;
    CSelectObject selectBelow(belowDC.Get(), below.Get());
    CSelectObject selectAbove(aboveDC.Get(), above.Get());
    ::BitBlt(belowDC.Get(), 0, 0, destWidth, destHeight, dest, destX, destY, SRCCOPY);
    ::SetStretchBltMode(aboveDC.Get(), COLORONCOLOR);
    ::StretchBlt(aboveDC.Get(), 0, 0, destWidth, destHeight, source, sourceX, sourceY, sourceWidth, sourceHeight,
                 SRCCOPY);
    ::GdiFlush();

    const uint32_t constant = blend.SourceConstantAlpha;
    const bool perPixel = (blend.AlphaFormat & AC_SRC_ALPHA) != 0;
    uint32_t* d = below.Pixels();
    const uint32_t* s = above.Pixels();
    for (size_t i = 0, n = static_cast<size_t>(destWidth) * destHeight; i < n; ++i) {
        uint32_t sourceAlpha = (perPixel ? (s[i] >> 24) : 255) * constant / 255;
        uint32_t result = 0;
        for (int shift = 0; shift < 32; shift += 8) {
            uint32_t sourceChannel = shift == 24 ? sourceAlpha : ((s[i] >> shift) & 0xFF) * constant / 255;
            uint32_t destChannel = (d[i] >> shift) & 0xFF;
            uint32_t channel = std::min<uint32_t>(255, sourceChannel + destChannel * (255 - sourceAlpha) / 255);
            result |= channel << shift;
        }
        d[i] = result;
    }
    ::BitBlt(dest, destX, destY, destWidth, destHeight, belowDC.Get(), 0, 0, SRCCOPY);
    return TRUE;
}

AlphaBlendFunction CSkinRenderer::BlendFunction() {
    if (g_blendOverride) return g_blendOverride;
    return Library().alphaBlend ? Library().alphaBlend : &SoftwareAlphaBlend;
}

void CSkinRenderer::OverrideBlendFunction(AlphaBlendFunction blend) { g_blendOverride = blend; }

void CSkinRenderer::DisableGradientFill(bool disable) { g_gradientFillDisabled = disable; }

void CSkinRenderer::DrawColor(HDC dc, const RECT& rect, UiColor color) {
    if (AlphaOf(color) == 0 || ::IsRectEmpty(&rect)) return;
    if (AlphaOf(color) == 0xFF) {
        FillSolid(dc, rect, color);
        return;
    }
    CDibSection& pixel = ColorPixel();
    HDC memory = SourceDC();
    if (!pixel.IsValid() || !memory) return;
    pixel.Pixels()[0] = Premultiplied(color);
    CSelectObject select(memory, pixel.Get());
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    BlendFunction()(dc, rect.left, rect.top, Width(rect), Height(rect), memory, 0, 0, 1, 1, blend);
}

void CSkinRenderer::DrawGradient(HDC dc, const RECT& rect, UiColor first, UiColor second, bool vertical,
                                 int steps) {
    int alpha = (AlphaOf(first) + AlphaOf(second)) / 2;
    if (alpha == 0 || ::IsRectEmpty(&rect)) return;
    if (alpha == 255) {
        FillGradientOpaque(dc, rect, first, second, vertical, steps);
        return;
    }
    CDibSection surface(Width(rect), Height(rect));
    CMemoryDC memory(dc);
    if (!surface.IsValid() || !memory) return;
    CSelectObject select(memory.Get(), surface.Get());
    FillGradientOpaque(memory.Get(), RECT{0, 0, Width(rect), Height(rect)}, first, second, vertical, steps);
    BLENDFUNCTION blend{AC_SRC_OVER, 0, static_cast<BYTE>(alpha), 0};
    BlendFunction()(dc, rect.left, rect.top, Width(rect), Height(rect), memory.Get(), 0, 0, Width(rect),
                    Height(rect), blend);
}

void CSkinRenderer::DrawLine(HDC dc, const RECT& rect, int width, UiColor color, int penStyle) {
    CPenHandle pen(::CreatePen(penStyle, width, ToColorRef(color)));
    CSelectObject select(dc, pen.Get());
    POINT previous;
    ::MoveToEx(dc, rect.left, rect.top, &previous);
    ::LineTo(dc, rect.right, rect.bottom);
    ::MoveToEx(dc, previous.x, previous.y, nullptr);
}

void CSkinRenderer::DrawRect(HDC dc, const RECT& rect, int width, UiColor color) {
    CPenHandle pen(::CreatePen(PS_SOLID | PS_INSIDEFRAME, width, ToColorRef(color)));
    CSelectObject selectPen(dc, pen.Get());
    CSelectObject selectBrush(dc, ::GetStockObject(NULL_BRUSH));
    ::Rectangle(dc, rect.left, rect.top, rect.right, rect.bottom);
}

void CSkinRenderer::DrawRoundRect(HDC dc, const RECT& rect, int width, int ellipseWidth, int ellipseHeight,
                                  UiColor color) {
    CPenHandle pen(::CreatePen(PS_SOLID | PS_INSIDEFRAME, width, ToColorRef(color)));
    CSelectObject selectPen(dc, pen.Get());
    CSelectObject selectBrush(dc, ::GetStockObject(NULL_BRUSH));
    ::RoundRect(dc, rect.left, rect.top, rect.right, rect.bottom, ellipseWidth, ellipseHeight);
}

void CSkinRenderer::DrawText(HDC dc, CSkinResources* resources, RECT& rect, const std::wstring& text,
                             UiColor color, int font, UINT style) {
    if (text.empty() || !resources) return;
    // Font 10 is the skin's centred, wrapping caption font whatever the caller asks.
    constexpr UINT kFont10Style = DT_CENTER | DT_BOTTOM | DT_WORDBREAK | DT_NOPREFIX | DT_EDITCONTROL |
                                  DT_END_ELLIPSIS;
    if (font == 10) style = kFont10Style | (style & DT_CALCRECT);
    int oldMode = ::SetBkMode(dc, TRANSPARENT);
    COLORREF oldColor = ::SetTextColor(dc, ToColorRef(color));
    {
        CSelectObject select(dc, resources->GetFont(font));
        ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, style | DT_NOPREFIX);
    }
    ::SetTextColor(dc, oldColor);
    ::SetBkMode(dc, oldMode);
}

bool CSkinRenderer::DrawImageString(HDC dc, CSkinResources* resources, const RECT& item, const RECT& paint,
                                    const std::wstring& image, const std::wstring& modifier, const CDpiScale& dpi) {
    if (!resources) return false;
    if (image.empty()) return true;
    bool drawn = true;
    auto draw = [&](const ImageDrawParams& params) {
        if (!DrawOneImage(dc, resources, item, paint, params, dpi)) drawn = false;
    };
    CImageStringParser parser(item, draw, dpi);
    parser.Parse(image);
    parser.Parse(modifier);
    draw(parser.Params());
    return drawn;
}

void CSkinRenderer::DrawImage(HDC dc, HBITMAP bitmap, const RECT& dest, const RECT& paint, const RECT& source,
                              const RECT& corners, bool alpha, BYTE fade, bool hole, bool xTiled, bool yTiled,
                              const CPictureScale& scale) {
    HDC memory = SourceDC();
    if (!bitmap || !memory) return;
    CSelectObject select(memory, bitmap);
    int oldMode = ::SetStretchBltMode(dc, HALFTONE);
    POINT oldOrigin;
    ::SetBrushOrgEx(dc, 0, 0, &oldOrigin);

    AlphaBlendFunction blend = (alpha || fade < 255) ? BlendFunction() : nullptr;
    BLENDFUNCTION function{AC_SRC_OVER, 0, fade, static_cast<BYTE>(alpha ? AC_SRC_ALPHA : 0)};
    PieceCopier copy(dc, memory, blend, function);

    // The corners in the bitmap's pixels and in the window's.
    const RECT sc = scale.ToRender(corners);
    const RECT wc = scale.ToWindow(corners);
    bool plainCopy = Width(dest) == Width(source) && Height(dest) == Height(source) && sc.left == 0 && sc.top == 0 &&
                     sc.right == 0 && sc.bottom == 0;
    if (plainCopy) {
        RECT visible;
        if (::IntersectRect(&visible, &paint, &dest)) {
            RECT part{source.left + visible.left - dest.left, source.top + visible.top - dest.top, 0, 0};
            part.right = part.left + Width(visible);
            part.bottom = part.top + Height(visible);
            copy(visible, part);
        }
    } else {
        if (!hole) {
            RECT middleDest{dest.left + wc.left, dest.top + wc.top, dest.right - wc.right, dest.bottom - wc.bottom};
            RECT middleSource{source.left + sc.left, source.top + sc.top, source.right - sc.right,
                              source.bottom - sc.bottom};
            DrawMiddle(copy, middleDest, middleSource, paint, xTiled, yTiled, scale);
        }
        DrawBorderPieces(copy, dest, source, sc, wc, paint);
    }
    ::SetBrushOrgEx(dc, oldOrigin.x, oldOrigin.y, nullptr);
    ::SetStretchBltMode(dc, oldMode);
}

}  // namespace UiLib
