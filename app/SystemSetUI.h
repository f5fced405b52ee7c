#pragma once
#include <windows.h>

#include <utility>
#include <vector>

#include "UiLib/Utils/Signal.h"
#include "UiLib/core/SkinnedWindow.h"
#include "UiLib/core/UIManager.h"
#include "UiLib/tree/UIMessageFilter.h"

class PlayHistory;
enum class GameOrder;
class SysSettings;
class IScheduledTasks;

namespace UiLib {
class COptionUI;
class CButtonUI;
}  // namespace UiLib

// The modal settings dialog: start with Windows, the daily game news, what the main window's
// close button does and automatic updates; on its second page, the order of the game column
// (as installed, by name, by last played, by time played), which is kept in the play history. It writes the settings only on "ok". The
// start-with-Windows box shows whether the program really is registered, not what was last asked
// for. The object deletes itself once its native window is gone.
class CSystemSetUI : public UiLib::CSkinnedWindow, public UiLib::IMessageFilterUI {
public:
    static constexpr const wchar_t* kWindowClassName = L"SystemSetWnd";
    static constexpr const wchar_t* kLayout = L"SystemSet.xml";
    // The window style the dialog is created with; its frame goes once the window exists.
    static constexpr DWORD kCreateStyle = WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_CAPTION |
                                          WS_SYSMENU;

    // `tasks` holds the start-with-Windows logon task.
    CSystemSetUI(SysSettings& settings, PlayHistory& history, IScheduledTasks& tasks);

    // Opens the dialog over `parent` (the main window) and runs it modally; the main and tray
    // menus call this for their "systemset" item.
    static void ShowModalOver(HWND parent, SysSettings& settings, PlayHistory& history);

    LRESULT MessageHandler(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

protected:
    const wchar_t* GetWindowClassName() const override { return kWindowClassName; }
    void InitWindow() override;

private:
    void FindControls();
    void ShowSettings();
    void OnOk();

    SysSettings& settings_;
    PlayHistory& history_;
    IScheduledTasks& tasks_;
    // Whether the program started with Windows when the dialog opened.
    bool autoRunShown_ = false;
    UiLib::COptionUI* autorun_ = nullptr;
    UiLib::COptionUI* totray_ = nullptr;
    UiLib::COptionUI* toclose_ = nullptr;
    UiLib::COptionUI* showmsg_ = nullptr;
    UiLib::COptionUI* autoupdate_ = nullptr;
    UiLib::COptionUI* noauto_ = nullptr;
    // The radio box of each order of the game column.
    std::vector<std::pair<GameOrder, UiLib::COptionUI*>> orders_;
    std::vector<UiLib::CSubscription> buttonClicks_;
};
