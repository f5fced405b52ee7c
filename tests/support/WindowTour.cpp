// Takes a picture of every window of the real program, in the states a player sees most, into the
// folder named by LUDORA_TOUR_DIR (tools/window-tour.sh): the pictures of two builds are compared
// byte for byte to show that a change left the look alone. Every input goes as window messages,
// with the pointer parked off the windows, so that two runs of the same build give the same bytes.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "UiLib/core/UITrayIcon.h"
#include "app/MainFrame.h"
#include "tests/support/LocalService.h"
#include "tests/support/LudoraProcess.h"
#include "tests/support/ProgramWindows.h"
#include "tests/support/TestFolder.h"

namespace {

constexpr unsigned short kServicePort = 18360;
constexpr POINT kEmptyBand{120, 60};
constexpr POINT kAddGameButton{113, 116};
constexpr POINT kFirstGame{91, 203};
constexpr POINT kSecondTab{240 + 100 + 35, 24 + 35};
// The settings' "游戏列表" tab, below "基本设置".
constexpr POINT kSettingsGameListTab{50, 30 + 10 + 32 + 16};
constexpr int kSettingsEntry = 0;
constexpr int kUpdateEntry = 1;
// Time for what follows an input (a repaint, a fade) to settle before the picture.
constexpr DWORD kSettleMs = 700;

std::wstring TourFolder() {
    const wchar_t* folder = _wgetenv(L"LUDORA_TOUR_DIR");
    return folder ? folder : L"";
}

// The window as it is on the screen, as a 24-bit bottom-up BMP file.
void SavePicture(HWND window, const std::wstring& name) {
    RECT rect{};
    GetWindowRect(window, &rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    GdiFlush();
    const DWORD rowBytes = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info.bmiHeader);
    file.bfSize = file.bfOffBits + rowBytes * height;
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof(file));
    bytes.append(reinterpret_cast<const char*>(&info.bmiHeader), sizeof(info.bmiHeader));
    bytes.append(static_cast<const char*>(bits), rowBytes * height);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    WriteFileBytes(TourFolder() + L"\\" + name + L".bmp", bytes);
}

// Leaves the window with nothing under the pointer, then takes its picture once it has settled.
void Picture(HWND window, const std::wstring& name, HWND pointerWindow = nullptr) {
    HWND hovered = pointerWindow ? pointerWindow : window;
    SendMessageW(hovered, WM_MOUSEMOVE, 0, MAKELPARAM(kEmptyBand.x, kEmptyBand.y));
    SendMessageW(hovered, WM_MOUSELEAVE, 0, 0);
    Sleep(kSettleMs);
    UpdateWindow(window);
    WaitUntilSettled(window);
    SavePicture(window, name);
}

// A click whose handler may open a modal window: posted, so that the tour goes on meanwhile.
void PostClick(HWND window, POINT client) {
    const LPARAM at = MAKELPARAM(client.x, client.y);
    PostMessageW(window, WM_MOUSEMOVE, 0, at);
    PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(window, WM_LBUTTONUP, 0, at);
}

const std::wstring kUninstallKey = L"SoftWare\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
const wchar_t* const kGameNames[] = {L"龙之谷", L"剑侠情缘", L"梦幻西游"};

// Three installed games with the same names and icons in every run.
class TourGames {
public:
    TourGames() {
        for (int game = 0; game < 3; ++game) {
            const std::wstring exe = folder_.File(L"game" + std::to_wstring(game) + L".exe");
            CopyFileW(HostPathToWindows(DEMOGAME_EXE).c_str(), exe.c_str(), FALSE);
            const std::wstring key = Key(game);
            HKEY created = nullptr;
            RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_WRITE | KEY_WOW64_32KEY, nullptr,
                            &created, nullptr);
            if (created != nullptr) RegCloseKey(created);
            WriteMachineString(key, L"GamePath", exe);
            WriteMachineString(key, L"UninstallString", L"\"" + exe + L"\" /S");
            WriteMachineString(key, L"DisplayName", kGameNames[game]);
            WriteMachineString(key, L"DisplayID", std::to_wstring(11 + game));
        }
    }
    ~TourGames() {
        for (int game = 0; game < 3; ++game) DeleteMachineKey(Key(game));
    }

private:
    static std::wstring Key(int game) { return kUninstallKey + L"LudoraTour_LDGame_" + std::to_wstring(game); }
    TestFolder folder_;
};

class WindowTour : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(TourFolder().empty()) << "LUDORA_TOUR_DIR names the folder for the pictures";
        SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
        ASSERT_TRUE(service_.Running());
        ClearProgramData();
        Quiet();
    }
    void TearDown() override {
        if (running_) running_->Terminate();
        ClearProgramData();
    }

    void Quiet() {
        service_.Reset();
        for (const char* key : {"getPop-news", "getPop-ad", "getNews"}) service_.Answer(key, "#fail#");
        service_.Answer("getGongLue", "#success#about:blank#");
        service_.Answer("getversion", "#success#1.0.0.0#0#http://{host}/none#");
    }

    HWND Start() {
        running_ = std::make_unique<LudoraProcess>(L"");
        return WaitForShownMainWindow(*running_);
    }

    HWND Opened(const wchar_t* className) { return WaitForShownWindow(running_->Id(), className); }

    // The menu the program opens, pictured, then closed with Escape.
    void PictureMenu(const std::wstring& name) {
        HWND menu = WaitForMenu(running_->Id());
        ASSERT_NE(menu, nullptr) << name;
        Picture(menu, name);
        PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
        WaitUntil([&] { return !IsWindow(menu); });
    }

    LocalService service_{kServicePort, {18361, 18362, 18363}};
    TourGames games_;
    std::unique_ptr<LudoraProcess> running_;
};

}  // namespace

TEST_F(WindowTour, PicturesEveryWindow) {
    HWND main = Start();
    ASSERT_NE(main, nullptr);
    Sleep(2000);  // the game icons and the first automatic work
    Picture(main, L"01-main");

    ClickByMessages(main, kFirstGame);
    Picture(main, L"02-main-game-selected");

    SendMessageW(main, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(kFirstGame.x, kFirstGame.y));
    SendMessageW(main, WM_RBUTTONUP, 0, MAKELPARAM(kFirstGame.x, kFirstGame.y));
    PictureMenu(L"03-game-menu");

    ClickByMessages(main, kMainMenuButton);
    PictureMenu(L"04-main-menu");

    SendMessageW(main, UiLib::CTrayIcon::kCallbackMessage, MainFrame::kTrayIconId, WM_RBUTTONUP);
    PictureMenu(L"05-tray-menu");

    ASSERT_TRUE(UseMainMenu(main, running_->Id(), kSettingsEntry));
    HWND settings = Opened(L"SystemSetWnd");
    ASSERT_NE(settings, nullptr);
    Picture(settings, L"06-settings");
    ClickByMessages(settings, kSettingsGameListTab);
    Picture(settings, L"12-settings-game-list");
    PostMessageW(settings, WM_KEYDOWN, VK_ESCAPE, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(settings); }));

    PostClick(main, kAddGameButton);
    HWND addGame = Opened(L"AddGameManualWnd");
    ASSERT_NE(addGame, nullptr);
    Picture(addGame, L"07-add-game");
    PostMessageW(addGame, WM_KEYDOWN, VK_ESCAPE, 0);
    WaitUntil([&] { return !IsWindow(addGame); });

    ASSERT_TRUE(UseMainMenu(main, running_->Id(), kUpdateEntry));
    HWND box = Opened(L"MyMessageBox");
    ASSERT_NE(box, nullptr);
    Picture(box, L"08-message-box");
    PostMessageW(box, WM_KEYDOWN, VK_ESCAPE, 0);
    WaitUntil([&] { return !IsWindow(box); });

    ClickByMessages(main, kSecondTab);
    Picture(main, L"09-main-second-tab");
    running_->Terminate();

    // A second run with the news pop-up and today's news.
    Quiet();
    service_.Answer("getPop-news", "#success#about:blank#0#60#320#180#");
    service_.Answer("getNews", "#success#about:blank#0#0#700#450#");
    main = Start();
    ASSERT_NE(main, nullptr);
    HWND news = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        std::vector<HWND> found = VisibleWindows(running_->Id(), L"PopWnd");
        news = found.empty() ? nullptr : found.front();
        return news != nullptr;
    }, 30000));
    HWND today = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        std::vector<HWND> found = VisibleWindows(running_->Id(), L"MiniInformationWndUI");
        today = found.empty() ? nullptr : found.front();
        return today != nullptr;
    }, 30000));
    Sleep(3000);  // the pop-up's slide-in
    Picture(news, L"10-news-popup");
    Picture(today, L"11-todays-news");
}
