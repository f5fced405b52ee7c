#include "online/WorkerThreads.h"

#include "online/FetchThreads.h"
#include "online/SelfUpdate.h"

namespace {

void StartDetached(LPTHREAD_START_ROUTINE procedure, LPVOID argument = nullptr) {
    ScopedHandle thread(CreateThread(nullptr, 0, procedure, argument, 0, nullptr));
    if (!thread && argument != nullptr) CloseHandle(argument);
}

// A handle of the probe thread for a fetcher that waits for it; the fetcher closes it.
HANDLE ProbeHandleCopy(HANDLE probe) {
    HANDLE copy = nullptr;
    if (probe == nullptr) return nullptr;
    DuplicateHandle(GetCurrentProcess(), probe, GetCurrentProcess(), &copy, SYNCHRONIZE, FALSE, 0);
    return copy;
}

}  // namespace

void WorkerThreads::Start() {
    probe_.reset(CreateThread(nullptr, 0, ConnectivityProbeThread, nullptr, 0, nullptr));
    StartDetached(AutoUpdateThread);
    StartDetached(TodayNewsFetchThread, ProbeHandleCopy(probe_.get()));
    StartDetached(PopNewsFetchThread);
    StartDetached(AdFetchThread, ProbeHandleCopy(probe_.get()));
}
