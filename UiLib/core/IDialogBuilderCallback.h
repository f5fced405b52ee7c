#pragma once
#include <memory>

namespace UiLib {

class CControlUI;

// The application's factory for the layout tags the framework does not know ("MyGameWnd").
class IDialogBuilderCallback {
public:
    // A new control for the tag, or null when the application does not know it either.
    virtual std::unique_ptr<CControlUI> CreateControlForTag(const wchar_t* tag) = 0;

protected:
    ~IDialogBuilderCallback() = default;
};

}  // namespace UiLib
