#pragma once
#include <windows.h>

#include <vector>

namespace UiLib {

class CControlUI;

// The timers the controls of one window set: each control's own timer identifier is mapped to a
// native timer of the window, and a native WM_TIMER back to the control.
class CTimerTable {
public:
    // Native timer identifiers are counted on from here (and cycle below 255).
    static constexpr UINT kCounterStart = 4096;

    void SetWindow(HWND window) { window_ = window; }

    // Starts the control's timer; false when it runs already or the window has none to give.
    bool Set(CControlUI* control, UINT timerId, UINT elapse);
    bool Kill(CControlUI* control, UINT timerId);
    // Stops the control's timers and forgets them (the control is going).
    void KillAll(CControlUI* control);
    void RemoveAll();
    // The control and its own identifier of a running native timer of the window.
    bool Find(UINT nativeId, CControlUI*& control, UINT& timerId) const;

private:
    struct TimerInfo {
        CControlUI* sender;
        UINT localId;
        HWND window;
        UINT nativeId;
        // A killed timer keeps its record and so its native identifier: a WM_TIMER of it may still
        // be queued and must not reach another control.
        bool killed;
    };

    UINT NextNativeId();

    HWND window_ = nullptr;
    UINT counter_ = kCounterStart;
    std::vector<TimerInfo> timers_;
};

}  // namespace UiLib
