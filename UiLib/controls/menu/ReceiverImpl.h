#pragma once
#include <vector>

#include "UiLib/controls/menu/ObserverImplBase.h"

namespace UiLib {

// A receiver that leaves its observers when it goes, so that no observer keeps a dangling entry.
template <typename ReturnT, typename ParamT>
class ReceiverImpl : public ReceiverImplBase<ReturnT, ParamT> {
public:
    using Observer = ObserverImplBase<ReturnT, ParamT>;

    ~ReceiverImpl() override { RemoveObserver(); }

    void AddObserver(Observer* observer) override { observers_.push_back(observer); }

    void RemoveObserver() override {
        std::vector<Observer*> observers;
        observers.swap(observers_);
        for (Observer* observer : observers) observer->RemoveReceiver(this);
    }

    ReturnT Receive(ParamT) override { return ReturnT(); }
    ReturnT Respond(ParamT, Observer*) override { return ReturnT(); }

private:
    std::vector<Observer*> observers_;
};

}  // namespace UiLib
