#pragma once
#include <algorithm>
#include <cstddef>
#include <vector>

#include "UiLib/controls/menu/ObserverImplBase.h"

namespace UiLib {

// An observer over an ordered list of receivers it does not own.
template <typename ReturnT, typename ParamT>
class ObserverImpl : public ObserverImplBase<ReturnT, ParamT> {
public:
    using Receiver = ReceiverImplBase<ReturnT, ParamT>;

    // Walks the receivers from the first, skipping empty entries.
    class Iterator {
    public:
        explicit Iterator(const ObserverImpl& observer) : observer_(observer) {}
        Receiver* Next() {
            while (index_ < observer_.receivers_.size()) {
                if (Receiver* receiver = observer_.receivers_[index_++]) return receiver;
            }
            return nullptr;
        }

    private:
        const ObserverImpl& observer_;
        size_t index_ = 0;
    };

    void AddReceiver(Receiver* receiver) override {
        if (!receiver) return;
        receivers_.push_back(receiver);
        receiver->AddObserver(this);
    }

    void RemoveReceiver(Receiver* receiver) override {
        auto found = std::find(receivers_.begin(), receivers_.end(), receiver);
        if (found != receivers_.end()) receivers_.erase(found);
    }

    // Receivers may join or leave while a broadcast runs: it goes to those there at its start.
    ReturnT Broadcast(ParamT param) override {
        std::vector<Receiver*> receivers = receivers_;
        for (Receiver* receiver : receivers) receiver->Receive(param);
        return ReturnT();
    }

    ReturnT RBroadcast(ParamT param) override {
        std::vector<Receiver*> receivers = receivers_;
        for (auto it = receivers.rbegin(); it != receivers.rend(); ++it) (*it)->Receive(param);
        return ReturnT();
    }

    ReturnT Notify(ParamT param) override {
        std::vector<Receiver*> receivers = receivers_;
        for (Receiver* receiver : receivers) receiver->Respond(param, this);
        return ReturnT();
    }

    size_t Count() const { return receivers_.size(); }

private:
    std::vector<Receiver*> receivers_;
};

}  // namespace UiLib
