#pragma once
#include <memory>

#include "UiLib/core/IDialogBuilderCallback.h"

namespace UiLib {
class CPaintManagerUI;
}  // namespace UiLib

// The application's own layout tags: "MyGameWnd" (the my-games page) and "IEWndUI" (a web tab).
// Tags are compared exactly; any other tag is left to the framework.
class CDialogBuilderCallbackEx : public UiLib::IDialogBuilderCallback {
public:
    // A web page builds its own content into `manager`, the window being built; the my-games page
    // builds its own once it is in the window.
    explicit CDialogBuilderCallbackEx(UiLib::CPaintManagerUI* manager) : manager_(manager) {}

    std::unique_ptr<UiLib::CControlUI> CreateControlForTag(const wchar_t* tag) override;

private:
    UiLib::CPaintManagerUI* manager_;
};
