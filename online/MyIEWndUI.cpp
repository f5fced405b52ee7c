#include "online/MyIEWndUI.h"

#include <cwchar>

#include "UiLib/controls/UIButton.h"
#include "UiLib/controls/UIWebBrowser.h"
#include "UiLib/core/UIDlgBuilder.h"
#include "UiLib/core/UIManager.h"
#include "UiLib/tree/ControlLookup.h"
#include "UiLib/tree/ControlRegistry.h"
#include "UiLib/tree/UINotify.h"

using namespace UiLib;

namespace {

std::wstring VariantText(const VARIANT* value) {
    return value && value->vt == VT_BSTR && value->bstrVal ? value->bstrVal : L"";
}

// The offline page's retry link: "refresh" beside the page in this program's resources. Only it:
// a portal address that merely holds the word passes.
bool IsRetryLink(const std::wstring& address) {
    const std::wstring scheme = L"res://", link = L"/refresh";
    return address.size() > scheme.size() + link.size() &&
           _wcsnicmp(address.c_str(), scheme.c_str(), scheme.size()) == 0 &&
           _wcsicmp(address.c_str() + address.size() - link.size(), link.c_str()) == 0;
}

CControlUI* CALLBACK MatchName(CControlUI* control, void* name) {
    return control->GetName() == static_cast<const wchar_t*>(name) ? control : nullptr;
}

}  // namespace

template <typename T>
T* CMyIEWndUI::FindSubControl(const wchar_t* name) const {
    CControlUI* found = content_ ? content_->FindControl(&MatchName, const_cast<wchar_t*>(name), UIFIND_ALL) : nullptr;
    return ControlAs<T>(found, name);
}

UILIB_REGISTER_CONTROL(L"IEWndUI", CMyIEWndUI);

CMyIEWndUI::CMyIEWndUI() = default;

// The tab builds its content from its window's skin once it joins that window.
void CMyIEWndUI::DoInit() {
    if (content_) return;
    CDialogBuilder builder;
    std::unique_ptr<CControlUI> content = builder.Create(L"IEWndUI.xml", nullptr, nullptr, GetManager());
    if (!content) {
        RemoveAll();
        return;
    }
    content_ = content.get();
    Add(std::move(content));
    SubscribeToButtons();
    backButton_ = FindSubControl<CButtonUI>(L"goback");
    forwardButton_ = FindSubControl<CButtonUI>(L"goforward");
    // The browser may be created by its first layout, before the first NavigateTab: it reports
    // to this tab from the start. Beyond the web it may show the offline page, and only that.
    if (CWebBrowserUI* browser = Browser()) {
        browser->SetWebBrowserEventHandler(this);
        browser->AllowPage(OfflinePageUrl());
    }
}

CMyIEWndUI::~CMyIEWndUI() {
    // The browser, a child, closes after this tab's handler part is gone: it reports no more.
    if (CWebBrowserUI* browser = Browser()) browser->SetWebBrowserEventHandler(nullptr);
}

void CMyIEWndUI::SubscribeToButtons() {
    OnButtonClick(L"goback", [](IWebBrowser2& web) { web.GoBack(); });
    OnButtonClick(L"goforward", [](IWebBrowser2& web) { web.GoForward(); });
    OnButtonClick(L"gorefresh", [](IWebBrowser2& web) { web.Refresh(); });
    OnButtonClick(L"gostop", [](IWebBrowser2& web) { web.Stop(); });
}

void CMyIEWndUI::OnButtonClick(const wchar_t* name, std::function<void(IWebBrowser2& web)> call) {
    auto* button = FindSubControl<CButtonUI>(name);
    if (!button) return;
    buttonClicks_.push_back(button->OnClick([this, call = std::move(call)] {
        CWebBrowserUI* browser = Browser();
        if (browser && browser->GetWebBrowser2()) call(*browser->GetWebBrowser2());
    }));
}

CWebBrowserUI* CMyIEWndUI::Browser() const { return content_ ? FindSubControl<CWebBrowserUI>(L"ie8") : nullptr; }

void CMyIEWndUI::NavigateTab(const std::wstring& url) {
    if (CWebBrowserUI* browser = Browser()) browser->Navigate(url, this);
}

void CMyIEWndUI::OpenStartPageOnce() {
    if (startPage_.empty()) return;
    NavigateTab(L"about:blank");
    NavigateTab(startPage_);
    startPage_.clear();
}

std::wstring CMyIEWndUI::OfflinePageUrl() {
    wchar_t path[256] = {};
    ::GetModuleFileNameW(nullptr, path, 256);
    return L"res://" + std::wstring(path) + L"/102";
}

void CMyIEWndUI::OnBeforeNavigate(IDispatch*, VARIANT* url, VARIANT*, VARIANT*, VARIANT*, VARIANT*,
                                  VARIANT_BOOL* cancel) {
    if (!IsRetryLink(VariantText(url))) return;
    // The offline page's retry link: load the page that failed instead (none before a failure).
    if (!failedUrl_.empty()) NavigateTab(failedUrl_);
    if (cancel) *cancel = VARIANT_TRUE;
}

void CMyIEWndUI::OnNavigateError(IDispatch* dispatch, VARIANT* url, VARIANT*, VARIANT*, VARIANT_BOOL*) {
    // A frame that fails leaves the portal page in place; its retry would load the frame alone.
    CWebBrowserUI* browser = Browser();
    if (!browser || !browser->IsTopLevel(dispatch)) return;
    std::wstring offline = OfflinePageUrl();
    std::wstring address = VariantText(url);
    // The offline page itself failing must not start another round of failures.
    if (address == offline) return;
    failedUrl_ = address;
    NavigateTab(offline);
}

void CMyIEWndUI::OnCommandStateChange(long command, VARIANT_BOOL enable) {
    CControlUI* button = command == CSC_NAVIGATEBACK ? backButton_ : command == CSC_NAVIGATEFORWARD ? forwardButton_ : nullptr;
    if (button) button->SetEnabled(enable != VARIANT_FALSE);
}
