#include "UiLib/layouts/BoxLayout.h"

#include <algorithm>

#include "UiLib/tree/UIContainer.h"

namespace UiLib {
namespace {

// Reads and writes sizes and rectangles along one axis, so the algorithm is written once.
struct Axis {
    bool vertical;

    LONG Main(SIZE s) const { return vertical ? s.cy : s.cx; }
    LONG Cross(SIZE s) const { return vertical ? s.cx : s.cy; }
    SIZE Make(LONG main, LONG cross) const { return vertical ? SIZE{cross, main} : SIZE{main, cross}; }
    LONG Before(const RECT& r) const { return vertical ? r.top : r.left; }
    LONG After(const RECT& r) const { return vertical ? r.bottom : r.right; }
    LONG CrossBefore(const RECT& r) const { return vertical ? r.left : r.top; }
    LONG CrossAfter(const RECT& r) const { return vertical ? r.right : r.bottom; }
    LONG MinMain(const CControlUI& c) const { return vertical ? c.GetMinHeight() : c.GetMinWidth(); }
    LONG MaxMain(const CControlUI& c) const { return vertical ? c.GetMaxHeight() : c.GetMaxWidth(); }
    LONG MinCross(const CControlUI& c) const { return vertical ? c.GetMinWidth() : c.GetMinHeight(); }
    LONG MaxCross(const CControlUI& c) const { return vertical ? c.GetMaxWidth() : c.GetMaxHeight(); }
    RECT Rect(LONG mainStart, LONG mainSize, LONG crossStart, LONG crossSize) const {
        return vertical ? RECT{crossStart, mainStart, crossStart + crossSize, mainStart + mainSize}
                        : RECT{mainStart, crossStart, mainStart + mainSize, crossStart + crossSize};
    }
};

LONG Clamp(LONG value, LONG low, LONG high) {
    if (value < low) value = low;
    if (value > high) value = high;
    return value;
}

bool TakesPart(const CControlUI& child) { return child.IsVisible() && !child.IsFloat(); }

struct Measure {
    LONG fixedSum = 0;     // fixed sizes, paddings and the gaps between children
    int stretchCount = 0;  // children without a fixed size along the axis
    int counted = 0;
};

Measure MeasureBox(const Axis& axis, const BoxLayoutInput& input, CContainerUI& box) {
    Measure measure;
    for (int i = 0; i < box.GetCount(); ++i) {
        CControlUI& child = *box.GetItemAt(i);
        if (!TakesPart(child)) continue;
        LONG main = axis.Main(child.EstimateSize(input.available));
        if (main == 0) ++measure.stretchCount;
        else main = Clamp(main, axis.MinMain(child), axis.MaxMain(child));
        RECT padding = child.GetPadding();
        measure.fixedSum += main + axis.Before(padding) + axis.After(padding);
        ++measure.counted;
    }
    if (measure.counted > 1) measure.fixedSum += input.childPadding * (measure.counted - 1);
    return measure;
}

}  // namespace

int ArrangeBox(const BoxLayoutInput& input, CContainerUI& box, const std::function<void(int)>& placeFloat) {
    const Axis axis{input.axis == BoxAxis::Vertical};
    const LONG availableMain = axis.Main(input.available);
    const LONG availableCross = axis.Cross(input.available);
    const Measure measure = MeasureBox(axis, input, box);
    const LONG share =
        measure.stretchCount > 0 ? std::max<LONG>(0, (availableMain - measure.fixedSum) / measure.stretchCount) : 0;

    // Fixed children get their size, stretchable ones the share, and the last stretchable one
    // exactly what the children after it leave over, so the box is filled.
    LONG position = axis.Before(input.inner) - axis.Main(input.scroll);
    const LONG crossStart = axis.CrossBefore(input.inner) - axis.Cross(input.scroll);
    LONG remaining = availableMain;
    LONG fixedAhead = measure.fixedSum;  // what the children not yet placed need
    LONG required = 0;
    int stretchSeen = 0;
    for (int i = 0; i < box.GetCount(); ++i) {
        CControlUI& child = *box.GetItemAt(i);
        if (!child.IsVisible()) continue;
        if (child.IsFloat()) {
            placeFloat(i);
            continue;
        }
        const RECT padding = child.GetPadding();
        const LONG before = axis.Before(padding);
        const LONG after = axis.After(padding);
        remaining -= before;
        const SIZE estimate = child.EstimateSize(axis.Make(remaining, availableCross));
        LONG main = axis.Main(estimate);
        if (main == 0) {
            ++stretchSeen;
            const LONG fixedAfter = fixedAhead - before - after;
            main = stretchSeen == measure.stretchCount ? std::max<LONG>(0, remaining - after - fixedAfter) : share;
            main = Clamp(main, axis.MinMain(child), axis.MaxMain(child));
        } else {
            main = Clamp(main, axis.MinMain(child), axis.MaxMain(child));
            fixedAhead -= main;
        }
        fixedAhead -= before + after + input.childPadding;

        LONG cross = axis.Cross(estimate);
        if (cross == 0) cross = availableCross - axis.CrossBefore(padding) - axis.CrossAfter(padding);
        cross = Clamp(std::max<LONG>(0, cross), axis.MinCross(child), axis.MaxCross(child));

        child.SetPos(axis.Rect(position + before, main, crossStart + axis.CrossBefore(padding), cross));

        position += before + main + after + input.childPadding;
        remaining -= main + after + input.childPadding;
        required += main + before + after;
    }
    if (measure.counted > 1) required += input.childPadding * (measure.counted - 1);
    return required;
}

}  // namespace UiLib
