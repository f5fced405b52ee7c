#include "online/MiniInformationWndUI.h"

#include "UiLib/controls/UIControl.h"
#include "online/ManagementService.h"
#include "shared/SysSettings.h"

namespace {

// No caption and no maximise box of the native frame.
constexpr DWORD kRemovedStyle = WS_CAPTION | WS_MAXIMIZEBOX;

}  // namespace

CMiniInformationWndUI::CMiniInformationWndUI(SysSettings& settings, UINT showDelayMs)
    : CWebPopupWnd(WebPopupStyle{L"MiniInformationWndUI.xml", L"ie10", showDelayMs, kRemovedStyle}),
      settings_(settings) {}

void CMiniInformationWndUI::OnAfterCreate() { SetIcon(kIconId); }

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

void CMiniInformationWndUI::Notify(UiLib::UiNotify& msg) {
    if (msg.sType == L"click" && msg.pSender && msg.pSender->GetName() == L"mini")
        ::SendMessageW(window_, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    CWebPopupWnd::Notify(msg);
}
