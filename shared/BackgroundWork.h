#pragma once

#include <functional>

// Runs `work` on a worker of the process's thread pool. The system's network and browser
// components queue their own work there, so a background job shares their idle workers instead
// of costing a thread (and its memory) of its own. A job may wait on the network; the pool adds
// workers as they are needed. False, and the job dropped, when it could not be queued.
bool RunInBackground(std::function<void()> work);
