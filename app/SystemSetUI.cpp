#include "app/SystemSetUI.h"

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
    Options().preMessageFilter = this;
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
    auto option = [this](const wchar_t* name) { return paintManager_.FindControl<COptionUI>(name); };
    auto onClick = [this](const wchar_t* name, std::function<void()> handler) {
        if (auto* button = paintManager_.FindControl<CButtonUI>(name))
            buttonClicks_.push_back(button->OnClick(std::move(handler)));
    };
    autorun_ = option(L"autorun");
    totray_ = option(L"totray");
    toclose_ = option(L"toclose");
    showmsg_ = option(L"showmsg");
    autoupdate_ = option(L"autoupdate");
    noauto_ = option(L"noauto");
    orders_ = {{GameOrder::AsInstalled, option(L"orderinstalled")},
               {GameOrder::ByName, option(L"orderbyname")},
               {GameOrder::ByLastPlayed, option(L"orderbylastplayed")},
               {GameOrder::ByTimePlayed, option(L"orderbytimeplayed")}};
    onClick(L"ok", [this] { OnOk(); });
    onClick(L"cancel", [this] { Close(kResultCancel); });
    onClick(L"close", [this] { Close(kResultOk); });
}

void CSystemSetUI::ShowSettings() {
    const SettingValues values = settings_.Snapshot();
    autoRunShown_ = SysSettings::IsAutoRunRegistered(tasks_);
    if (autoRunShown_) Select(autorun_);
    Select(IsOn(values.IsColse) ? toclose_ : totray_);
    if (IsOn(values.IsShow)) Select(showmsg_);
    Select(IsOn(values.UpdateType) ? autoupdate_ : noauto_);
    for (const auto& [order, box] : orders_)
        if (order == history_.Order()) Select(box);
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

void CSystemSetUI::OnOk() {
    bool autoRun = IsSelected(autorun_);
    if (autoRun != autoRunShown_) autoRun = SysSettings::SetAutoRunRegistration(autoRun, tasks_);
    std::wstring isColse = AsSetting(IsSelected(toclose_));
    std::wstring isShow = AsSetting(IsSelected(showmsg_));
    std::wstring updateType = AsSetting(IsSelected(autoupdate_));
    settings_.SaveGeneralSettings(AsSetting(autoRun), isColse, isShow, updateType);
    for (const auto& [order, box] : orders_)
        if (IsSelected(box)) history_.SetOrder(order);
    Close(kResultOk);
}
