#pragma once

namespace UiLib {

// The two sides of a broadcast: an observer keeps receivers and hands a parameter to each of
// them; a receiver remembers the observers it joined so that it can leave them all.
template <typename ReturnT, typename ParamT>
class ReceiverImplBase;

template <typename ReturnT, typename ParamT>
class ObserverImplBase {
public:
    using Receiver = ReceiverImplBase<ReturnT, ParamT>;

    virtual ~ObserverImplBase() = default;
    virtual void AddReceiver(Receiver* receiver) = 0;
    virtual void RemoveReceiver(Receiver* receiver) = 0;
    // Hands the parameter to every receiver, first to last.
    virtual ReturnT Broadcast(ParamT param) = 0;
    // The same, last to first.
    virtual ReturnT RBroadcast(ParamT param) = 0;
    // Asks every receiver to respond.
    virtual ReturnT Notify(ParamT param) = 0;
};

template <typename ReturnT, typename ParamT>
class ReceiverImplBase {
public:
    using Observer = ObserverImplBase<ReturnT, ParamT>;

    virtual ~ReceiverImplBase() = default;
    virtual void AddObserver(Observer* observer) = 0;
    // Leaves every observer it was added to.
    virtual void RemoveObserver() = 0;
    virtual ReturnT Receive(ParamT param) = 0;
    virtual ReturnT Respond(ParamT param, Observer* observer) = 0;
};

}  // namespace UiLib
