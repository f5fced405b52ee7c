#include "UiLib/core/DeferredWork.h"

#include <gtest/gtest.h>

#include <string>

#include "UiLib/render/ScopedWindow.h"
#include "UiLib/tree/UIControl.h"

using namespace UiLib;

namespace {

// Hands the window's timer messages to the tasks until `done` holds (or the queue stays empty).
template <typename Done>
void PumpTimers(HWND window, CSoonTasks& tasks, Done done) {
    MSG msg{};
    while (!done() && ::GetMessageW(&msg, window, 0, 0) > 0) {
        if (msg.message == WM_TIMER) tasks.OnTimer(window, msg.wParam);
        else ::DispatchMessageW(&msg);
    }
}

}  // namespace

TEST(SoonTasks, TasksWaitForTheWindowsTimerAndTasksTheyAskForWaitForTheNextRound) {
    CScopedWindow window(::CreateWindowExW(0, L"STATIC", nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr,
                                           nullptr));
    ASSERT_TRUE(window);
    CSoonTasks tasks;
    std::wstring ran;
    tasks.Add(window.Get(), [&] {
        ran += L"a";
        tasks.Add(window.Get(), [&] { ran += L"c"; });
    });
    tasks.Add(window.Get(), [&] { ran += L"b"; });
    EXPECT_EQ(ran, L"") << "nothing runs before the window's messages are handled";
    EXPECT_FALSE(tasks.OnTimer(window.Get(), CSoonTasks::kTimerId + 1)) << "another timer is not theirs";
    EXPECT_EQ(ran, L"");

    PumpTimers(window.Get(), tasks, [&] { return !ran.empty(); });
    EXPECT_EQ(ran, L"ab") << "a task asked for by a task waits for the next round";
    PumpTimers(window.Get(), tasks, [&] { return ran.size() == 3; });
    EXPECT_EQ(ran, L"abc");
}

TEST(DelayedCleanup, ControlsGoWhenTheWindowRunsTheCleanUpAndThoseTheyQueueGoToo) {
    class Doomed : public CControlUI {
    public:
        Doomed(int& deleted, CDelayedCleanup* queueOnDelete) : deleted_(deleted), queueOnDelete_(queueOnDelete) {}
        ~Doomed() override {
            ++deleted_;
            if (queueOnDelete_) queueOnDelete_->Add(nullptr, 0, std::make_unique<Doomed>(deleted_, nullptr));
        }

    private:
        int& deleted_;
        CDelayedCleanup* queueOnDelete_;
    };

    int deleted = 0;
    CDelayedCleanup cleanup;
    cleanup.Add(nullptr, 0, std::make_unique<Doomed>(deleted, &cleanup));
    EXPECT_EQ(cleanup.Count(), 1u);
    EXPECT_EQ(deleted, 0);
    cleanup.Run();
    EXPECT_EQ(deleted, 2) << "a control queued while another is deleted goes in the same clean-up";
    EXPECT_EQ(cleanup.Count(), 0u);
}
