#pragma once
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace UiLib {

// Keeps one connection to a signal alive: destroying (or resetting) it disconnects, whichever of
// the signal and the subscriber goes first.
class CSubscription {
public:
    CSubscription() = default;
    explicit CSubscription(std::function<void()> disconnect) : disconnect_(std::move(disconnect)) {}
    CSubscription(CSubscription&& other) noexcept : disconnect_(std::exchange(other.disconnect_, nullptr)) {}
    CSubscription& operator=(CSubscription&& other) noexcept {
        if (this != &other) {
            Reset();
            disconnect_ = std::exchange(other.disconnect_, nullptr);
        }
        return *this;
    }
    CSubscription(const CSubscription&) = delete;
    CSubscription& operator=(const CSubscription&) = delete;
    ~CSubscription() { Reset(); }

    bool IsConnected() const { return static_cast<bool>(disconnect_); }
    void Reset() {
        if (auto disconnect = std::exchange(disconnect_, nullptr)) disconnect();
    }

private:
    std::function<void()> disconnect_;
};

// A typed event with any number of subscribers, called in the order they connected. A handler may
// connect or disconnect others, or itself, while the signal is being emitted: a handler removed
// during an emission is not called by it, one added during it is called from the next one. A
// signal nobody ever connected to allocates nothing, so every control can carry its signals.
template <typename... Args>
class CSignal {
public:
    using Handler = std::function<void(Args...)>;

    CSignal() = default;
    CSignal(const CSignal&) = delete;
    CSignal& operator=(const CSignal&) = delete;

    [[nodiscard]] CSubscription Connect(Handler handler) {
        if (!slots_) slots_ = std::make_shared<Slots>();
        auto slot = std::make_shared<Slot>(Slot{std::move(handler), true});
        slots_->push_back(slot);
        std::weak_ptr<Slots> slots = slots_;
        return CSubscription([slots, slot] {
            slot->connected = false;
            if (auto alive = slots.lock()) Erase(*alive, slot);
        });
    }

    void Emit(Args... args) const {
        if (IsEmpty()) return;
        const Slots snapshot = *slots_;  // handlers may change the list while they run
        // A handler may end the signal's owner, and the signal with it: then nobody else is called.
        const std::weak_ptr<Slots> alive = slots_;
        for (const auto& slot : snapshot) {
            if (alive.expired()) return;
            if (slot->connected) slot->handler(args...);
        }
    }

    bool IsEmpty() const { return !slots_ || slots_->empty(); }

private:
    struct Slot {
        Handler handler;
        bool connected;
    };
    using Slots = std::vector<std::shared_ptr<Slot>>;

    static void Erase(Slots& slots, const std::shared_ptr<Slot>& slot) {
        for (auto it = slots.begin(); it != slots.end(); ++it) {
            if (*it == slot) {
                slots.erase(it);
                return;
            }
        }
    }

    std::shared_ptr<Slots> slots_;
};

}  // namespace UiLib
