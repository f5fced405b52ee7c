#include "shared/BackgroundWork.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>

#include "shared/ScopedHandle.h"

// Jobs run off the calling thread, all of them, and one that waits (as a network request does)
// does not hold up the others.
TEST(BackgroundWork, JobsRunOffTheCallerAndAWaitingJobHoldsUpNoOther) {
    // The waiting job holds the events it uses for as long as it runs.
    std::shared_ptr<void> release(CreateEventW(nullptr, TRUE, FALSE, nullptr), KernelHandleCloser());
    std::shared_ptr<void> waited(CreateEventW(nullptr, TRUE, FALSE, nullptr), KernelHandleCloser());
    ScopedHandle allDone(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    const DWORD caller = GetCurrentThreadId();
    auto offCaller = std::make_shared<std::atomic<int>>(0);
    auto finished = std::make_shared<std::atomic<int>>(0);
    constexpr int kJobs = 12;

    ASSERT_TRUE(RunInBackground([release, waited] {
        WaitForSingleObject(release.get(), 10000);
        SetEvent(waited.get());
    }));
    for (int i = 0; i < kJobs; ++i) {
        ASSERT_TRUE(RunInBackground([=, done = allDone.get()] {
            if (GetCurrentThreadId() != caller) ++*offCaller;
            if (++*finished == kJobs) SetEvent(done);
        }));
    }
    EXPECT_EQ(WaitForSingleObject(allDone.get(), 10000), WAIT_OBJECT_0);
    SetEvent(release.get());
    EXPECT_EQ(WaitForSingleObject(waited.get(), 10000), WAIT_OBJECT_0);
    EXPECT_EQ(offCaller->load(), kJobs);
    // Lets the workers go back to the pool: Wine may crash ending a process while one of its
    // threads is amid a call into the server, and the tests end right after this one.
    Sleep(100);
}
