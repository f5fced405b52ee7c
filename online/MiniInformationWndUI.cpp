#include "online/MiniInformationWndUI.h"

#include "online/ManagementService.h"
#include "shared/SysSettings.h"

namespace {

// No caption and no maximise box of the native frame.
constexpr DWORD kRemovedStyle = WS_CAPTION | WS_MAXIMIZEBOX;

}  // namespace

CMiniInformationWndUI::CMiniInformationWndUI(SysSettings& settings, UINT showDelayMs)
    : CWebPopupWnd(WebPopupStyle{L"MiniInformationWndUI.xml", L"ie10", showDelayMs, kRemovedStyle}),
      settings_(settings) {}

void CMiniInformationWndUI::OnAfterCreate() {
    SetIcon(kIconId);
    OnButtonClick(L"mini", [this] { ::SendMessageW(window_, WM_SYSCOMMAND, SC_MINIMIZE, 0); });
}

void CMiniInformationWndUI::NavigateInfo(const std::wstring& url) {
    if (url != kBlankPage) pageRequested_ = true;
    Navigate(url);
}

void CMiniInformationWndUI::OnShowing() { CenterWindow(); }

void CMiniInformationWndUI::OnPageLoaded(const std::wstring&) {
    if (!pageRequested_) return;
    const std::wstring today = TodayStamp();
    if (settings_.Snapshot().NewsTime != today) settings_.SaveNewsTime(today);
}
