#include "tests/support/MyGamesPage.h"

#include "tests/support/LocalService.h"
#include "tests/support/LudoraProcess.h"
#include "tests/support/ProgramWindows.h"

namespace {

constexpr int kColumnX = 91;
constexpr int kFirstButtonY = 203;
constexpr int kButtonPitch = 45;
constexpr int kIconX = 15;
constexpr POINT kSearchField{91, 154};
constexpr POINT kStartButton{618, 209};
constexpr POINT kAddGameButton{113, 116};
// The add-game dialog's path and name fields and its OK button.
constexpr POINT kDialogPath{189, 73};
constexpr POINT kDialogName{189, 105};
constexpr POINT kDialogOk{225, 193};
constexpr DWORD kMenuSettleMs = 300;
// Run, open folder, remove and the desktop shortcut.
constexpr int kGameMenuEntries = 5;

}  // namespace

POINT MyGamesPage::GameButton(int index) { return POINT{kColumnX, kFirstButtonY + kButtonPitch * index}; }

POINT MyGamesPage::IconOf(int index) { return POINT{kIconX, kFirstButtonY + kButtonPitch * index}; }

POINT MyGamesPage::SearchField() { return kSearchField; }

bool MyGamesPage::Select(int button, LocalService& service, const char* request) {
    SetForegroundWindow(window_);
    for (int attempt = 0; attempt < 3; ++attempt) {
        LeftClick(window_, GameButton(button));
        if (WaitUntil([&] { return service.CountRequests(request) > 0; }, 3000)) return true;
    }
    return false;
}

bool MyGamesPage::UseMenu(int button, int item) {
    // A window that went just before (a game the program started, a message box) may hand the
    // activation around for a while, which closes an open menu: it is opened again until it stays.
    HWND menu = nullptr;
    for (int attempt = 0; attempt < 3 && menu == nullptr; ++attempt) {
        SetForegroundWindow(window_);
        WaitUntil([&] { return GetForegroundWindow() == window_; }, 2000);
        RightClick(window_, GameButton(button));
        const bool shown = WaitUntil(
            [&] { return (menu = FindProcessWindow(processId_, L"MenuWnd")) && IsWindowVisible(menu); }, 3000);
        if (shown) Sleep(kMenuSettleMs);
        if (!shown || !IsWindow(menu)) menu = nullptr;
    }
    if (menu == nullptr) return false;
    UpdateWindow(menu);
    // The first press may go to the menu before it has laid out its entries on a busy machine.
    for (int attempt = 0; attempt < 3 && IsWindow(menu); ++attempt) {
        ClickMenuItem(menu, item, true, kGameMenuEntries);
        WaitUntil([&] { return !IsWindow(menu); }, 3000);
    }
    return !IsWindow(menu);
}

bool MyGamesPage::OpensAMenu(POINT at) {
    // The program may still be busy with what follows its first paint (COM, the browsers, the icons),
    // and a click given while the window was not yet the foreground one may be lost: one more try.
    bool opened = false;
    for (int attempt = 0; attempt < 2 && !opened; ++attempt) {
        SetForegroundWindow(window_);
        RightClick(window_, at);
        opened = WaitUntil([&] { return FindProcessWindow(processId_, L"MenuWnd") != nullptr; }, 3000);
    }
    if (HWND menu = FindProcessWindow(processId_, L"MenuWnd")) PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    WaitUntil([&] { return FindProcessWindow(processId_, L"MenuWnd") == nullptr; });
    return opened;
}

void MyGamesPage::StartSelected() { LeftClick(window_, kStartButton); }

bool MyGamesPage::AddByHand(const std::wstring& path, const std::wstring& name) {
    LeftClick(window_, kAddGameButton);
    HWND dialog = WaitForShownWindow(processId_, L"AddGameManualWnd");
    if (dialog == nullptr) return false;
    TypeInto(dialog, kDialogPath, path);
    TypeInto(dialog, kDialogName, name);
    LeftClick(dialog, kDialogOk);
    return WaitUntil([&] { return !IsWindow(dialog); });
}

// Clicks a field of the dialog and types into the native edit window that takes the text.
void MyGamesPage::TypeInto(HWND dialog, POINT field, const std::wstring& text) {
    LeftClick(dialog, field);
    HWND edit = nullptr;
    WaitUntil([&] { return (edit = FindWindowExW(dialog, nullptr, L"UiLibEditWnd", nullptr)) && IsWindowVisible(edit); });
    for (wchar_t ch : text) SendMessageW(edit, WM_CHAR, ch, 1);
}
