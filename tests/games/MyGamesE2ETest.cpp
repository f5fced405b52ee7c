// The my-games page of the real program, clicked with the real pointer: three installed demo
// games from the registry and one added by hand, their selection, start, menu and uninstall, with
// the local management service answering the strategy requests.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/MainFrame.h"
#include "tests/games/InstalledGameKeys.h"
#include "tests/support/LocalService.h"
#include "tests/support/LudoraProcess.h"
#include "tests/support/TestFolder.h"

namespace {

constexpr unsigned short kServicePort = 18360;
// Client points of the page: the game buttons stand 45 pixels apart from the first one down,
// "moregame" below the last; the start button in the start area.
constexpr int kColumnX = 91;
constexpr int kFirstButtonY = 163;
constexpr int kButtonPitch = 45;
constexpr POINT kStartButton{618, 209};
constexpr POINT kAddGameButton{113, 116};
// The add-game dialog's path and name fields and its OK button.
constexpr POINT kDialogPath{189, 73};
constexpr POINT kDialogName{189, 105};
constexpr POINT kDialogOk{225, 193};
constexpr POINT kEmptyBand{120, 60};

POINT GameButton(int index) { return POINT{kColumnX, kFirstButtonY + kButtonPitch * index}; }

void SendPointer(HWND window, POINT client, DWORD down, DWORD up) {
    ClientToScreen(window, &client);
    SetCursorPos(client.x, client.y);
    INPUT inputs[2] = {};
    inputs[0].type = inputs[1].type = INPUT_MOUSE;
    inputs[0].mi.dwFlags = down;
    inputs[1].mi.dwFlags = up;
    Sleep(50);
    SendInput(1, &inputs[0], sizeof(INPUT));
    Sleep(50);
    SendInput(1, &inputs[1], sizeof(INPUT));
}
void LeftClick(HWND window, POINT client) { SendPointer(window, client, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP); }
void RightClick(HWND window, POINT client) { SendPointer(window, client, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP); }

LRESULT HitTest(HWND window, POINT point) {
    ClientToScreen(window, &point);
    return SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(point.x, point.y));
}

void WriteSettings() {
    ClearProgramData();
    CreateDirectoryW(ProgramDataFolder().c_str(), nullptr);
    CreateDirectoryW((ProgramDataFolder() + L"\\Patchs").c_str(), nullptr);
    WriteFileBytes(ProgramDataFolder() + L"\\config.xml",
                   "<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"yes\" ?>\n<SysSet><Setting AutoRun=\"0\" "
                   "IsColse=\"0\" IsShow=\"0\" UpdateType=\"0\" NewsUrl=\"\" AdTime=\"\" NewsTime=\"\" /></SysSet>\n");
}

std::string Utf8(const std::wstring& text) {
    int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &bytes[0], size, nullptr, nullptr);
    bytes.resize(static_cast<size_t>(size) - 1);
    return bytes;
}

class MyGamesE2ETest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(service_.Running());
        service_.Reset();
        WriteSettings();
        for (int game = 1; game <= 3; ++game) InstallDemoGame(game);
        // The first game's executable lies outside its folder: its uninstall leaves it behind.
        CreateDirectoryW(root_.File(L"kept").c_str(), nullptr);
        CopyFileW(HostPathToWindows(DEMOGAME_EXE).c_str(), root_.File(L"kept\\game1.exe").c_str(), FALSE);
        keys_.Add(L"LDGame_1", Values(1, root_.File(L"kept\\game1.exe")));
        keys_.Add(L"LDGame_2", Values(2, Folder(2) + L"\\demogame.exe"));
        keys_.Add(L"LDGame_3", Values(3, Folder(3) + L"\\demogame.exe"));
        CreateDirectoryW(root_.File(L"hand").c_str(), nullptr);
        CopyFileW(HostPathToWindows(DEMOGAME_EXE).c_str(), root_.File(L"hand\\hand.exe").c_str(), FALSE);
        WriteFileBytes(ProgramDataFolder() + L"\\UserGame.xml",
                       "<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"yes\" ?>\n<UserGame><Game name=\"手动游戏\" "
                       "path=\"" + Utf8(root_.File(L"hand\\hand.exe")) + "\" type=\"0\" id=\"0\" /></UserGame>\n");
    }
    void TearDown() override {
        if (program_) program_->Terminate();
        EndDemoGames();
        ClearProgramData();
    }

    // The games the program started run on, holding the test's output open: they end here.
    static void EndDemoGames() {
        while (HWND game = FindWindowW(L"LudoraDemoGame", nullptr)) {
            DWORD id = 0;
            GetWindowThreadProcessId(game, &id);
            HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
            if (process == nullptr) return;
            TerminateProcess(process, 0);
            WaitForSingleObject(process, 5000);
            CloseHandle(process);
        }
    }

    std::wstring Folder(int game) const { return root_.File(L"game" + std::to_wstring(game)); }
    std::wstring KeyName(int game) const { return keys_.Marker() + L"LDGame_" + std::to_wstring(game); }

    void InstallDemoGame(int game) {
        CreateDirectoryW(Folder(game).c_str(), nullptr);
        CopyFileW(HostPathToWindows(DEMOGAME_EXE).c_str(), (Folder(game) + L"\\demogame.exe").c_str(), FALSE);
        CopyFileW(HostPathToWindows(DEMOUNINSTALL_EXE).c_str(), (Folder(game) + L"\\demouninstall.exe").c_str(), FALSE);
    }

    // The installer's values: a quoted uninstaller with a switch, the game's folder and key.
    InstalledGameKeys::Values Values(int game, const std::wstring& path) const {
        std::wstring uninstall = L"\"" + Folder(game) + L"\\demouninstall.exe\" /S \"" + Folder(game) + L"\" " +
                                 KeyName(game);
        return {{L"GamePath", path},
                {L"UninstallString", uninstall},
                {L"DisplayName", keys_.Name(L"游戏" + std::to_wstring(game))},
                {L"DisplayID", std::to_wstring(10 + game)}};
    }

    HWND Start() {
        program_ = std::make_unique<LudoraProcess>(L"");
        HWND window = program_->WaitForWindow(MainFrame::kWindowClassName);
        if (window == nullptr) return nullptr;
        WaitUntil([window] { return IsWindowVisible(window) != FALSE; });
        UpdateWindow(window);
        WaitUntil([window] { return HitTest(window, kEmptyBand) == HTCAPTION; });
        SetForegroundWindow(window);
        return window;
    }

    // Clicks a field of the dialog and types into the native edit window that takes the text.
    static void TypeInto(HWND dialog, POINT field, const std::wstring& text) {
        LeftClick(dialog, field);
        HWND edit = nullptr;
        WaitUntil([&] { return (edit = FindWindowExW(dialog, nullptr, L"UiLibEditWnd", nullptr)) && IsWindowVisible(edit); });
        for (wchar_t ch : text) SendMessageW(edit, WM_CHAR, ch, 1);
    }

    // Selects a game button until the service hears the strategy request it makes.
    bool Select(HWND window, int button, const char* request) {
        SetForegroundWindow(window);
        for (int attempt = 0; attempt < 3; ++attempt) {
            LeftClick(window, GameButton(button));
            if (WaitUntil([&] { return service_.CountRequests(request) > 0; }, 3000)) return true;
        }
        return false;
    }

    // Right-clicks a game button and clicks entry `item` of the menu that opens.
    bool UseMenu(HWND window, int button, int item) {
        // A game the program started may have taken the foreground.
        SetForegroundWindow(window);
        WaitUntil([&] { return GetForegroundWindow() == window; }, 2000);
        RightClick(window, GameButton(button));
        HWND menu = nullptr;
        if (!WaitUntil([&] { return (menu = FindProcessWindow(program_->Id(), L"MenuWnd")) && IsWindowVisible(menu); }))
            return false;
        UpdateWindow(menu);
        RECT client{};
        GetClientRect(menu, &client);
        int itemHeight = (client.bottom - 4) / 3;
        POINT entry{client.right / 2, 2 + itemHeight * item + itemHeight / 2};
        // The first press may go to the menu before it has laid out its entries on a busy machine.
        for (int attempt = 0; attempt < 3 && IsWindow(menu); ++attempt) {
            LeftClick(menu, entry);
            WaitUntil([&] { return !IsWindow(menu); }, 3000);
        }
        return !IsWindow(menu);
    }

    // Whether a right click at a place of the column opens a game menu.
    bool OpensAMenu(HWND window, POINT at) {
        RightClick(window, at);
        bool opened = WaitUntil([&] { return FindProcessWindow(program_->Id(), L"MenuWnd") != nullptr; }, 3000);
        if (HWND menu = FindProcessWindow(program_->Id(), L"MenuWnd")) PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
        WaitUntil([&] { return FindProcessWindow(program_->Id(), L"MenuWnd") == nullptr; });
        return opened;
    }

    LocalService service_{kServicePort};
    TestFolder root_;
    InstalledGameKeys keys_;
    std::unique_ptr<LudoraProcess> program_;
};

}  // namespace

TEST_F(MyGamesE2ETest, SelectingStartingAndTheGameMenuWorkWithThePointer) {
    ServiceAnswer slow;
    slow.delaySeconds = 3;
    service_.Answer("getGongLue", "#success#http://{host}/strategy-{id}.html#", slow);
    HWND window = Start();
    ASSERT_NE(window, nullptr);

    // Selecting a game asks for its strategy page while the window keeps answering; the page of a
    // game selected before is not shown once another one is.
    ASSERT_TRUE(Select(window, 0, "act=getGongLue&ID=11"));
    ASSERT_TRUE(Select(window, 1, "act=getGongLue&ID=12"));
    DWORD_PTR answer = 0;
    EXPECT_NE(SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &answer), 0);
    EXPECT_TRUE(WaitUntil([&] { return service_.CountRequests("/strategy-12.html") > 0; }, 15000));
    EXPECT_EQ(service_.CountRequests("/strategy-11.html"), 0);

    // Four games above "moregame", in list order: the installed ones, then the hand-added one.
    for (int button = 0; button < 4; ++button) EXPECT_TRUE(OpensAMenu(window, GameButton(button))) << button;
    EXPECT_FALSE(OpensAMenu(window, GameButton(4))) << "\"moregame\" has no menu";

    // The start button starts it in its own folder.
    LeftClick(window, kStartButton);
    // The game writes its command line, then its working folder.
    EXPECT_TRUE(WaitUntil([&] {
        return ReadFileBytes(Folder(2) + L"\\started.txt").find(Utf8(Folder(2)) + "\r\n") != std::string::npos;
    }));

    // "运行" in its menu starts it the same way.
    EndDemoGames();
    DeleteFileW((Folder(2) + L"\\started.txt").c_str());
    ASSERT_TRUE(UseMenu(window, 1, 0));
    EXPECT_TRUE(WaitUntil([&] { return FileExists(Folder(2) + L"\\started.txt"); }));
    EndDemoGames();

    // "取消收藏" takes the hand-added game off the file and the column at once.
    ASSERT_TRUE(UseMenu(window, 3, 2));
    EXPECT_TRUE(WaitUntil([] {
        return ReadFileBytes(ProgramDataFolder() + L"\\UserGame.xml").find("hand.exe") == std::string::npos;
    }));
    EXPECT_FALSE(OpensAMenu(window, GameButton(3)));

    // "运行" and "打开文件夹" on a game whose folder is gone tell the player.
    RemoveTree(root_.File(L"kept"));
    for (int item : {0, 1}) {
        ASSERT_TRUE(UseMenu(window, 0, item));
        HWND box = nullptr;
        ASSERT_TRUE(WaitUntil([&] { return (box = FindProcessWindow(program_->Id(), L"MyMessageBox")) != nullptr; }))
            << item;
        PostMessageW(box, WM_KEYDOWN, VK_ESCAPE, 0);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); }));
    }

    // "添加游戏": the dialog stores the game, whose button stands just above "moregame".
    LeftClick(window, kAddGameButton);
    HWND dialog = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (dialog = FindProcessWindow(program_->Id(), L"AddGameManualWnd")) != nullptr; }));
    UpdateWindow(dialog);
    TypeInto(dialog, kDialogPath, root_.File(L"hand\\hand.exe"));
    TypeInto(dialog, kDialogName, L"新游戏");
    LeftClick(dialog, kDialogOk);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
    EXPECT_NE(ReadFileBytes(ProgramDataFolder() + L"\\UserGame.xml").find(Utf8(L"新游戏")), std::string::npos);
    EXPECT_TRUE(OpensAMenu(window, GameButton(3)));
    EXPECT_FALSE(OpensAMenu(window, GameButton(4)));

    // "moregame", now in the fifth place, switches to the second page, where no game button is.
    LeftClick(window, GameButton(4));
    EXPECT_TRUE(WaitUntil([&] { return !OpensAMenu(window, GameButton(0)); }, 5000));
}

TEST_F(MyGamesE2ETest, UninstallingRunsTheUninstallerWithItsSwitchAndTakesTheGameOffWhenItsFilesAreGone) {
    HWND window = Start();
    ASSERT_NE(window, nullptr);

    // Two uninstalls at once, each waited for on its own: the third game's uninstaller removes its
    // folder and key, and its button goes; the first game's executable lies where its uninstaller
    // does not reach, so its button stays.
    ASSERT_TRUE(UseMenu(window, 2, 2));
    ASSERT_TRUE(UseMenu(window, 0, 2));
    ASSERT_TRUE(WaitUntil([&] { return !FileExists(Folder(3) + L"\\demogame.exe"); }, 20000));
    ASSERT_TRUE(WaitUntil([&] { return !FileExists(Folder(1) + L"\\demouninstall.exe"); }, 20000));
    std::wstring name;
    EXPECT_TRUE(WaitUntil([&] {
        return !ReadMachineString(L"SoftWare\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + KeyName(3),
                                  L"DisplayName", name);
    }));
    std::string log = ReadFileBytes(root_.File(L"uninstall-log.txt"));
    EXPECT_NE(log.find(" /S "), std::string::npos) << log;
    // The hand-added game moves up into the third place, "moregame" into the fourth.
    EXPECT_TRUE(WaitUntil([&] { return !OpensAMenu(window, GameButton(3)); }, 10000));
    EXPECT_TRUE(OpensAMenu(window, GameButton(2))) << "three buttons remain";
}
