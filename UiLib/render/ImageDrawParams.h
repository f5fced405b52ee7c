#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "UiLib/Utils/UiColor.h"
#include "UiLib/render/DpiScale.h"

namespace UiLib {

// What an image attribute string asks for: which image and how to draw it.
struct ImageDrawParams {
    std::wstring name;
    std::wstring resourceType;
    RECT dest{};
    RECT source{};
    RECT corners{};
    UiColor mask = 0;
    BYTE fade = 255;
    bool hole = false;
    bool xTiled = false;
    bool yTiled = false;
};

// Reads image strings: either a bare file name or `key='value'` pairs. The parser starts from
// `params`, whose destination should be the item rectangle, and keeps what earlier strings set,
// so a modifier string parsed second overrides the image string's values. `drawPending` is
// called whenever a further "file" or a "restype" after a file means that the image collected
// so far must be drawn first. Returns whether at least one image name was given.
class CImageStringParser {
public:
    using DrawPending = std::function<void(const ImageDrawParams&)>;

    // A `dest` is given in 96-DPI units from the item's corner: it is scaled by `dpi`. (`source`
    // and `corner` stay in the picture's units until a render is chosen.)
    CImageStringParser(const RECT& item, DrawPending drawPending, const CDpiScale& dpi = CDpiScale());

    void Parse(const std::wstring& text);
    const ImageDrawParams& Params() const { return params_; }
    bool HasImage() const { return imageCount_ > 0 || !params_.name.empty(); }

private:
    void Apply(const std::wstring& key, const std::wstring& value);

    RECT item_;
    DrawPending drawPending_;
    CDpiScale dpi_;
    ImageDrawParams params_;
    int imageCount_ = 0;
};

}  // namespace UiLib
