#include "app/SystemSetUI.h"

#include <cwchar>
#include <memory>

#include "UiLib/controls/UIButton.h"
#include "UiLib/controls/UIOption.h"
#include "games/PlayHistory.h"
#include "shared/SkinnedDialogFrame.h"
#include "shared/SysSettings.h"

using namespace UiLib;

namespace {

constexpr UINT kResultOk = 1;
constexpr UINT kResultCancel = 2;

bool IsOn(const std::wstring& setting) { return setting == L"1"; }
const wchar_t* AsSetting(bool on) { return on ? L"1" : L"0"; }
bool IsSelected(const COptionUI* option) { return option && option->IsSelected(); }
void Select(COptionUI* option) {
    if (option) option->Selected(true);
}

}  // namespace

CSystemSetUI::CSystemSetUI(SysSettings& settings, PlayHistory& history, IScheduledTasks& tasks)
    : CSkinnedWindow(SkinnedDialogFrame::ProgramDialog(kLayout, WS_CAPTION | WS_SYSMENU, CaptionClicks::Buttons)),
      settings_(settings),
      history_(history),
      tasks_(tasks) {
    Spec().notifier = this;
    Spec().preMessageFilter = this;
}

void CSystemSetUI::ShowModalOver(HWND parent, SysSettings& settings, PlayHistory& history) {
    SkinnedDialogFrame::RunModal(std::make_unique<CSystemSetUI>(settings, history, SystemScheduledTasks()), parent,
                                 kCreateStyle);
}

void CSystemSetUI::InitWindow() {
    FindControls();
    ShowSettings();
}

void CSystemSetUI::FindControls() {
    auto option = [this](const wchar_t* name) { return dynamic_cast<COptionUI*>(paintManager_.FindControl(name)); };
    auto button = [this](const wchar_t* name) { return dynamic_cast<CButtonUI*>(paintManager_.FindControl(name)); };
    autorun_ = option(L"autorun");
    totray_ = option(L"totray");
    toclose_ = option(L"toclose");
    showmsg_ = option(L"showmsg");
    autoupdate_ = option(L"autoupdate");
    noauto_ = option(L"noauto");
    orderByLastPlayed_ = option(L"orderbylastplayed");
    ok_ = button(L"ok");
    cancel_ = button(L"cancel");
    if (ok_) ok_->OnNotify += MakeDelegate(this, &CSystemSetUI::OnOk);
    if (cancel_) cancel_->OnNotify += MakeDelegate(this, &CSystemSetUI::OnCancel);
}

void CSystemSetUI::ShowSettings() {
    const SettingValues values = settings_.Snapshot();
    autoRunShown_ = SysSettings::IsAutoRunRegistered(tasks_);
    if (autoRunShown_) Select(autorun_);
    Select(IsOn(values.IsColse) ? toclose_ : totray_);
    if (IsOn(values.IsShow)) Select(showmsg_);
    Select(IsOn(values.UpdateType) ? autoupdate_ : noauto_);
    if (history_.OrderByLastPlayed()) Select(orderByLastPlayed_);
}

void CSystemSetUI::Notify(UiNotify& msg) {
    if (_wcsicmp(msg.sType.c_str(), L"click") != 0 || !msg.pSender) return;
    if (msg.pSender->GetName() == L"close") Close(kResultOk);
}

LRESULT CSystemSetUI::MessageHandler(UINT message, WPARAM wParam, LPARAM, bool& handled) {
    if (message != WM_KEYDOWN) return 0;
    // Enter has no meaning here; Escape cancels.
    if (wParam == VK_RETURN) {
        handled = true;
    } else if (wParam == VK_ESCAPE) {
        Close(kResultCancel);
        handled = true;
    }
    return 0;
}

bool CSystemSetUI::OnOk(void* param) {
    if (static_cast<UiNotify*>(param)->sType != L"click") return true;
    bool autoRun = IsSelected(autorun_);
    if (autoRun != autoRunShown_) autoRun = SysSettings::SetAutoRunRegistration(autoRun, tasks_);
    std::wstring isColse = AsSetting(IsSelected(toclose_));
    std::wstring isShow = AsSetting(IsSelected(showmsg_));
    std::wstring updateType = AsSetting(IsSelected(autoupdate_));
    settings_.SaveGeneralSettings(AsSetting(autoRun), isColse, isShow, updateType);
    history_.SetOrderByLastPlayed(IsSelected(orderByLastPlayed_));
    Close(kResultOk);
    return true;
}

bool CSystemSetUI::OnCancel(void* param) {
    if (static_cast<UiNotify*>(param)->sType == L"click") Close(kResultCancel);
    return true;
}
