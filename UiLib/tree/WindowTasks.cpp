#include "UiLib/tree/WindowTasks.h"

#include <condition_variable>
#include <utility>

namespace UiLib {
namespace {

// What a waiting caller learns of its task: whether it ran, once it is gone either way.
struct Completion {
    std::mutex lock;
    std::condition_variable changed;
    bool finished = false;
    bool ran = false;
};

// Owned by the queued task; its end, after the task ran or when it was dropped, frees the caller.
class CompletionSignal {
public:
    explicit CompletionSignal(std::shared_ptr<Completion> completion) : completion_(std::move(completion)) {}
    CompletionSignal(const CompletionSignal&) = delete;
    CompletionSignal& operator=(const CompletionSignal&) = delete;
    ~CompletionSignal() {
        {
            std::lock_guard<std::mutex> hold(completion_->lock);
            completion_->finished = true;
        }
        completion_->changed.notify_all();
    }
    void MarkRan() {
        std::lock_guard<std::mutex> hold(completion_->lock);
        completion_->ran = true;
    }

private:
    std::shared_ptr<Completion> completion_;
};

}  // namespace

UINT CWindowTasks::WakeMessage() {
    static const UINT message = ::RegisterWindowMessageW(L"UiLib.WindowTasks");
    return message;
}

bool CWindowTasks::Post(Task task) {
    if (!task) return false;
    std::lock_guard<std::mutex> hold(lock_);
    if (window_ == nullptr) return false;
    pending_.push_back(std::move(task));
    if (::PostMessageW(window_, WakeMessage(), 0, 0)) return true;
    // The window is going and cannot be woken: the task goes with it.
    pending_.pop_back();
    return false;
}

bool CWindowTasks::Call(Task task) {
    HWND window = nullptr;
    {
        std::lock_guard<std::mutex> hold(lock_);
        window = window_;
    }
    if (window != nullptr && ::GetWindowThreadProcessId(window, nullptr) == ::GetCurrentThreadId()) {
        task();
        return true;
    }
    auto completion = std::make_shared<Completion>();
    auto signal = std::make_shared<CompletionSignal>(completion);
    bool posted = Post([signal, task = std::move(task)] {
        task();
        signal->MarkRan();
    });
    signal.reset();
    if (!posted) return false;
    std::unique_lock<std::mutex> hold(completion->lock);
    completion->changed.wait(hold, [&] { return completion->finished; });
    return completion->ran;
}

void CWindowTasks::Attach(HWND window) {
    std::lock_guard<std::mutex> hold(lock_);
    window_ = window;
}

void CWindowTasks::RunPending() {
    for (;;) {
        Task task;
        {
            std::lock_guard<std::mutex> hold(lock_);
            // A task may end the window: what is left then goes unrun.
            if (window_ == nullptr || pending_.empty()) return;
            task = std::move(pending_.front());
            pending_.pop_front();
        }
        task();
    }
}

void CWindowTasks::Detach() {
    std::deque<Task> dropped;
    {
        std::lock_guard<std::mutex> hold(lock_);
        window_ = nullptr;
        dropped.swap(pending_);
    }
    // Dropped outside the lock: ending a task may free a waiting caller.
}

}  // namespace UiLib
