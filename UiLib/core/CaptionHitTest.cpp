#include "UiLib/core/CaptionHitTest.h"

#include <cwchar>

#include "UiLib/controls/UIControl.h"
#include "UiLib/core/UIManager.h"

namespace UiLib {
namespace {

bool TakesClicks(const CControlUI& control, CaptionClicks clicks) {
    const wchar_t* className = control.GetClass();
    auto is = [className](const wchar_t* name) { return std::wcscmp(className, name) == 0; };
    switch (clicks) {
    case CaptionClicks::Buttons: return is(L"ButtonUI");
    case CaptionClicks::ButtonsAndOptions: return is(L"ButtonUI") || is(L"OptionUI");
    case CaptionClicks::ButtonsOptionsAndText: return is(L"ButtonUI") || is(L"OptionUI") || is(L"TextUI");
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
