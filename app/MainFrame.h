#pragma once
#include <winsock2.h>
#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>

#include "app/SysSettings.h"
#include "games/GameList.h"
#include "online/UpdateHost.h"
#include "online/WorkerThreads.h"

// The one main window of the program. It owns the game list, the settings, the data folder and
// the start command line; the native window deletes the object when it is destroyed.
class MainFrame final : public IUpdateHost {
public:
    static constexpr wchar_t kWindowClassName[] = L"LudoraMainFrame";
    static constexpr wchar_t kWindowTitle[] = L"Ludora";

    MainFrame();
    ~MainFrame();
    MainFrame(const MainFrame&) = delete;
    MainFrame& operator=(const MainFrame&) = delete;

    // Creates the native window (970 by 660, centred, not yet shown).
    HWND Create(HINSTANCE instance);
    HWND GetHWND() const { return hwnd_; }

    GameList& Games() { return gameList_; }
    SysSettings& Settings() { return settings_; }
    const std::wstring& DataFolder() const { return dataFolder_; }
    const std::wstring& CommandLine() const { return commandLine_; }
    void SetCommandLine(const std::wstring& commandLine) { commandLine_ = commandLine; }

    // Set while an update is being downloaded or handed off.
    std::atomic<bool> updateBusy{false};

    // The connection the control channel is serving; only its receiver thread touches it.
    SOCKET controlSocket = INVALID_SOCKET;

    // The update checks' view of the window; called from their threads.
    void SetVersionLabel(const std::wstring& text) override;
    void ShowUpdateMessage(const std::wstring& text, const std::wstring& secondText, const std::wstring& caption,
                           int icon) override;
    std::wstring VersionLabel() const;

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void CenterWindow();

    HWND hwnd_ = nullptr;
    GameList gameList_;
    SysSettings settings_;
    std::wstring dataFolder_;
    std::wstring commandLine_;
    mutable std::mutex versionLabelLock_;
    std::wstring versionLabel_;
    WorkerThreads workers_;
};

// The process-wide main window, reached by worker threads and the control channel.
extern MainFrame* g_mainFrame;
