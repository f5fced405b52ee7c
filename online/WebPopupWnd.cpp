#include "online/WebPopupWnd.h"

#include <shellapi.h>

#include <cwctype>

#include "UiLib/controls/UIButton.h"
#include "UiLib/controls/UIWebBrowser.h"
#include "UiLib/tree/UIControl.h"
#include "shared/PlayerRights.h"
#include "shared/SkinnedDialogFrame.h"

using namespace UiLib;

namespace {

// A page the player clicked starts loading well within this time of the click.
constexpr DWORD kClickWindowMs = 2000;

std::wstring UrlOf(const VARIANT* url) {
    return url && url->vt == VT_BSTR && url->bstrVal ? std::wstring(url->bstrVal) : std::wstring();
}

bool IsWebAddress(const std::wstring& url) {
    std::wstring lower;
    for (wchar_t c : url.substr(0, 8)) lower += static_cast<wchar_t>(std::towlower(c));
    return lower.compare(0, 7, L"http://") == 0 || lower.compare(0, 8, L"https://") == 0;
}

void OpenInDefaultBrowser(const std::wstring& url) {
    OpenWebLinkAsPlayer(url);
}

}  // namespace

CWebPopupWnd::CWebPopupWnd(WebPopupStyle style)
    : CSkinnedWindow(SkinnedDialogFrame::ProgramDialog(style.layout, static_cast<LONG>(style.removedStyle),
                                                       CaptionClicks::Buttons)),
      openInBrowser(&OpenInDefaultBrowser),
      style_(style) {
    Options().notifier = this;
    Options().preMessageFilter = this;
}

void CWebPopupWnd::OnCreated() {
    OnButtonClick(L"close", [this] { CloseSoon(); });
    OnAfterCreate();
    ::SetTimer(window_, kShowTimer, style_.showDelayMs, nullptr);
}

bool CWebPopupWnd::OnTimer(UINT_PTR id) {
    if (id != kShowTimer && id != kCloseTimer) return false;
    ::KillTimer(window_, id);
    if (id == kCloseTimer) {
        OnCloseTimer();
    } else {
        OnShowing();
        ::ShowWindow(window_, SW_SHOWNORMAL);
        shown_ = true;
        OnShown();
    }
    return true;
}

LRESULT CWebPopupWnd::HandleCustomMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
    switch (message) {
    case WM_TIMER:
        if (OnTimer(wParam)) return 0;
        break;
    case WM_KEYDOWN:
        // Enter and Escape would close or activate the window itself; the page keeps its keys.
        if (wParam == VK_RETURN || wParam == VK_ESCAPE) return 0;
        break;
    case WM_NCHITTEST:
        OnPointerOver();
        break;
    case WM_SETCURSOR:
        // Sent for the pointer over the window's children too, with the mouse message behind it.
        OnPointerOver();
        if (HIWORD(lParam) == WM_LBUTTONDOWN) {
            clicked_ = true;
            lastClickTick_ = ::GetTickCount();
        }
        break;
    case WM_LBUTTONDOWN:
        clicked_ = true;
        lastClickTick_ = ::GetTickCount();
        break;
    default:
        break;
    }
    handled = false;
    return 0;
}

LRESULT CWebPopupWnd::MessageHandler(UINT, WPARAM, LPARAM, bool&) { return 0; }

void CWebPopupWnd::OnButtonClick(const wchar_t* name, std::function<void()> handler) {
    // A window whose layout is missing has no buttons to click.
    if (!paintManager_.GetRoot()) return;
    if (auto* button = paintManager_.FindControl<CButtonUI>(name)) buttonClicks_.push_back(button->OnClick(std::move(handler)));
}

void CWebPopupWnd::OnFinalMessage(HWND window) {
    // The browser outlives this object by a little while its control goes: it reports no more.
    if (CWebBrowserUI* browser = Browser()) browser->SetWebBrowserEventHandler(nullptr);
    CSkinnedWindow::OnFinalMessage(window);
}

CWebBrowserUI* CWebPopupWnd::Browser() const {
    auto& manager = const_cast<CPaintManagerUI&>(paintManager_);
    // A window whose layout is missing has no browser.
    return manager.GetRoot() ? manager.FindControl<CWebBrowserUI>(style_.browser) : nullptr;
}

void CWebPopupWnd::Navigate(const std::wstring& url) {
    // A page of this window comes from the network in the background: it waits for the requests
    // given to the network lane before it and holds the lane while it downloads.
    auto takeTurn = [tasks = Tasks(), window = this, url] {
        NetworkLaneHold hold = HoldNetworkLane();
        tasks->Post([window, url, hold] { window->NavigateNow(url, hold); });
    };
    if (url == kBlankPage || !RunInBackground(BackgroundLane::Network, std::move(takeTurn))) NavigateNow(url, nullptr);
}

void CWebPopupWnd::NavigateNow(const std::wstring& url, NetworkLaneHold heldWhileLoading) {
    if (CWebBrowserUI* browser = Browser()) browser->Navigate(url, this, std::move(heldWhileLoading));
}

bool CWebPopupWnd::IsTopLevel(IDispatch* dispatch) const {
    CWebBrowserUI* browser = Browser();
    return browser && browser->IsTopLevel(dispatch);
}

bool CWebPopupWnd::FollowsAClick() const { return clicked_ && ::GetTickCount() - lastClickTick_ < kClickWindowMs; }

void CWebPopupWnd::OnBeforeNavigate(IDispatch* dispatch, VARIANT* url, VARIANT*, VARIANT*, VARIANT*, VARIANT*,
                                    VARIANT_BOOL* cancel) {
    const std::wstring address = UrlOf(url);
    // The first page loads inside the window, redirects and frames included.
    if (firstLoad_ || address == kBlankPage || !HandsLinksOn()) return;
    if (cancel) *cancel = VARIANT_TRUE;
    // Only a page the player asked for leaves, and only for the web: scripts, frames and other
    // schemes stay behind.
    if (!IsTopLevel(dispatch) || !IsWebAddress(address) || !FollowsAClick()) return;
    clicked_ = false;
    // After the browser's event: opening the default browser may run a message loop, in which this
    // pop-up could close and go while the event still runs.
    Tasks()->Post([this, address] {
        if (openInBrowser) openInBrowser(address);
        CloseSoon();
    });
}

void CWebPopupWnd::OnNavigateError(IDispatch* dispatch, VARIANT* url, VARIANT*, VARIANT*, VARIANT_BOOL* cancel) {
    // The blank page before the content is no content of the window's.
    if (!IsTopLevel(dispatch) || UrlOf(url) == kBlankPage) return;
    if (cancel) *cancel = VARIANT_TRUE;
    CloseSoon();
}

void CWebPopupWnd::OnNavigateComplete(IDispatch* dispatch, VARIANT* url) {
    const std::wstring address = UrlOf(url);
    if (address.empty() || address == kBlankPage || !IsTopLevel(dispatch)) return;
    firstLoad_ = false;
    OnPageLoaded(address);
}

void CWebPopupWnd::OnNewWindow(IDispatch**, VARIANT_BOOL* cancel, DWORD, BSTR, BSTR) {
    if (cancel) *cancel = VARIANT_TRUE;
}
