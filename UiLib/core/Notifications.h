#pragma once
#include <deque>

#include "UiLib/Utils/PtrArray.h"
#include "UiLib/tree/UINotify.h"

namespace UiLib {

// The notifications of one window's controls: delivered at once or queued until the window's
// current message is done, first to the sender's own subscribers, then to the window's notifiers.
class CNotifications {
public:
    bool AddNotifier(INotifyUI* notifier);
    bool RemoveNotifier(INotifyUI* notifier);

    void Send(UiNotify& msg, bool async);
    // Hands every queued notification to its receivers, oldest first.
    void DeliverQueued();
    // Drops the queued notifications of a control that is going.
    void Forget(const CControlUI* sender);
    void Clear() { queued_.clear(); }

private:
    void Deliver(UiNotify& msg);

    CPtrArray<INotifyUI*> notifiers_;
    std::deque<UiNotify> queued_;
};

}  // namespace UiLib
