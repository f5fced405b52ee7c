#pragma once
#include <memory>
#include <vector>

#include "UiLib/Utils/Delegate.h"

namespace UiLib {

// A control's list of subscribers (init, size, event, notify): each call goes to every
// subscriber in order until one returns false.
class IDelegate {
public:
    IDelegate() = default;
    IDelegate(const IDelegate&) = delete;
    IDelegate& operator=(const IDelegate&) = delete;

    bool IsEmpty() const { return delegates_.empty(); }
    size_t Count() const { return delegates_.size(); }

    void operator+=(const CDelegateBase& delegate);
    void operator-=(const CDelegateBase& delegate);

    // True when every subscriber returned true (or there are none).
    bool operator()(void* param);

private:
    std::vector<std::unique_ptr<CDelegateBase>> delegates_;
};

}  // namespace UiLib
