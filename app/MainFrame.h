#pragma once
#include <winsock2.h>
#include <windows.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>

#include "UiLib/core/WindowImplBase.h"
#include "app/SysSettings.h"
#include "games/GameList.h"
#include "online/UpdateHost.h"
#include "online/WorkerThreads.h"

namespace UiLib {
class CControlUI;
}  // namespace UiLib
class CMyGameWndUI;

// The one main window of the program, drawn from the skin's "MainFrame.xml": title buttons, five
// navigation options over the tab pages, the version label, the tray icon. It owns the game
// list, the settings, the data folder and the start command line; the native window deletes the
// object when it is destroyed.
class MainFrame final : public UiLib::WindowImplBase, public IUpdateHost {
public:
    static constexpr wchar_t kWindowClassName[] = L"LudoraMainFrame";
    static constexpr wchar_t kWindowTitle[] = L"Ludora";
    static constexpr UINT kTrayIconId = 101;
    static constexpr int kSkinArchiveResource = 130;
    // Tells the window thread that the version label's text changed.
    static constexpr UINT kVersionLabelChanged = WM_APP + 0x141;

    MainFrame();
    MainFrame(const MainFrame&) = delete;
    MainFrame& operator=(const MainFrame&) = delete;

    // Creates the native window (970 by 660, centred, not yet shown).
    HWND CreateMainWindow();

    GameList& Games() { return gameList_; }
    SysSettings& Settings() { return settings_; }
    const std::wstring& DataFolder() const { return dataFolder_; }
    const std::wstring& CommandLine() const { return commandLine_; }
    void SetCommandLine(const std::wstring& commandLine) { commandLine_ = commandLine; }
    CMyGameWndUI* MyGamePage() const { return myGamePage_; }

    // Set while an update is being downloaded or handed off.
    std::atomic<bool> updateBusy{false};

    // The connection the control channel is serving; only its receiver thread touches it.
    SOCKET controlSocket = INVALID_SOCKET;

    // The update checks' view of the window; called from their threads.
    void SetVersionLabel(const std::wstring& text) override;
    void ShowUpdateMessage(const std::wstring& text, const std::wstring& secondText, const std::wstring& caption,
                           int icon) override;
    std::wstring VersionLabel() const;

    void Notify(UiLib::UiNotify& msg) override;

protected:
    ~MainFrame() override;
    const wchar_t* GetWindowClassName() const override { return kWindowClassName; }
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND window) override;
    std::wstring GetSkinFolder() override { return L"skin\\"; }
    std::wstring GetSkinFile() override { return L"MainFrame.xml"; }
    UiLib::UILIB_RESOURCETYPE GetResourceType() const override { return UiLib::UILIB_ZIPRESOURCE; }
    LPCWSTR GetResourceID() const override { return MAKEINTRESOURCEW(kSkinArchiveResource); }
    LRESULT OnNcHitTest(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
    LRESULT OnGetMinMaxInfo(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
    LRESULT OnSysCommand(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
    LRESULT OnCreate(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
    virtual LRESULT OnTrayNotify(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);

private:
    void SetWindowIcons();
    void FindControls();
    void AddWebPages();
    void ShowVersionLabel();
    void OnCloseButton();
    bool OnMenuButtonClick(void* param);
    void OpenTrayMenu();

    GameList gameList_;
    SysSettings settings_;
    std::wstring dataFolder_;
    std::wstring commandLine_;
    mutable std::mutex versionLabelLock_;
    std::wstring versionLabel_;
    UiLib::CControlUI* versionLabelControl_ = nullptr;
    UiLib::CControlUI* closeButton_ = nullptr;
    UiLib::CControlUI* minButton_ = nullptr;
    UiLib::CControlUI* menuButton_ = nullptr;
    CMyGameWndUI* myGamePage_ = nullptr;
    WorkerThreads workers_;
};

// The process-wide main window, reached by worker threads and the control channel.
extern MainFrame* g_mainFrame;
