#include "UiLib/Utils/EventSource.h"

#include <algorithm>

namespace UiLib {

void IDelegate::operator+=(const CDelegateBase& delegate) {
    for (const auto& existing : delegates_)
        if (existing->Equals(delegate)) return;
    delegates_.push_back(delegate.Copy());
}

void IDelegate::operator-=(const CDelegateBase& delegate) {
    auto found = std::find_if(delegates_.begin(), delegates_.end(),
                              [&](const auto& existing) { return existing->Equals(delegate); });
    if (found != delegates_.end()) delegates_.erase(found);
}

bool IDelegate::operator()(void* param) {
    // A subscriber may unsubscribe while it runs; walk by index over what is left.
    for (size_t i = 0; i < delegates_.size(); ++i)
        if (!delegates_[i]->Invoke(param)) return false;
    return true;
}

}  // namespace UiLib
