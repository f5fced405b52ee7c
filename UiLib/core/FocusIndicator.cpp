#include "UiLib/core/FocusIndicator.h"

#include "UiLib/render/ScopedDC.h"
#include "UiLib/render/UIRender.h"
#include "UiLib/tree/UIControl.h"

namespace UiLib {
namespace {

bool DrawsOwnFocusBorder(const CControlUI& control) {
    return control.GetBorderSize() > 0 && control.GetFocusBorderColor() != 0;
}

// The part of the control's rectangle that its containers show (a scrolled column hides the rest).
RECT VisiblePart(const CControlUI& control) {
    RECT visible = control.GetPos();
    for (const CControlUI* ancestor = control.GetParent(); ancestor; ancestor = ancestor->GetParent())
        if (!::IntersectRect(&visible, &visible, &ancestor->GetPos())) return RECT{};
    return visible;
}

}  // namespace

void CFocusIndicator::Attach(HWND window) {
    window_ = window;
    hidden_ = false;
    HideForPointer();
}

void CFocusIndicator::SetHidden(bool hidden) {
    if (hidden_ == hidden) return;
    hidden_ = hidden;
    // Sent to the window itself: its own state and its children's, whatever its parent shows.
    if (window_)
        ::SendMessageW(window_, WM_UPDATEUISTATE, MAKEWPARAM(hidden ? UIS_SET : UIS_CLEAR, UISF_HIDEFOCUS), 0);
}

void CFocusIndicator::OnUpdateUiState(WPARAM wParam) {
    if (!(HIWORD(wParam) & UISF_HIDEFOCUS)) return;
    if (LOWORD(wParam) == UIS_SET) hidden_ = true;
    else if (LOWORD(wParam) == UIS_CLEAR) hidden_ = false;
}

void CFocusIndicator::Paint(HDC dc, const RECT& paint, const CControlUI& control, const CDpiScale& scale) const {
    if (DrawsOwnFocusBorder(control)) return;
    const RECT pos = control.GetPos();
    const RECT inset = scale.Scale(inset_);
    const RECT frame{pos.left + inset.left, pos.top + inset.top, pos.right - inset.right, pos.bottom - inset.bottom};
    RECT clip = VisiblePart(control);
    if (::IsRectEmpty(&frame) || !::IntersectRect(&clip, &clip, &paint)) return;
    CSavedDCState state(dc);
    ::IntersectClipRect(dc, clip.left, clip.top, clip.right, clip.bottom);
    const UiColor color = control.GetFocusBorderColor() != 0 ? control.GetFocusBorderColor() : color_;
    if (color == 0) {
        ::DrawFocusRect(dc, &frame);
        return;
    }
    CSkinRenderer::DrawRect(dc, frame, scale.Scale(1), color);
}

bool IsFocusNavigationKey(UINT message, WPARAM wParam) {
    if (message != WM_KEYDOWN) return false;
    return wParam == VK_TAB || wParam == VK_LEFT || wParam == VK_RIGHT || wParam == VK_UP || wParam == VK_DOWN;
}

}  // namespace UiLib
