#include "UiLib/core/TimerTable.h"

#include <algorithm>

namespace UiLib {

bool CTimerTable::Set(CControlUI* control, UINT timerId, UINT elapse) {
    if (!window_) return false;
    for (TimerInfo& timer : timers_) {
        if (timer.sender != control || timer.window != window_ || timer.localId != timerId) continue;
        if (!timer.killed) return false;
        if (!::SetTimer(window_, timer.nativeId, elapse, nullptr)) return false;
        timer.killed = false;
        return true;
    }
    UINT nativeId = NextNativeId();
    if (!nativeId || !::SetTimer(window_, nativeId, elapse, nullptr)) return false;
    timers_.push_back(TimerInfo{control, timerId, window_, nativeId, false});
    return true;
}

UINT CTimerTable::NextNativeId() {
    // Identifiers cycle below 255; one that a timer record of this window still holds is skipped,
    // so a long-lived window never gives two timers the same native identifier.
    for (int tries = 0; tries < 255; ++tries) {
        counter_ = (counter_ + 1) % 255;
        bool taken = counter_ == 0 || std::any_of(timers_.begin(), timers_.end(), [this](const TimerInfo& t) {
                         return t.window == window_ && t.nativeId == counter_;
                     });
        if (!taken) return counter_;
    }
    return 0;
}

bool CTimerTable::Kill(CControlUI* control, UINT timerId) {
    for (TimerInfo& timer : timers_) {
        if (timer.sender != control || timer.window != window_ || timer.localId != timerId || timer.killed) continue;
        if (::IsWindow(timer.window)) ::KillTimer(timer.window, timer.nativeId);
        timer.killed = true;
        return true;
    }
    return false;
}

void CTimerTable::KillAll(CControlUI* control) {
    auto ofControl = [control](const TimerInfo& timer) { return timer.sender == control; };
    for (const TimerInfo& timer : timers_)
        if (ofControl(timer) && !timer.killed && ::IsWindow(timer.window)) ::KillTimer(timer.window, timer.nativeId);
    timers_.erase(std::remove_if(timers_.begin(), timers_.end(), ofControl), timers_.end());
}

void CTimerTable::RemoveAll() {
    for (const TimerInfo& timer : timers_)
        if (!timer.killed && ::IsWindow(timer.window)) ::KillTimer(timer.window, timer.nativeId);
    timers_.clear();
}

bool CTimerTable::Find(UINT nativeId, CControlUI*& control, UINT& timerId) const {
    for (const TimerInfo& timer : timers_) {
        if (timer.killed || timer.window != window_ || timer.nativeId != (nativeId & 0xFFFF)) continue;
        control = timer.sender;
        timerId = timer.localId;
        return true;
    }
    return false;
}

}  // namespace UiLib
