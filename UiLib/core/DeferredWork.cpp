#include "UiLib/core/DeferredWork.h"

#include "UiLib/tree/UIControl.h"

namespace UiLib {

void CSoonTasks::Add(HWND window, std::function<void()> task) {
    tasks_.push_back(std::move(task));
    if (!::SetTimer(window, kTimerId, USER_TIMER_MINIMUM, nullptr)) Run(window);
}

bool CSoonTasks::OnTimer(HWND window, WPARAM timerId) {
    if (timerId != kTimerId) return false;
    Run(window);
    return true;
}

void CSoonTasks::Run(HWND window) {
    ::KillTimer(window, kTimerId);
    // A task may ask for more; those wait for the next round.
    std::vector<std::function<void()>> tasks;
    tasks.swap(tasks_);
    for (auto& task : tasks) task();
}

CDelayedCleanup::CDelayedCleanup() = default;
CDelayedCleanup::~CDelayedCleanup() = default;

void CDelayedCleanup::Add(HWND window, UINT message, std::unique_ptr<CControlUI> control) {
    doomed_.Add(std::move(control));
    if (window) ::PostMessageW(window, message, 0, 0);
}

void CDelayedCleanup::Run() {
    // Deleting a control may queue more; take the list first.
    while (!doomed_.IsEmpty()) {
        CPtrArray<std::unique_ptr<CControlUI>> doomed = std::move(doomed_);
        doomed_ = CPtrArray<std::unique_ptr<CControlUI>>();
        doomed.Clear();
    }
}

}  // namespace UiLib
