#pragma once
#include <windows.h>

#include <string>

#include "UiLib/Utils/UiColor.h"
#include "UiLib/render/PictureRender.h"

namespace UiLib {

class CSkinResources;

// AlphaBlend's signature; the framework's own blend has the same one.
using AlphaBlendFunction = BOOL(WINAPI*)(HDC, int, int, int, int, HDC, int, int, int, int, BLENDFUNCTION);

// The stateless drawing operations of all controls on a GDI device context.
class CSkinRenderer {
public:
    CSkinRenderer() = delete;

    // Alpha 0 draws nothing, 0xFF fills opaquely, anything else blends over what is there.
    static void DrawColor(HDC dc, const RECT& rect, UiColor color);
    static void DrawGradient(HDC dc, const RECT& rect, UiColor first, UiColor second, bool vertical, int steps);
    static void DrawLine(HDC dc, const RECT& rect, int width, UiColor color, int penStyle = PS_SOLID);
    static void DrawRect(HDC dc, const RECT& rect, int width, UiColor color);
    static void DrawRoundRect(HDC dc, const RECT& rect, int width, int ellipseWidth, int ellipseHeight,
                              UiColor color);

    // Plain text in the skin's font of that index (the default font when out of range); nothing
    // without resources.
    static void DrawText(HDC dc, CSkinResources* resources, RECT& rect, const std::wstring& text, UiColor color,
                         int font, UINT style);
    // Text with brace tags ({b}, {c #RRGGBB}, {a target}, ...). Link rectangles and targets are
    // recorded into the arrays, at most `linkCount` of them; `linkCount` returns how many.
    // With DT_CALCRECT nothing is drawn and `rect` returns the extent of the text. The links are
    // drawn hot while `mouse` is over one of them.
    static void DrawMarkupText(HDC dc, CSkinResources* resources, RECT& rect, const std::wstring& text,
                               UiColor color, RECT* linkRects, std::wstring* linkTargets, int& linkCount,
                               UINT style, POINT mouse = POINT{-1, -1});

    // Draws an image attribute string (with an optional modifier string that overrides it) for a
    // window of `dpi`, from the picture's render nearest to it. False when an image it names cannot
    // be loaded.
    static bool DrawImageString(HDC dc, CSkinResources* resources, const RECT& item, const RECT& paint,
                                const std::wstring& image, const std::wstring& modifier = std::wstring(),
                                const CDpiScale& dpi = CDpiScale());

    // Nine-grid drawing of `source` of a bitmap (in its pixels) into `dest`, only where it meets
    // `paint`. `corners` are in 96-DPI units of the 1x picture, mapped by `scale` into the bitmap
    // and into the window, so corners stay crisp at every DPI; tiles keep the size `scale` gives them.
    static void DrawImage(HDC dc, HBITMAP bitmap, const RECT& dest, const RECT& paint, const RECT& source,
                          const RECT& corners, bool alpha, BYTE fade = 255, bool hole = false, bool xTiled = false,
                          bool yTiled = false, const CPictureScale& scale = CPictureScale());

    // The blend in use: msimg32's AlphaBlend, or the framework's own where it is missing.
    static AlphaBlendFunction BlendFunction();
    // Replaces the blend in use (null restores the system's); lets tests run the own blend.
    static void OverrideBlendFunction(AlphaBlendFunction blend);
    // Draws gradients in solid bands instead of with GradientFill, as on systems without it.
    static void DisableGradientFill(bool disable);
};

// A source-over blend of premultiplied pixels with AlphaBlend's signature and behaviour.
BOOL WINAPI SoftwareAlphaBlend(HDC dest, int destX, int destY, int destWidth, int destHeight, HDC source,
                               int sourceX, int sourceY, int sourceWidth, int sourceHeight, BLENDFUNCTION blend);

// The number of solid bands a gradient without GradientFill uses: a power of two from 2 to 64.
int GradientBandCount(int steps);

}  // namespace UiLib
