#include "shared/BackgroundWork.h"

#include <windows.h>

#include <memory>

namespace {

DWORD WINAPI RunQueuedWork(LPVOID parameter) {
    std::unique_ptr<std::function<void()>> work(static_cast<std::function<void()>*>(parameter));
    (*work)();
    return 0;
}

}  // namespace

bool RunInBackground(std::function<void()> work) {
    auto owned = std::make_unique<std::function<void()>>(std::move(work));
    if (!QueueUserWorkItem(&RunQueuedWork, owned.get(), WT_EXECUTELONGFUNCTION)) return false;
    owned.release();
    return true;
}
