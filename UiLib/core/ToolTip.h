#pragma once
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "UiLib/render/DpiScale.h"
#include "UiLib/render/GdiObject.h"
#include "UiLib/render/ScopedWindow.h"

namespace UiLib {

// The tooltip of one window: a common-controls tooltip made when the first tip is shown.
class CToolTip {
public:
    HWND Window() const { return window_.Get(); }
    // How long the mouse rests before a tip shows (the tooltip's own delay once it exists).
    UINT HoverTime() const;
    // Shows `text` for the area of `owner`'s client that the pointer rests on, in a font for the
    // owner's DPI.
    void Show(HWND owner, const std::wstring& text, const RECT& area, CDpiScale scale);
    void Hide();

private:
    void FollowDpi(CDpiScale scale);

    // The tooltip's font where the owner's DPI is not the system's (the system's font is made for
    // that); it outlives the window that draws with it.
    CFontHandle font_;
    CDpiScale fontScale_;
    CScopedWindow window_;
    TOOLINFOW info_{};
    std::wstring text_;
};

}  // namespace UiLib
