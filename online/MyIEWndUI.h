#pragma once
#include <windows.h>
#include <exdisp.h>

#include <functional>
#include <string>
#include <vector>

#include "UiLib/Utils/Signal.h"
#include "UiLib/controls/WebBrowserEventHandler.h"
#include "UiLib/tree/UIContainer.h"

namespace UiLib {
class CWebBrowserUI;
}  // namespace UiLib

// One web tab of the main window: a navigation bar over an embedded browser, whose failed pages
// are replaced by the offline page stored in the program file.
class CMyIEWndUI : public UiLib::CContainerUI, public UiLib::CWebBrowserEventHandler {
public:
    CMyIEWndUI();
    ~CMyIEWndUI() override;

    void DoInit() override;

    // Navigates the tab's browser, creating it first when needed; nothing without a browser.
    void NavigateTab(const std::wstring& url);
    // The page that the tab loads the first time it is shown; until then it holds no browser.
    void SetStartPage(const std::wstring& url) { startPage_ = url; }
    void OpenStartPageOnce();
    const std::wstring& GetFailedUrl() const { return failedUrl_; }
    // "res://" + the program file + "/102": the offline page.
    static std::wstring OfflinePageUrl();

    void OnBeforeNavigate(IDispatch* dispatch, VARIANT* url, VARIANT* flags, VARIANT* targetFrame,
                          VARIANT* postData, VARIANT* headers, VARIANT_BOOL* cancel) override;
    void OnNavigateError(IDispatch* dispatch, VARIANT* url, VARIANT* targetFrame, VARIANT* statusCode,
                         VARIANT_BOOL* cancel) override;
    void OnCommandStateChange(long command, VARIANT_BOOL enable) override;

private:
    // The control `name` of this tab's own layout (every web tab has the same names).
    template <typename T>
    T* FindSubControl(const wchar_t* name) const;
    UiLib::CWebBrowserUI* Browser() const;
    void SubscribeToButtons();
    // Each click of the button `name` runs `call` on the browser, when there is one.
    void OnButtonClick(const wchar_t* name, std::function<void(IWebBrowser2& web)> call);

    UiLib::CControlUI* content_ = nullptr;
    UiLib::CControlUI* backButton_ = nullptr;
    UiLib::CControlUI* forwardButton_ = nullptr;
    std::wstring failedUrl_;
    std::wstring startPage_;
    std::vector<UiLib::CSubscription> buttonClicks_;
};
