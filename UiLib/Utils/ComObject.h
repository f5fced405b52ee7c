#pragma once
#include <windows.h>
#include <unknwn.h>

namespace UiLib {

// A COM object on the heap that answers one interface besides IUnknown and is deleted with its
// last reference. It starts with one reference, its creator's.
template <typename Interface>
class CComObject : public Interface {
public:
    explicit CComObject(REFIID iid) : iid_(iid) {}

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (iid != IID_IUnknown && iid != iid_) return E_NOINTERFACE;
        *object = static_cast<Interface*>(this);
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ::InterlockedIncrement(&refs_); }
    STDMETHODIMP_(ULONG) Release() override {
        LONG left = ::InterlockedDecrement(&refs_);
        if (left == 0) delete this;
        return left;
    }

protected:
    virtual ~CComObject() = default;

private:
    IID iid_;
    LONG refs_ = 1;
};

}  // namespace UiLib
