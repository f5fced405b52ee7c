#pragma once

#include <functional>
#include <memory>

// Background jobs run on the process's thread pool, whose idle workers the system's network and
// browser components share. Under Wine every worker the pool adds costs the process about a
// megabyte that it keeps, so short jobs take turns on a lane instead of asking for a worker each.
//
// Short jobs keep to one of two lanes: jobs that wait on the network, and jobs that only read the
// player's own files (the game icons), so that a slow service never holds up the icons.
enum class BackgroundLane { Network, Files };

// A short job (a request or two, a batch of icons) runs after the jobs given to its lane before it,
// one at a time, off the calling thread. False, and the job dropped, when it could not be queued.
bool RunInBackground(BackgroundLane lane, std::function<void()> work);

// The player's own short job (the page of the game just selected): it goes before the jobs waiting
// on its lane and does not wait for a hold (below), only for the job running now.
bool RunPlayersJobInBackground(BackgroundLane lane, std::function<void()> work);

// Keeps the network lane's later jobs waiting while it lives (see HoldNetworkLane).
using NetworkLaneHold = std::shared_ptr<void>;

// Holds the network lane for network work that runs elsewhere, such as a page that a browser
// downloads on the pool's workers: the lane's jobs after the one running now (but for the player's
// own) wait until the hold is dropped, so that the two never ask for a worker each. Taken from a
// network job, it gives the page the turn that the job had; dropped when the download is done.
NetworkLaneHold HoldNetworkLane();

// A job that may wait for minutes (for the network to come up, for a download) runs on a worker of
// its own, so that no short job queues behind it. False, and the job dropped, when it could not be
// queued.
bool RunLongInBackground(std::function<void()> work);
