#pragma once
#include <windows.h>

#include <cstdint>

namespace UiLib {

class CControlUI;

enum UiEventType : uint32_t {
    UIEVENT_KEYDOWN = 3,
    UIEVENT_KEYUP = 4,
    UIEVENT_CHAR = 5,
    UIEVENT_SYSKEY = 6,
    UIEVENT_MOUSEMOVE = 9,
    UIEVENT_MOUSELEAVE = 10,
    UIEVENT_MOUSEENTER = 11,
    UIEVENT_MOUSEHOVER = 12,
    UIEVENT_BUTTONDOWN = 13,
    UIEVENT_BUTTONUP = 14,
    UIEVENT_RBUTTONDOWN = 15,
    UIEVENT_DBLCLICK = 16,
    UIEVENT_CONTEXTMENU = 17,
    UIEVENT_SCROLLWHEEL = 18,
    UIEVENT_KILLFOCUS = 20,
    UIEVENT_SETFOCUS = 21,
    UIEVENT_WINDOWSIZE = 22,
    UIEVENT_SETCURSOR = 23,
    UIEVENT_TIMER = 24,
    UIEVENT_STYLECHANGE = 27,
};

constexpr bool IsMouseEvent(uint32_t type) { return type >= UIEVENT_MOUSEMOVE && type <= UIEVENT_SCROLLWHEEL; }

// Key state bits of an event.
enum UiKeyState : uint16_t {
    UIKEY_LBUTTON = 1,
    UIKEY_RBUTTON = 2,
    UIKEY_SHIFT = 4,
    UIKEY_CONTROL = 8,
    UIKEY_ALT = 0x20,
};

// One event delivered to a control.
struct UiEvent {
    uint32_t Type = 0;
    CControlUI* pSender = nullptr;
    DWORD dwTimestamp = 0;
    POINT ptMouse{};
    wchar_t chKey = 0;
    uint16_t wKeyState = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

}  // namespace UiLib
