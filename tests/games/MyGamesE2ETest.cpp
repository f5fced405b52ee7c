// The my-games page of the real program, clicked with the real pointer: three installed demo
// games from the registry and one added by hand, their selection, start, menu and uninstall, with
// the local management service answering the strategy requests.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "games/GameList.h"
#include "tests/support/DemoGamesProgramTest.h"
#include "tests/support/WindowPixels.h"

namespace {

POINT GameButton(int index) { return MyGamesPage::GameButton(index); }

bool RunsElevated(HANDLE process) {
    HANDLE token = nullptr;
    if (!OpenProcessToken(process, TOKEN_QUERY, &token)) return false;
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    const bool read = GetTokenInformation(token, TokenElevation, &elevation, sizeof(elevation), &size);
    CloseHandle(token);
    return read && elevation.TokenIsElevated;
}

// The desktop shell, played by stand_in_shell.exe with the player's limited token while this
// lives. Wine (8.0) runs no desktop shell (GetShellWindow is null) and gives every process the
// same full administrator token, manifest or not, so a game started by the program could not show
// the player's rights; but Wine hands out the limited token linked to the full one, the token the
// shell runs with on Windows.
class PlayerShell {
public:
    PlayerShell() {
        HANDLE own = nullptr;
        if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &own)) return;
        TOKEN_LINKED_TOKEN linked{};
        DWORD size = 0;
        const bool haveLinked = GetTokenInformation(own, TokenLinkedToken, &linked, sizeof(linked), &size);
        CloseHandle(own);
        if (!haveLinked) return;
        std::wstring commandLine = L"\"" + TestHelperPath(L"stand_in_shell.exe") + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        const bool started = CreateProcessAsUserW(linked.LinkedToken, nullptr, &commandLine[0], nullptr, nullptr, FALSE,
                                                  0, nullptr, nullptr, &startup, &process_);
        CloseHandle(linked.LinkedToken);
        if (started) running_ = WaitUntil([&] { return Window() != nullptr; });
    }
    ~PlayerShell() {
        if (!process_.hProcess) return;
        if (HWND window = Window()) PostMessageW(window, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(process_.hProcess, 5000) != WAIT_OBJECT_0) TerminateProcess(process_.hProcess, 1);
        CloseHandle(process_.hProcess);
        CloseHandle(process_.hThread);
    }
    PlayerShell(const PlayerShell&) = delete;
    PlayerShell& operator=(const PlayerShell&) = delete;

    bool Running() const { return running_; }

private:
    // The desktop's shell window when it is this one's.
    HWND Window() const {
        HWND shell = GetShellWindow();
        DWORD id = 0;
        return shell && GetWindowThreadProcessId(shell, &id) && id == process_.dwProcessId ? shell : nullptr;
    }

    PROCESS_INFORMATION process_{};
    bool running_ = false;
};

class MyGamesE2ETest : public DemoGamesProgramTest {
protected:
    void SetUp() override {
        DemoGamesProgramTest::SetUp();
        WriteFileBytes(ProgramDataFolder() + L"\\UserGame.xml",
                       "<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"yes\" ?>\n<UserGame><Game name=\"手动游戏\" "
                       "path=\"" + Utf8(games_.HandGame()) + "\" type=\"0\" id=\"0\" /></UserGame>\n");
    }

    std::wstring Folder(int game) const { return games_.Folder(game); }
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
    ASSERT_TRUE(page_->Select(0, service_, "act=getGongLue&ID=11"));
    ASSERT_TRUE(page_->Select(1, service_, "act=getGongLue&ID=12"));
    DWORD_PTR answer = 0;
    EXPECT_NE(SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &answer), 0);
    EXPECT_TRUE(WaitUntil([&] { return service_.CountRequests("/strategy-12.html") > 0; }, 15000));
    EXPECT_EQ(service_.CountRequests("/strategy-11.html"), 0);

    // Four games above "moregame", in list order: the installed ones, then the hand-added one.
    for (int button = 0; button < 4; ++button) EXPECT_TRUE(page_->OpensAMenu(GameButton(button))) << button;
    EXPECT_FALSE(page_->OpensAMenu(GameButton(4))) << "\"moregame\" has no menu";

    // The start button starts it in its own folder, with the player's normal rights: the program
    // runs elevated, the game with the limited token of the desktop shell.
    ASSERT_TRUE(RunsElevated(program_->Handle()));
    {
        PlayerShell shell;
        ASSERT_TRUE(shell.Running());
        page_->StartSelected();
        // The game writes its command line, its working folder, then its rights.
        EXPECT_TRUE(WaitUntil([&] {
            return ReadFileBytes(Folder(2) + L"\\started.txt").find(Utf8(Folder(2)) + "\r\n") != std::string::npos;
        }));
        const std::string record = ReadFileBytes(Folder(2) + L"\\started.txt");
        // Limited, not elevated. (Wine's limited token keeps the Administrators group, which
        // Windows's only lets deny.)
        EXPECT_NE(record.find(Utf8(Folder(2)) + "\r\nelevated=0 elevation-type=3 "),
                  std::string::npos)
            << record;
    }

    // "运行" in its menu starts it the same way. With no desktop shell to take the player's token
    // from, the game gets the program's token made plain, in which the Administrators group counts
    // for nothing (Wine still calls that token elevated).
    DemoGames::EndRunning();
    DeleteFileW((Folder(2) + L"\\started.txt").c_str());
    ASSERT_TRUE(page_->UseMenu(1, 0));
    EXPECT_TRUE(WaitUntil([&] {
        return ReadFileBytes(Folder(2) + L"\\started.txt").find(" administrators=0\r\n") != std::string::npos;
    }));
    DemoGames::EndRunning();

    // "取消收藏" takes the hand-added game off the file and the column at once.
    ASSERT_TRUE(page_->UseMenu(3, 2));
    EXPECT_TRUE(WaitUntil([] {
        return ReadFileBytes(ProgramDataFolder() + L"\\UserGame.xml").find("hand.exe") == std::string::npos;
    }));
    EXPECT_FALSE(page_->OpensAMenu(GameButton(3)));
    // The selected game keeps its start area when another game goes.
    DeleteFileW((Folder(2) + L"\\started.txt").c_str());
    page_->StartSelected();
    EXPECT_TRUE(WaitUntil([&] { return FileExists(Folder(2) + L"\\started.txt"); }));
    DemoGames::EndRunning();

    // "运行", "打开文件夹" and the start button on a game whose folder is gone tell the player.
    RemoveTree(games_.KeptFolder());
    auto toldMissing = [&] {
        HWND box = nullptr;
        if (!WaitUntil([&] { return (box = FindProcessWindow(program_->Id(), L"MyMessageBox")) != nullptr; }))
            return false;
        PostMessageW(box, WM_KEYDOWN, VK_ESCAPE, 0);
        return WaitUntil([&] { return !IsWindow(box); });
    };
    for (int item : {0, 1}) {
        ASSERT_TRUE(page_->UseMenu(0, item));
        ASSERT_TRUE(toldMissing()) << item;
    }
    ASSERT_TRUE(page_->Select(0, service_, "act=getGongLue&ID=11"));
    page_->StartSelected();
    ASSERT_TRUE(toldMissing()) << "the start button";

    // "添加游戏": the dialog stores the game, whose button stands just above "moregame".
    ASSERT_TRUE(page_->AddByHand(games_.HandGame(), L"新游戏"));
    EXPECT_NE(ReadFileBytes(ProgramDataFolder() + L"\\UserGame.xml").find(Utf8(L"新游戏")), std::string::npos);
    EXPECT_TRUE(page_->OpensAMenu(GameButton(3)));
    EXPECT_FALSE(page_->OpensAMenu(GameButton(4)));

    // "moregame", now in the fifth place, switches to the second page, where no game button is.
    LeftClick(window, GameButton(4));
    EXPECT_TRUE(WaitUntil([&] { return !page_->OpensAMenu(GameButton(0)); }, 5000));
}

TEST_F(MyGamesE2ETest, UninstallingRunsTheUninstallerWithItsSwitchAndTakesTheGameOffWhenItsFilesAreGone) {
    HWND window = Start();
    ASSERT_NE(window, nullptr);

    // Two uninstalls at once, each waited for on its own: the third game's uninstaller removes its
    // folder and key, and its button goes; the first game's executable lies where its uninstaller
    // does not reach, so its button stays.
    ASSERT_TRUE(page_->UseMenu(2, 2));
    ASSERT_TRUE(page_->UseMenu(0, 2));
    ASSERT_TRUE(WaitUntil([&] { return !FileExists(Folder(3) + L"\\demogame.exe"); }, 20000));
    ASSERT_TRUE(WaitUntil([&] { return !FileExists(Folder(1) + L"\\demouninstall.exe"); }, 20000));
    EXPECT_TRUE(WaitUntil([&] { return !games_.KeyExists(3); }));
    std::string log = ReadFileBytes(games_.UninstallLog());
    EXPECT_NE(log.find(" /S "), std::string::npos) << log;
    // The hand-added game moves up into the third place, "moregame" into the fourth.
    EXPECT_TRUE(WaitUntil([&] { return !page_->OpensAMenu(GameButton(3)); }, 10000));
    EXPECT_TRUE(page_->OpensAMenu(GameButton(2))) << "three buttons remain";
}

namespace {

// The window that has the keyboard focus on the thread of `window`: the search field's own edit
// window while the player types there.
HWND KeyboardFocusOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndFocus : nullptr;
}

bool IsDemoIconOrange(uint32_t colour) {
    return (colour >> 16) > 0xD0 && ((colour >> 8) & 0xFF) > 0x50 && ((colour >> 8) & 0xFF) < 0xA0 && (colour & 0xFF) < 0x50;
}

bool IsNeutralGrey(uint32_t colour) {
    const uint32_t red = colour >> 16, green = (colour >> 8) & 0xFF, blue = colour & 0xFF;
    return red > 0x98 && red < 0xC8 && blue > red && blue - red < 0x30 && green > red;
}

}  // namespace

TEST_F(MyGamesE2ETest, IconsSearchAndTheKeyboard) {
    // A fifth and a sixth game whose files are gone, with Chinese names to find by their pinyin:
    // 重 reads zhong and chong, 绿 lü.
    WriteFileBytes(ProgramDataFolder() + L"\\UserGame.xml",
                   "<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"yes\" ?>\n<UserGame><Game name=\"手动游戏\" "
                   "path=\"" + Utf8(games_.HandGame()) + "\" type=\"0\" id=\"0\" /><Game name=\"" + Utf8(L"星际远航") +
                       "\" path=\"C:\\gone\\away.exe\" type=\"0\" id=\"77\" /><Game name=\"" + Utf8(L"重返绿洲") +
                       "\" path=\"C:\\gone\\oasis.exe\" type=\"0\" id=\"78\" /></UserGame>\n");
    HWND window = Start();
    ASSERT_NE(window, nullptr);

    // The demo game's own icon beside the names of the games that have it, the neutral picture
    // beside the one whose file is gone.
    for (int button = 0; button < 4; ++button) {
        EXPECT_TRUE(WaitUntil([&] { return IsDemoIconOrange(ClientRgb(window, MyGamesPage::IconOf(button))); }, 5000))
            << button << ": " << std::hex << ClientRgb(window, MyGamesPage::IconOf(button));
    }
    EXPECT_TRUE(IsNeutralGrey(ClientRgb(window, MyGamesPage::IconOf(4))))
        << std::hex << ClientRgb(window, MyGamesPage::IconOf(4));

    // Typing filters the column as the player types; the selection does not follow.
    LeftClick(window, MyGamesPage::SearchField());
    ASSERT_TRUE(WaitUntil([&] { return KeyboardFocusOf(window) != window && KeyboardFocusOf(window) != nullptr; }));
    TypeText(L"XJY");
    EXPECT_TRUE(WaitUntil([&] { return !page_->OpensAMenu(GameButton(1)); }, 5000));
    EXPECT_EQ(service_.CountRequests("act=getGongLue&ID=77"), 0);
    ASSERT_TRUE(page_->Select(0, service_, "act=getGongLue&ID=77"));

    // Ctrl+F goes back to the field, Escape clears it and every game shows again.
    PressKey('F', VK_CONTROL);
    PressKey(VK_ESCAPE);
    EXPECT_TRUE(WaitUntil([&] { return page_->OpensAMenu(GameButton(5)); }, 5000));

    // The full spelling with blanks between the syllables, mixed with initials, finds it as well;
    // so do each reading of a character and u for ü. (Each game found is not the one selected.)
    const std::pair<const wchar_t*, const char*> spellings[] = {
        {L"zhongfan lvzhou", "act=getGongLue&ID=78"},
        {L"xing jiyh", "act=getGongLue&ID=77"},
        {L"chongfanluz", "act=getGongLue&ID=78"},
    };
    for (const auto& [typed, request] : spellings) {
        PressKey('F', VK_CONTROL);
        TypeText(typed);
        EXPECT_TRUE(WaitUntil([&] { return !page_->OpensAMenu(GameButton(1)); }, 5000)) << typed;
        service_.Reset();
        EXPECT_TRUE(page_->Select(0, service_, request)) << typed;
        PressKey('F', VK_CONTROL);
        PressKey(VK_ESCAPE);
        EXPECT_TRUE(WaitUntil([&] { return page_->OpensAMenu(GameButton(5)); }, 5000));
    }

    // Down moves the selection to the next game, Enter starts it, the menu key opens its menu.
    ASSERT_TRUE(page_->Select(0, service_, "act=getGongLue&ID=11"));
    PressKey(VK_DOWN);
    EXPECT_TRUE(WaitUntil([&] { return service_.CountRequests("act=getGongLue&ID=12") > 0; }, 5000));
    PressKey(VK_APPS);
    HWND menu = nullptr;
    EXPECT_TRUE(WaitUntil([&] { return (menu = FindProcessWindow(program_->Id(), L"MenuWnd")) != nullptr; }, 5000));
    PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    ASSERT_TRUE(WaitUntil([&] { return FindProcessWindow(program_->Id(), L"MenuWnd") == nullptr; }));
    PressKey(VK_F10, VK_SHIFT);
    EXPECT_TRUE(WaitUntil([&] { return (menu = FindProcessWindow(program_->Id(), L"MenuWnd")) != nullptr; }, 5000))
        << "Shift+F10";
    PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    ASSERT_TRUE(WaitUntil([&] { return FindProcessWindow(program_->Id(), L"MenuWnd") == nullptr; }));
    PressKey(VK_RETURN);
    EXPECT_TRUE(WaitUntil([&] { return FileExists(Folder(2) + L"\\started.txt"); }));
    // Its window comes after the file; the game is ended once it is there.
    EXPECT_TRUE(WaitUntil([] { return FindWindowW(L"LudoraDemoGame", nullptr) != nullptr; }));
}

// A game list cut after the program saved it comes back from the copy that save kept, and the
// player is told so once.
TEST_F(MyGamesE2ETest, ACutGameListComesBackFromItsGoodCopyWithAMessageShownOnce) {
    const std::wstring file = ProgramDataFolder() + L"\\UserGame.xml";
    ASSERT_NE(Start(), nullptr);
    ASSERT_TRUE(page_->AddByHand(games_.HandGame(), L"新游戏"));
    ASSERT_TRUE(WaitUntil([&] { return ReadFileBytes(file).find(Utf8(L"新游戏")) != std::string::npos; }));
    program_->Terminate();
    const std::string whole = ReadFileBytes(file);
    WriteFileBytes(file, whole.substr(0, whole.size() / 2));

    ASSERT_NE(Start(), nullptr);
    HWND box = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (box = FindProcessWindow(program_->Id(), L"MyMessageBox")) != nullptr; }));
    PostMessageW(box, WM_KEYDOWN, VK_ESCAPE, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); }));
    EXPECT_TRUE(page_->HasGame(3)) << "the added game is back";
    EXPECT_EQ(ReadFileBytes(file), whole);
    EXPECT_EQ(ReadFileBytes(GameList::KeptFileName(file)), whole.substr(0, whole.size() / 2)) << "kept aside";
    program_->Terminate();

    ASSERT_NE(Start(), nullptr);
    ASSERT_TRUE(page_->HasGame(3));
    EXPECT_EQ(FindProcessWindow(program_->Id(), L"MyMessageBox"), nullptr) << "told once";
}
