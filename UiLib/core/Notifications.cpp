#include "UiLib/core/Notifications.h"

#include <algorithm>

#include "UiLib/tree/UIControl.h"

namespace UiLib {

bool CNotifications::AddNotifier(INotifyUI* notifier) {
    if (!notifier || notifiers_.IndexOf(notifier) >= 0) return false;
    notifiers_.Add(notifier);
    return true;
}

bool CNotifications::RemoveNotifier(INotifyUI* notifier) {
    int index = notifiers_.IndexOf(notifier);
    if (index < 0) return false;
    notifiers_.TakeAt(index);
    return true;
}

void CNotifications::Send(UiNotify& msg, bool async) {
    if (async) queued_.push_back(msg);
    else Deliver(msg);
}

void CNotifications::Deliver(UiNotify& msg) {
    // The sender's own subscribers come first; when it has some and all of them agree, they
    // have dealt with the notification.
    if (msg.pSender && !msg.pSender->OnNotify.IsEmpty() && msg.pSender->OnNotify(&msg)) return;
    for (size_t i = 0; i < notifiers_.Count(); ++i) notifiers_.GetAt(static_cast<int>(i))->Notify(msg);
}

void CNotifications::DeliverQueued() {
    while (!queued_.empty()) {
        UiNotify msg = std::move(queued_.front());
        queued_.pop_front();
        Deliver(msg);
    }
}

void CNotifications::Forget(const CControlUI* sender) {
    queued_.erase(std::remove_if(queued_.begin(), queued_.end(),
                                 [sender](const UiNotify& msg) { return msg.pSender == sender; }),
                  queued_.end());
}

}  // namespace UiLib
