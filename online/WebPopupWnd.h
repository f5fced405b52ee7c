#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "UiLib/Utils/Signal.h"
#include "UiLib/controls/WebBrowserEventHandler.h"
#include "UiLib/core/SkinnedWindow.h"
#include "UiLib/tree/UIMessageFilter.h"
#include "UiLib/tree/UINotify.h"
#include "shared/BackgroundWork.h"

namespace UiLib {
class CWebBrowserUI;
}  // namespace UiLib

// What tells the small web windows apart: their layout, their browser control and how long they
// stay hidden after their creation.
struct WebPopupStyle {
    const wchar_t* layout;
    const wchar_t* browser;
    UINT showDelayMs;
    DWORD removedStyle;  // the parts of the native frame the skin replaces
};

// A small skinned window around one web page, created hidden, shown by itself after a delay on a
// window timer of its own. Only the top-level document counts: frames neither load nor fail the
// window. Create it with CWindowWnd::CreateOwned; its window owns it.
class CWebPopupWnd : public UiLib::CSkinnedWindow,
                     public UiLib::INotifyUI,
                     public UiLib::IMessageFilterUI,
                     public UiLib::CWebBrowserEventHandler {
public:
    static constexpr wchar_t kBlankPage[] = L"about:blank";

    // Hands a page the player clicked to the default browser; tests put their own in.
    std::function<void(const std::wstring& url)> openInBrowser;

    // Makes the window's browser show a page, creating the browser first when needed. A web page
    // loads in its turn on the network lane, after the requests queued before it.
    void Navigate(const std::wstring& url);
    bool IsShown() const { return shown_; }

    // The notifications of the controls that have no typed callback, the focus among them.
    void Notify(UiLib::UiNotify&) override {}
    LRESULT MessageHandler(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
    void OnBeforeNavigate(IDispatch* dispatch, VARIANT* url, VARIANT* flags, VARIANT* targetFrame,
                          VARIANT* postData, VARIANT* headers, VARIANT_BOOL* cancel) override;
    void OnNavigateError(IDispatch* dispatch, VARIANT* url, VARIANT* targetFrame, VARIANT* statusCode,
                         VARIANT_BOOL* cancel) override;
    void OnNavigateComplete(IDispatch* dispatch, VARIANT* url) override;
    void OnNewWindow(IDispatch** dispatch, VARIANT_BOOL* cancel, DWORD flags, BSTR urlContext, BSTR url) override;

protected:
    // Apart from the identifiers the paint manager gives its controls' timers.
    static constexpr UINT_PTR kShowTimer = 0x5D01;
    static constexpr UINT_PTR kCloseTimer = 0x5D02;

    explicit CWebPopupWnd(WebPopupStyle style);

    LRESULT HandleCustomMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
    void OnCreated() override;
    void OnFinalMessage(HWND window) override;

    // The window is about to be shown, and has just been shown.
    virtual void OnShowing() {}
    virtual void OnShown() {}
    // The top-level document other than the blank page has loaded.
    virtual void OnPageLoaded(const std::wstring& url) = 0;
    // The pointer moved over the window or one of its children.
    virtual void OnPointerOver() {}
    // Whether pages the player clicks leave for the default browser (else they open inside).
    virtual bool HandsLinksOn() const { return true; }
    // A countdown of the derived window ended.
    virtual void OnCloseTimer() {}
    virtual void OnAfterCreate() {}

    void CloseSoon() { Close(1); }
    // Runs `handler` on each click of the layout's button `name`, as long as the window lives.
    void OnButtonClick(const wchar_t* name, std::function<void()> handler);

private:
    bool OnTimer(UINT_PTR id);
    UiLib::CWebBrowserUI* Browser() const;
    bool IsTopLevel(IDispatch* dispatch) const;
    bool FollowsAClick() const;
    void NavigateNow(const std::wstring& url, NetworkLaneHold heldWhileLoading);

    const WebPopupStyle style_;
    bool shown_ = false;
    bool firstLoad_ = true;
    DWORD lastClickTick_ = 0;
    bool clicked_ = false;
    std::vector<UiLib::CSubscription> buttonClicks_;
};
