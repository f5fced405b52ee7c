#include "online/PopWndUI.h"

#include <algorithm>

#include "online/ManagementService.h"
#include "shared/SysSettings.h"

namespace {

// No caption, system menu, minimise or maximise state of the native frame.
constexpr DWORD kPopupRemovedStyle = WS_MINIMIZE | WS_MAXIMIZE | WS_CAPTION | WS_SYSMENU;
constexpr int kUsualWidth = 300;
constexpr int kUsualHeight = 170;
constexpr int kSmallestWidth = 100;
constexpr int kSmallestHeight = 60;
constexpr int kLongestDisplaySeconds = 3600;

int Reasonable(int size, int usual, int smallest, int largest) {
    if (size <= 0) size = usual;
    return std::max(std::min(size, largest), std::min(smallest, largest));
}

}  // namespace

RECT PopupPlacement(const RECT& workArea, int width, int height, UiLib::CDpiScale scale) {
    width = Reasonable(scale.Scale(width), scale.Scale(kUsualWidth), scale.Scale(kSmallestWidth),
                       workArea.right - workArea.left);
    height = Reasonable(scale.Scale(height), scale.Scale(kUsualHeight), scale.Scale(kSmallestHeight),
                        workArea.bottom - workArea.top);
    return RECT{workArea.right - width, workArea.bottom - height, workArea.right, workArea.bottom};
}

UINT PopupDisplayMilliseconds(int seconds) {
    return static_cast<UINT>(std::clamp(seconds, 0, kLongestDisplaySeconds)) * 1000u;
}

CPopupWnd::CPopupWnd(WebPopupStyle style, SysSettings& settings, UINT displayMs, bool hoverCancels)
    : CWebPopupWnd(style), settings_(settings), displayMs_(displayMs), hoverCancels_(hoverCancels) {}

void CPopupWnd::OnShown() {
    counting_ = true;
    ::SetTimer(window_, kCloseTimer, displayMs_, nullptr);
    RecordOnceSeen();
}

void CPopupWnd::OnPageLoaded(const std::wstring& url) {
    loadedUrl_ = url;
    RecordOnceSeen();
}

// A pop-up that closes before it was seen, or whose page never loaded, records nothing.
void CPopupWnd::RecordOnceSeen() {
    if (recorded_ || !IsShown() || loadedUrl_.empty()) return;
    recorded_ = true;
    Record(loadedUrl_);
}

void CPopupWnd::OnPointerOver() {
    if (hoverCancels_) CancelCountdown();
}

void CPopupWnd::CancelCountdown() {
    if (!counting_) return;
    counting_ = false;
    ::KillTimer(window_, kCloseTimer);
}

CPopWndUI::CPopWndUI(SysSettings& settings, std::wstring newsUrl, UINT displayMs, UINT showDelayMs)
    : CPopupWnd(WebPopupStyle{L"PopWndUI.xml", L"ie9", showDelayMs, kPopupRemovedStyle}, settings, displayMs, true),
      newsUrl_(std::move(newsUrl)) {}

void CPopWndUI::Record(const std::wstring&) { settings_.SaveNewsUrl(newsUrl_); }

CPopIEWndUI::CPopIEWndUI(SysSettings& settings, UINT displayMs, UINT showDelayMs)
    : CPopupWnd(WebPopupStyle{L"PopIEWndUI.xml", L"ie9", showDelayMs, kPopupRemovedStyle}, settings, displayMs,
                false) {}

void CPopIEWndUI::Notify(UiLib::UiNotify& msg) {
    if (msg.sType == L"setfocus") {
        // The first focus comes with the page itself; from the next one on the player is there.
        if (hadFocus_) {
            CancelCountdown();
        } else {
            hadFocus_ = true;
            ::SendMessageW(window_, WM_KILLFOCUS, 0, 0);
            ArmHoverCancel();
        }
    }
    CPopupWnd::Notify(msg);
}

void CPopIEWndUI::Record(const std::wstring&) {
    const std::wstring today = TodayStamp();
    if (settings_.Snapshot().AdTime != today) settings_.SaveAdTime(today);
}
