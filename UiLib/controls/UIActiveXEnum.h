#pragma once
#include <windows.h>
#include <ole2.h>
#include <wrl/client.h>

namespace UiLib {

// Enumerates the one object a control site contains: its control.
class CActiveXEnum : public IEnumUnknown {
public:
    explicit CActiveXEnum(IUnknown* control);

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    STDMETHODIMP Next(ULONG count, IUnknown** objects, ULONG* fetched) override;
    STDMETHODIMP Skip(ULONG count) override;
    STDMETHODIMP Reset() override;
    STDMETHODIMP Clone(IEnumUnknown** copy) override;

private:
    virtual ~CActiveXEnum() = default;

    LONG refs_ = 1;
    ULONG position_ = 0;
    Microsoft::WRL::ComPtr<IUnknown> control_;
};

}  // namespace UiLib
