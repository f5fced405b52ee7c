#pragma once

#include <functional>

// Background jobs run on the process's thread pool, whose idle workers the system's network and
// browser components share. Under Wine every worker the pool adds costs the process about a
// megabyte that it keeps, so short jobs take turns on one lane instead of asking for a worker each.
//
// A short job (a request or two, a batch of icons) runs after the jobs given before it, one at a
// time, off the calling thread. False, and the job dropped, when it could not be queued.
bool RunInBackground(std::function<void()> work);

// A job that may wait for minutes (for the network to come up, for a download) runs on a worker of
// its own, so that no short job queues behind it. False, and the job dropped, when it could not be
// queued.
bool RunLongInBackground(std::function<void()> work);
