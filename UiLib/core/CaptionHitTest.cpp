#include "UiLib/core/CaptionHitTest.h"

#include "UiLib/core/UIManager.h"
#include "UiLib/tree/UIControl.h"

namespace UiLib {
namespace {

bool TakesClicks(const CControlUI& control, CaptionClicks clicks) {
    switch (control.GetCaptionRole()) {
    case UiCaptionRole::Button: return true;
    case UiCaptionRole::Option: return clicks != CaptionClicks::Buttons;
    case UiCaptionRole::Text: return clicks == CaptionClicks::ButtonsOptionsAndText;
    case UiCaptionRole::None: return false;
    }
    return false;
}

}  // namespace

LRESULT CaptionHitTest(HWND window, CPaintManagerUI& manager, POINT screenPoint, CaptionClicks clicks) {
    POINT point = screenPoint;
    ::ScreenToClient(window, &point);
    RECT client{};
    ::GetClientRect(window, &client);
    RECT caption = manager.GetCaptionRect();
    bool inBand = point.x >= client.left + caption.left && point.x < client.right - caption.right &&
                  point.y >= caption.top && point.y < caption.bottom;
    if (!inBand) return HTCLIENT;
    CControlUI* control = manager.FindControl(point);
    return control && !TakesClicks(*control, clicks) ? HTCAPTION : HTCLIENT;
}

}  // namespace UiLib
