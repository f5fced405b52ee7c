#include "tests/UiLib/controls/ControlFixture.h"

using namespace UiLib;

int NotifyRecorder::Count(const std::wstring& type, CControlUI* sender) const {
    int count = 0;
    for (const UiNotify& msg : received)
        if (msg.sType == type && (!sender || msg.pSender == sender)) ++count;
    return count;
}

std::vector<std::wstring> NotifyRecorder::Types() const {
    std::vector<std::wstring> types;
    for (const UiNotify& msg : received) types.push_back(msg.sType);
    return types;
}

UiEvent MakeEvent(uint32_t type, POINT point, WPARAM wParam, LPARAM lParam) {
    UiEvent event;
    event.Type = type;
    event.ptMouse = point;
    event.wParam = wParam;
    event.lParam = lParam;
    event.dwTimestamp = ::GetTickCount();
    return event;
}

UiEvent MakeKeyEvent(uint32_t type, wchar_t key) {
    UiEvent event = MakeEvent(type, POINT{}, key);
    event.chKey = key;
    return event;
}

void Send(CControlUI* control, uint32_t type, POINT point, WPARAM wParam, LPARAM lParam) {
    UiEvent event = MakeEvent(type, point, wParam, lParam);
    event.pSender = control;
    control->Event(event);
}

void Click(CControlUI* control, POINT down, POINT up) {
    Send(control, UIEVENT_BUTTONDOWN, down);
    Send(control, UIEVENT_BUTTONUP, up);
}

void Click(CControlUI* control, POINT at) { Click(control, at, at); }

int CountNear(const TestCanvas& canvas, const RECT& area, uint32_t rgb, int tolerance) {
    ::GdiFlush();
    int count = 0;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x) count += NearRgb(canvas.Rgb(x, y), rgb, tolerance);
    return count;
}

ControlFixture::ControlFixture() {
    auto owned = std::make_unique<CVerticalLayoutUI>();
    root = owned.get();
    manager.AttachDialog(std::move(owned));
    manager.AddNotifier(&recorder);
}

void ControlFixture::Layout(int width, int height) {
    manager.NeedUpdate();
    manager.UpdateLayout(RECT{0, 0, width, height});
}
