#pragma once
#include <memory>

namespace UiLib {

// A bound callback that a control calls with one argument (an event, a notification or the
// control itself). Returning false stops the control's own handling where the caller says so.
class CDelegateBase {
public:
    virtual ~CDelegateBase() = default;
    virtual bool Invoke(void* param) = 0;
    virtual std::unique_ptr<CDelegateBase> Copy() const = 0;
    // Whether both call the same function on the same object; used to unsubscribe.
    virtual bool Equals(const CDelegateBase& other) const = 0;
};

// A member function of a window or control, bound to its object.
template <typename Object>
class CDelegate : public CDelegateBase {
public:
    using Method = bool (Object::*)(void*);

    CDelegate(Object* object, Method method) : object_(object), method_(method) {}

    bool Invoke(void* param) override { return (object_->*method_)(param); }
    std::unique_ptr<CDelegateBase> Copy() const override { return std::make_unique<CDelegate>(*this); }
    bool Equals(const CDelegateBase& other) const override {
        auto* same = dynamic_cast<const CDelegate*>(&other);
        return same && same->object_ == object_ && same->method_ == method_;
    }

private:
    Object* object_;
    Method method_;
};

// A free function.
class CDelegateStatic : public CDelegateBase {
public:
    using Function = bool (*)(void*);

    explicit CDelegateStatic(Function function) : function_(function) {}

    bool Invoke(void* param) override { return function_(param); }
    std::unique_ptr<CDelegateBase> Copy() const override { return std::make_unique<CDelegateStatic>(*this); }
    bool Equals(const CDelegateBase& other) const override {
        auto* same = dynamic_cast<const CDelegateStatic*>(&other);
        return same && same->function_ == function_;
    }

private:
    Function function_;
};

template <typename Object>
CDelegate<Object> MakeDelegate(Object* object, bool (Object::*method)(void*)) {
    return CDelegate<Object>(object, method);
}

inline CDelegateStatic MakeDelegate(bool (*function)(void*)) { return CDelegateStatic(function); }

}  // namespace UiLib
