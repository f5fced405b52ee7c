#include "shared/BackgroundWork.h"

#include <windows.h>

#include <deque>
#include <memory>
#include <mutex>

namespace {

struct Job {
    std::function<void()> run;
    bool playersOwn = false;  // goes first and does not wait for a hold
};

// The short jobs waiting for their turn; `draining` while a worker runs them. While `holds` is not
// zero the jobs wait, but for the player's own, and no worker waits with them.
struct Lane {
    std::mutex mutex;
    std::deque<Job> jobs;
    bool draining = false;
    int holds = 0;

    bool NextJobMayRun() const { return !jobs.empty() && (holds == 0 || jobs.front().playersOwn); }
};

// Never destroyed: a worker may still be running a lane's last job as the process ends.
Lane& LaneOf(BackgroundLane lane) {
    static Lane* const lanes = new Lane[2];
    return lanes[lane == BackgroundLane::Network ? 0 : 1];
}

// Takes the lane's next job, or ends the draining when none is left or the lane is held.
bool TakeNextJob(Lane& lane, std::function<void()>& job) {
    std::lock_guard<std::mutex> lock(lane.mutex);
    if (!lane.NextJobMayRun()) {
        lane.draining = false;
        return false;
    }
    job = std::move(lane.jobs.front().run);
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
    if (lane.draining || !lane.NextJobMayRun()) return;
    lane.draining = QueueUserWorkItem(&DrainLane, &lane, WT_EXECUTELONGFUNCTION) != FALSE;
}

void ReleaseHold(Lane& lane) {
    std::lock_guard<std::mutex> lock(lane.mutex);
    --lane.holds;
    StartDraining(lane);
}

bool Queue(BackgroundLane laneName, Job job) {
    Lane& lane = LaneOf(laneName);
    std::lock_guard<std::mutex> lock(lane.mutex);
    const bool first = job.playersOwn;
    if (first)
        lane.jobs.push_front(std::move(job));
    else
        lane.jobs.push_back(std::move(job));
    StartDraining(lane);
    // Draining or held, the job waits for its turn; otherwise no worker could be had for it.
    if (lane.draining || !lane.NextJobMayRun()) return true;
    if (first)
        lane.jobs.pop_front();
    else
        lane.jobs.pop_back();
    return false;
}

}  // namespace

bool RunInBackground(BackgroundLane lane, std::function<void()> work) { return Queue(lane, Job{std::move(work)}); }

bool RunPlayersJobInBackground(BackgroundLane lane, std::function<void()> work) {
    return Queue(lane, Job{std::move(work), true});
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
