#include "shared/BackgroundWork.h"

#include <windows.h>

#include <deque>
#include <memory>
#include <mutex>

namespace {

// The short jobs waiting for their turn; `draining` while a worker runs them. While `holds` is not
// zero the jobs wait and no worker waits with them.
struct Lane {
    std::mutex mutex;
    std::deque<std::function<void()>> jobs;
    bool draining = false;
    int holds = 0;
};

// Never destroyed: a worker may still be running a lane's last job as the process ends.
Lane& LaneOf(BackgroundLane lane) {
    static Lane* const lanes = new Lane[2];
    return lanes[lane == BackgroundLane::Network ? 0 : 1];
}

// Takes the lane's next job, or ends the draining when none is left or the lane is held.
bool TakeNextJob(Lane& lane, std::function<void()>& job) {
    std::lock_guard<std::mutex> lock(lane.mutex);
    if (lane.jobs.empty() || lane.holds > 0) {
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

// Called with the lane's mutex held: a worker starts on the waiting jobs unless one runs them already
// or the lane is held.
void StartDraining(Lane& lane) {
    if (lane.draining || lane.holds > 0 || lane.jobs.empty()) return;
    lane.draining = QueueUserWorkItem(&DrainLane, &lane, WT_EXECUTELONGFUNCTION) != FALSE;
}

void ReleaseHold(Lane& lane) {
    std::lock_guard<std::mutex> lock(lane.mutex);
    --lane.holds;
    StartDraining(lane);
}

}  // namespace

bool RunInBackground(BackgroundLane laneName, std::function<void()> work) {
    Lane& lane = LaneOf(laneName);
    std::lock_guard<std::mutex> lock(lane.mutex);
    lane.jobs.push_back(std::move(work));
    StartDraining(lane);
    // Held or draining, the job waits for its turn; otherwise no worker could be had for it.
    if (lane.draining || lane.holds > 0) return true;
    lane.jobs.pop_back();
    return false;
}

NetworkLaneHold HoldNetworkLane() {
    Lane& lane = LaneOf(BackgroundLane::Network);
    {
        std::lock_guard<std::mutex> lock(lane.mutex);
        ++lane.holds;
    }
    static int token;
    return NetworkLaneHold(&token, [&lane](void*) { ReleaseHold(lane); });
}

bool RunLongInBackground(std::function<void()> work) {
    auto owned = std::make_unique<std::function<void()>>(std::move(work));
    if (!QueueUserWorkItem(&RunQueuedWork, owned.get(), WT_EXECUTELONGFUNCTION)) return false;
    owned.release();
    return true;
}
