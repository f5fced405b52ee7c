#include "shared/BackgroundWork.h"

#include <windows.h>

#include <deque>
#include <memory>
#include <mutex>

namespace {

// The short jobs waiting for their turn; `draining` while a worker runs them.
struct Lane {
    std::mutex mutex;
    std::deque<std::function<void()>> jobs;
    bool draining = false;
};

// Never destroyed: a worker may still be running a lane's last job as the process ends.
Lane& LaneOf(BackgroundLane lane) {
    static Lane* const lanes = new Lane[2];
    return lanes[lane == BackgroundLane::Network ? 0 : 1];
}

// Takes the lane's next job, or ends the draining when none is left.
bool TakeNextJob(Lane& lane, std::function<void()>& job) {
    std::lock_guard<std::mutex> lock(lane.mutex);
    if (lane.jobs.empty()) {
        lane.draining = false;
        return false;
    }
    job = std::move(lane.jobs.front());
    lane.jobs.pop_front();
    return true;
}

DWORD WINAPI DrainLane(LPVOID parameter) {
    Lane& lane = *static_cast<Lane*>(parameter);
    std::function<void()> job;
    while (TakeNextJob(lane, job)) job();
    return 0;
}

DWORD WINAPI RunQueuedWork(LPVOID parameter) {
    std::unique_ptr<std::function<void()>> work(static_cast<std::function<void()>*>(parameter));
    (*work)();
    return 0;
}

}  // namespace

bool RunInBackground(BackgroundLane laneName, std::function<void()> work) {
    Lane& lane = LaneOf(laneName);
    std::lock_guard<std::mutex> lock(lane.mutex);
    lane.jobs.push_back(std::move(work));
    if (lane.draining) return true;
    if (!QueueUserWorkItem(&DrainLane, &lane, WT_EXECUTELONGFUNCTION)) {
        lane.jobs.pop_back();
        return false;
    }
    lane.draining = true;
    return true;
}

bool RunLongInBackground(std::function<void()> work) {
    auto owned = std::make_unique<std::function<void()>>(std::move(work));
    if (!QueueUserWorkItem(&RunQueuedWork, owned.get(), WT_EXECUTELONGFUNCTION)) return false;
    owned.release();
    return true;
}
