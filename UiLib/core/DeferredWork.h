#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <vector>

#include "UiLib/Utils/PtrArray.h"

namespace UiLib {

class CControlUI;

// Tasks a window runs on its own thread once nothing more urgent waits: a timer message comes
// after every paint that is due.
class CSoonTasks {
public:
    // Above the identifiers of the controls' timers, which stay below 255.
    static constexpr UINT kTimerId = 0x7F00;

    // Without a timer (no window, or a hidden one that has none) the task runs at once.
    void Add(HWND window, std::function<void()> task);
    // Runs the waiting tasks when `timerId` is theirs; false for any other timer.
    bool OnTimer(HWND window, WPARAM timerId);

private:
    void Run(HWND window);

    std::vector<std::function<void()>> tasks_;
};

// Controls taken out of a window whose deletion waits for the window's clean-up message: a control
// may be removed from inside its own event handler.
class CDelayedCleanup {
public:
    CDelayedCleanup();
    ~CDelayedCleanup();
    CDelayedCleanup(const CDelayedCleanup&) = delete;
    CDelayedCleanup& operator=(const CDelayedCleanup&) = delete;

    // Keeps the control and posts `message` to `window` (when there is one) to have it deleted.
    void Add(HWND window, UINT message, std::unique_ptr<CControlUI> control);
    void Run();
    size_t Count() const { return doomed_.Count(); }

private:
    CPtrArray<std::unique_ptr<CControlUI>> doomed_;
};

}  // namespace UiLib
