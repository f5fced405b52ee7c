#include "shared/BackgroundWork.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "shared/ScopedHandle.h"

// Jobs run off the calling thread, all of them, and a long job that waits (as the connectivity
// probe does) does not hold up the short ones.
TEST(BackgroundWork, JobsRunOffTheCallerAndALongJobHoldsUpNoShortOne) {
    // The waiting job holds the events it uses for as long as it runs.
    std::shared_ptr<void> release(CreateEventW(nullptr, TRUE, FALSE, nullptr), KernelHandleCloser());
    std::shared_ptr<void> waited(CreateEventW(nullptr, TRUE, FALSE, nullptr), KernelHandleCloser());
    ScopedHandle allDone(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    const DWORD caller = GetCurrentThreadId();
    auto offCaller = std::make_shared<std::atomic<int>>(0);
    auto finished = std::make_shared<std::atomic<int>>(0);
    constexpr int kJobs = 12;

    ASSERT_TRUE(RunLongInBackground([release, waited] {
        WaitForSingleObject(release.get(), 10000);
        SetEvent(waited.get());
    }));
    for (int i = 0; i < kJobs; ++i) {
        ASSERT_TRUE(RunInBackground(BackgroundLane::Network, [=, done = allDone.get()] {
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

// Short jobs take their turn: one at a time, in the order they were given, even when each is
// given while the one before it still runs.
TEST(BackgroundWork, ShortJobsRunOneAtATimeInTheirOrder) {
    constexpr int kJobs = 20;
    struct Record {
        std::atomic<int> running{0};
        std::atomic<int> mostAtOnce{0};
        std::vector<int> order;  // written by one job at a time
    };
    auto record = std::make_shared<Record>();
    ScopedHandle allDone(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    for (int i = 0; i < kJobs; ++i) {
        ASSERT_TRUE(RunInBackground(BackgroundLane::Network, [record, i, done = allDone.get()] {
            const int now = ++record->running;
            if (now > record->mostAtOnce) record->mostAtOnce = now;
            Sleep(i % 3);
            record->order.push_back(i);
            --record->running;
            if (i == kJobs - 1) SetEvent(done);
        }));
    }
    ASSERT_EQ(WaitForSingleObject(allDone.get(), 10000), WAIT_OBJECT_0);
    EXPECT_EQ(record->mostAtOnce.load(), 1);
    std::vector<int> expected(kJobs);
    for (int i = 0; i < kJobs; ++i) expected[i] = i;
    EXPECT_EQ(record->order, expected);
    Sleep(100);  // as above: the lane's worker goes back to the pool before the process ends
}

// The lanes go on independently: the icons' lane runs while a request on the network lane waits
// for a slow service.
TEST(BackgroundWork, TheFilesLaneGoesOnWhileTheNetworkLaneWaits) {
    std::shared_ptr<void> release(CreateEventW(nullptr, TRUE, FALSE, nullptr), KernelHandleCloser());
    std::shared_ptr<void> filesRan(CreateEventW(nullptr, TRUE, FALSE, nullptr), KernelHandleCloser());
    ASSERT_TRUE(RunInBackground(BackgroundLane::Network, [release] { WaitForSingleObject(release.get(), 10000); }));
    ASSERT_TRUE(RunInBackground(BackgroundLane::Files, [filesRan] { SetEvent(filesRan.get()); }));
    EXPECT_EQ(WaitForSingleObject(filesRan.get(), 5000), WAIT_OBJECT_0);
    SetEvent(release.get());
    Sleep(100);  // as above
}

// A page that a job hands on holds the network lane: the jobs after it wait, with no worker waiting
// for them, until the page is done; holds from the window's side and a hold dropped on another
// thread count alike. The player's own job goes first and does not wait.
TEST(BackgroundWork, AHeldNetworkLaneRunsNothingUntilEveryHoldIsDropped) {
    struct Record {
        std::mutex lock;
        NetworkLaneHold pageHold;  // handed on by the first job, as to a page that downloads
        std::vector<int> order;
    };
    auto record = std::make_shared<Record>();
    ScopedHandle allDone(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    NetworkLaneHold windowHold = HoldNetworkLane();
    ASSERT_TRUE(RunInBackground(BackgroundLane::Network, [record] {
        std::lock_guard<std::mutex> lock(record->lock);
        record->pageHold = HoldNetworkLane();
        record->order.push_back(1);
    }));
    ASSERT_TRUE(RunInBackground(BackgroundLane::Network, [record, done = allDone.get()] {
        std::lock_guard<std::mutex> lock(record->lock);
        record->order.push_back(2);
        SetEvent(done);
    }));
    ScopedHandle playersRan(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    ASSERT_TRUE(RunPlayersJobInBackground(BackgroundLane::Network, [record, ran = playersRan.get()] {
        std::lock_guard<std::mutex> lock(record->lock);
        record->order.push_back(0);
        SetEvent(ran);
    }));
    EXPECT_EQ(WaitForSingleObject(playersRan.get(), 5000), WAIT_OBJECT_0) << "the player's job waited for the hold";
    Sleep(200);
    {
        std::lock_guard<std::mutex> lock(record->lock);
        EXPECT_EQ(record->order, std::vector<int>{0}) << "another job ran while the lane was held";
    }
    windowHold.reset();
    Sleep(200);
    {
        std::lock_guard<std::mutex> lock(record->lock);
        EXPECT_EQ(record->order, (std::vector<int>{0, 1})) << "the job after the page's hold ran";
    }
    std::thread([record] {
        std::lock_guard<std::mutex> lock(record->lock);
        record->pageHold.reset();
    }).join();
    ASSERT_EQ(WaitForSingleObject(allDone.get(), 10000), WAIT_OBJECT_0);
    EXPECT_EQ(record->order, (std::vector<int>{0, 1, 2}));
    Sleep(100);  // as above
}
