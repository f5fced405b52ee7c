// Work handed from other threads to a window's thread: it runs there, in order, while the window
// exists; once the window is gone nothing runs and every task is freed.
#include "UiLib/tree/WindowTasks.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "UiLib/tree/UIWindowWnd.h"

using namespace UiLib;

namespace {

// Counts the tasks alive anywhere: queued, running or held by a copy.
std::atomic<int> g_liveTasks{0};

struct CountedTask {
    CountedTask(std::vector<int>* ran, int number) : ran(ran), number(number) { ++g_liveTasks; }
    CountedTask(const CountedTask& other) : ran(other.ran), number(other.number) { ++g_liveTasks; }
    ~CountedTask() { --g_liveTasks; }
    void operator()() const { ran->push_back(number); }
    std::vector<int>* ran;
    int number;
};

class PlainWindow : public CWindowWnd {
public:
    PlainWindow() { Create(nullptr, L"", WS_POPUP, 0, 0, 0, 10, 10); }
    ~PlainWindow() override {
        if (::IsWindow(window_)) ::DestroyWindow(window_);
    }

protected:
    const wchar_t* GetWindowClassName() const override { return L"WindowTasksTest"; }
};

void PumpMessages() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
}

}  // namespace

TEST(WindowTasksTest, TasksOfAWorkerRunOnTheWindowThreadInTheirOrder) {
    PlainWindow window;
    std::vector<int> ran;
    std::vector<DWORD> threads;
    std::thread worker([&, tasks = window.Tasks()] {
        for (int i = 0; i < 3; ++i)
            EXPECT_TRUE(tasks->Post([&, i] {
                ran.push_back(i);
                threads.push_back(::GetCurrentThreadId());
            }));
    });
    worker.join();
    EXPECT_TRUE(ran.empty()) << "nothing runs until the window's thread takes its messages";
    PumpMessages();
    EXPECT_EQ(ran, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(threads, std::vector<DWORD>(3, ::GetCurrentThreadId()));
}

TEST(WindowTasksTest, AWindowDestroyedFirstRunsNothingAndFreesEveryTask) {
    std::vector<int> ran;
    std::shared_ptr<CWindowTasks> tasks;
    {
        PlainWindow window;
        tasks = window.Tasks();
        std::thread([&] { EXPECT_TRUE(tasks->Post(CountedTask(&ran, 1))); }).join();
        EXPECT_EQ(g_liveTasks, 1) << "queued and waiting for the window's thread";
    }
    // The window went with its wake-up still queued; a late worker's task is refused at once.
    std::thread([&] { EXPECT_FALSE(tasks->Post(CountedTask(&ran, 2))); }).join();
    PumpMessages();
    EXPECT_TRUE(ran.empty());
    EXPECT_EQ(g_liveTasks, 0);
}

TEST(WindowTasksTest, AWaitingWorkerGetsItsAnswerOrIsFreedWhenTheWindowGoes) {
    auto window = std::make_unique<PlainWindow>();
    std::atomic<int> state{0};
    bool answered = false;
    std::thread asker([&, tasks = window->Tasks()] {
        answered = tasks->Call([&] { state = 1; });
        state = 2;
    });
    while (state == 0) PumpMessages();
    asker.join();
    EXPECT_TRUE(answered);
    EXPECT_EQ(state, 2);

    // A call that is still queued when the window is destroyed returns without running.
    bool ran = false;
    std::atomic<bool> returned{false};
    std::thread waiter([&, tasks = window->Tasks()] {
        answered = tasks->Call([&] { ran = true; });
        returned = true;
    });
    ::Sleep(100);
    EXPECT_FALSE(returned) << "the worker waits for the window's thread";
    window.reset();
    waiter.join();
    EXPECT_FALSE(answered);
    EXPECT_FALSE(ran);

    // On the window's own thread a call runs at once.
    PlainWindow same;
    EXPECT_TRUE(same.Tasks()->Call([&] { ran = true; }));
    EXPECT_TRUE(ran);
}
