#include "UiLib/controls/UIActiveXEnum.h"

namespace UiLib {

CActiveXEnum::CActiveXEnum(IUnknown* control) : control_(control) {}

STDMETHODIMP CActiveXEnum::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (iid != IID_IUnknown && iid != IID_IEnumUnknown) return E_NOINTERFACE;
    *object = static_cast<IEnumUnknown*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) CActiveXEnum::AddRef() { return ::InterlockedIncrement(&refs_); }

STDMETHODIMP_(ULONG) CActiveXEnum::Release() {
    LONG left = ::InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return left;
}

STDMETHODIMP CActiveXEnum::Next(ULONG count, IUnknown** objects, ULONG* fetched) {
    if (fetched) *fetched = 0;
    if (!objects) return E_POINTER;
    if (count == 0) return S_OK;
    if (position_ > 0 || !control_) return S_FALSE;
    ++position_;
    *objects = control_.Get();
    control_->AddRef();
    if (fetched) *fetched = 1;
    return count == 1 ? S_OK : S_FALSE;
}

STDMETHODIMP CActiveXEnum::Skip(ULONG count) {
    position_ += count;
    return S_OK;
}

STDMETHODIMP CActiveXEnum::Reset() {
    position_ = 0;
    return S_OK;
}

STDMETHODIMP CActiveXEnum::Clone(IEnumUnknown** copy) {
    if (!copy) return E_POINTER;
    auto* clone = new CActiveXEnum(control_.Get());
    clone->position_ = position_;
    *copy = clone;
    return S_OK;
}

}  // namespace UiLib
