#pragma once
#include <windows.h>

#include <functional>

namespace UiLib {

class CContainerUI;

// The one box algorithm behind the vertical and horizontal layouts: children are stacked along
// the main axis, measured first (fixed sizes, stretch share) and then arranged.
enum class BoxAxis { Vertical, Horizontal };

struct BoxLayoutInput {
    BoxAxis axis;
    RECT inner;       // the area the children share
    SIZE available;   // the room to measure against (the inner size plus any cross scroll range)
    SIZE scroll;      // the scroll position the children are shifted by
    int childPadding;
};

// Sets the positions of the box's visible children; float children are handed to `placeFloat`
// by index. Returns the room the children need along the main axis.
int ArrangeBox(const BoxLayoutInput& input, CContainerUI& box, const std::function<void(int)>& placeFloat);

}  // namespace UiLib
