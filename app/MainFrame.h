#pragma once
#include <windows.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "UiLib/core/SkinnedWindow.h"
#include "UiLib/tree/UINotify.h"
#include "app/MainCommands.h"
#include "games/GameList.h"
#include "games/MyGamesController.h"
#include "games/PlayHistory.h"
#include "online/FetchThreads.h"
#include "online/ManagementService.h"
#include "online/PopWndUI.h"
#include "online/SelfUpdate.h"
#include "shared/DataFolder.h"
#include "shared/SkinnedDialogFrame.h"
#include "shared/SysSettings.h"

class CMyGameWndUI;
class CMyIEWndUI;

namespace UiLib {
class CTabLayoutUI;
}  // namespace UiLib

// The one main window of the program, drawn from the skin's "MainFrame.xml": title buttons, five
// navigation options over the tab pages, the version label, the tray icon. The entry point gives
// it the game list, the play history, the settings, the data folder and the start command line;
// the native window deletes the object when it is destroyed. Its worker threads reach it only
// through its task queue.
class MainFrame final : public UiLib::CSkinnedWindow, public UiLib::INotifyUI, public IMainCommands {
public:
    static constexpr wchar_t kWindowClassName[] = L"LudoraMainFrame";
    static constexpr wchar_t kWindowTitle[] = L"Ludora";
    static constexpr UINT kTrayIconId = 101;

    MainFrame(GameList& games, PlayHistory& history, std::shared_ptr<SysSettings> settings, DataFolder dataFolder,
              std::wstring commandLine);
    ~MainFrame() override;

    // Creates the native window (970 by 660, centred, not yet shown).
    HWND CreateMainWindow();

    CMyGameWndUI* MyGamePage() const { return myGamePage_; }

    // What the update checks work with: the window's label and boxes reached through its tasks.
    UpdateEnvironment UpdateChecks();
    void ShowVersionLabel(const std::wstring& text);

    // The menus' commands.
    void ShowSettings() override;
    void CheckForUpdates() override;
    void ShowMainWindow() override;
    void Quit() override;

    void Notify(UiLib::UiNotify& msg) override;

    // Starts the game of the list whose whole name is `name`, asked for from outside the window.
    // The window stays as it is; for a name no game has, it shows the game list and says so.
    void StartGameNamed(const std::wstring& name);

protected:

    const wchar_t* GetWindowClassName() const override { return kWindowClassName; }
    void OnFinalMessage(HWND window) override;
    LRESULT HandleCustomMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
    void InitWindow() override;
    void OnCreated() override;

private:
    static UiLib::SkinnedWindowOptions WindowOptions(MainFrame& frame);
    void FillMaximizedSize(MINMAXINFO& info) const;
    void SetWindowIcons();
    void FindControls();
    void SubscribeToControls();
    void AddWebPages();
    void OpenWebPageOfTab(int tab);
    void StartWorkers();
    FetchEnvironment ServiceFetches();
    void AskNewsAgainAfter(unsigned long milliseconds);
    void OnServiceReply(UINT message, const std::wstring& reply);
    // The news and advert pop-ups come up after the delays their replies give.
    void RaiseWhenDue(UINT_PTR timer, PopupReply& pending, const PopupReply& reply);
    void RaiseDue(UINT_PTR timer);
    void OnPopNews(const PopupReply& news);
    void OnPopAd(const PopupReply& advert);
    void OnTodayNews(const PopupReply& news);
    void RaisePopup(std::unique_ptr<CPopupWnd> popup, const PopupReply& reply, HWND insertAfter);
    void OnTrayNotify(WPARAM wParam, LPARAM lParam);
    void OnCloseButton();
    // "moregame": the second navigation option and its page.
    void ShowHotGames();
    void ShowGameList();
    void OpenSystemMenu();
    void OpenTrayMenu();
    void TellUpdatesAreOff();
    void TellRestoredFiles();

    PlayHistory& history_;
    // The game list came back from a good copy at start.
    const bool gamesRestored_;
    std::shared_ptr<SysSettings> settings_;
    // Without a safe data folder no update check runs.
    const DataFolder dataFolder_;
    const std::wstring commandLine_;
    // Set while an update is being downloaded or handed off; shared with the update threads.
    std::shared_ptr<std::atomic<bool>> updateBusy_ = std::make_shared<std::atomic<bool>>(false);
    PopupReply pendingNews_;
    PopupReply pendingAdvert_;
    UiLib::CControlUI* versionLabelControl_ = nullptr;
    UiLib::CControlUI* menuButton_ = nullptr;
    UiLib::CTabLayoutUI* tabs_ = nullptr;
    // The my-games page's logic; its workers reach it through this window's tasks.
    MyGamesController myGames_;
    CMyGameWndUI* myGamePage_ = nullptr;
    std::vector<CMyIEWndUI*> webPages_;  // owned by the tab layout, in tab order from tab 1
    std::vector<UiLib::CSubscription> controlSubscriptions_;
    UiLib::CSubscription systemMenuClicks_;
    UiLib::CSubscription trayMenuClicks_;
};
