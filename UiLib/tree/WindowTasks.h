#pragma once
#include <windows.h>

#include <deque>
#include <functional>
#include <memory>
#include <mutex>

namespace UiLib {

// The one way other threads hand work to a window's thread. A worker keeps a shared pointer to
// the window's task queue, never to the window: a posted task runs on the window's thread while
// the window exists, and is dropped unrun once it is gone (or before it was ever created). A
// task may therefore use the window object it was posted for.
class CWindowTasks {
public:
    using Task = std::function<void()>;

    CWindowTasks() = default;
    CWindowTasks(const CWindowTasks&) = delete;
    CWindowTasks& operator=(const CWindowTasks&) = delete;

    // Queues the task and wakes the window; false, with the task dropped, when there is no window.
    bool Post(Task task);
    // Runs the task on the window's thread and waits until it has run; false when the window went
    // (or never came) first and the task never ran. Called on the window's own thread, it runs at
    // once.
    bool Call(Task task);

    // The window's side: the window exists, its thread's queue holds a wake-up, the window is gone.
    void Attach(HWND window);
    void RunPending();
    void Detach();

    // The message that wakes a window for its tasks; the window base answers it.
    static UINT WakeMessage();

private:
    std::mutex lock_;
    HWND window_ = nullptr;
    std::deque<Task> pending_;
};

}  // namespace UiLib
