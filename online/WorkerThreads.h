#pragma once
#include "app/ScopedHandle.h"

// The five background threads the main window starts when it is created. They are never
// stopped; they end by themselves or with the process.
class WorkerThreads {
public:
    // Starts, in this order: the connectivity probe, the automatic update check, the today's-news
    // fetch, the news pop-up fetch and the advert fetch.
    void Start();

private:
    ScopedHandle probe_;
};
