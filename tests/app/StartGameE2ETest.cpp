// A game started from outside the window, with the real program over the demo games: the desktop
// shortcut made from the game menu, `--start` with and without a running Ludora, a "ludora:" link
// and a name no game has.
#include <windows.h>
#include <objidl.h>
#include <shlobj.h>

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <string>
#include <vector>

#include "app/ControlChannel.h"
#include "app/MainFrame.h"
#include "shared/ComPtr.h"
#include "shared/TextConvert.h"
#include "tests/support/DemoGamesProgramTest.h"

namespace {

const wchar_t kShellFolders[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
const wchar_t kDemoGameWindow[] = L"LudoraDemoGame";

// When the game of `path` was last started, as the history file holds it; empty when never.
std::string LastStarted(const std::wstring& path) {
    TiXmlDocument document;
    document.Parse(ReadFileBytes(ProgramDataFolder() + L"\\PlayHistory.xml").c_str(), nullptr, TIXML_ENCODING_UTF8);
    const TiXmlElement* root = document.RootElement();
    for (const TiXmlElement* game = root ? root->FirstChildElement("Game") : nullptr; game;
         game = game->NextSiblingElement("Game")) {
        const char* gamePath = game->Attribute("path");
        const char* started = game->Attribute("lastStarted");
        if (gamePath && started && lstrcmpiW(Utf8ToWideExact(gamePath).c_str(), path.c_str()) == 0) return started;
    }
    return {};
}

// "ludora://start/" and the name, every byte but letters and digits escaped.
std::wstring StartLink(const std::wstring& name) {
    std::wstring link = L"ludora://start/";
    for (unsigned char byte : WideToUtf8(name)) {
        wchar_t escaped[4];
        if (isalnum(byte)) link += static_cast<wchar_t>(byte);
        else link += (swprintf(escaped, 4, L"%%%02X", byte), escaped);
    }
    return link;
}

bool DemoGameRuns() { return FindWindowW(kDemoGameWindow, nullptr) != nullptr; }

// Closes the program's message box once it shows; false when none came.
bool DismissMessageBox(DWORD processId) {
    HWND box = nullptr;
    if (!WaitUntil([&] { return (box = FindProcessWindow(processId, L"MyMessageBox")) != nullptr; })) return false;
    PostMessageW(box, WM_KEYDOWN, VK_ESCAPE, 0);
    return WaitUntil([&] { return !IsWindow(box); });
}

// What a shortcut file holds.
struct Shortcut {
    std::wstring target;
    std::vector<std::wstring> arguments;
    std::wstring icon;
    int iconIndex = -1;
};

Shortcut ReadShortcut(const std::wstring& path) {
    Shortcut read;
    ComPtr<IShellLinkW> link;
    ComPtr<IPersistFile> file;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.OutVoid())) ||
        FAILED(link->QueryInterface(IID_IPersistFile, file.OutVoid())) || FAILED(file->Load(path.c_str(), STGM_READ)))
        return read;
    wchar_t text[1024] = {};
    if (SUCCEEDED(link->GetPath(text, 1024, nullptr, SLGP_RAWPATH))) read.target = text;
    if (SUCCEEDED(link->GetArguments(text, 1024))) {
        int count = 0;
        const std::wstring commandLine = L"x " + std::wstring(text);
        LPWSTR* split = CommandLineToArgvW(commandLine.c_str(), &count);
        for (int index = 1; split && index < count; ++index) read.arguments.emplace_back(split[index]);
        LocalFree(split);
    }
    if (SUCCEEDED(link->GetIconLocation(text, 1024, &read.iconIndex))) read.icon = text;
    return read;
}

// The player's desktop is a folder of the test while it runs.
class StartGameE2ETest : public DemoGamesProgramTest {
protected:
    void SetUp() override {
        DemoGamesProgramTest::SetUp();
        if (RegGetValueW(HKEY_CURRENT_USER, kShellFolders, L"Desktop", RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND,
                         nullptr, savedDesktop_, &savedSize_) != ERROR_SUCCESS)
            savedSize_ = 0;
        SetDesktop(desktop_.Path().c_str(), (desktop_.Path().size() + 1) * sizeof(wchar_t));
        coInitialized_ = SUCCEEDED(CoInitialize(nullptr));
    }
    void TearDown() override {
        DemoGamesProgramTest::TearDown();
        if (coInitialized_) CoUninitialize();
        SetDesktop(savedDesktop_, savedSize_);
    }

    // The player's desktop folder; none (the system's own) for an empty size.
    static void SetDesktop(const wchar_t* path, DWORD size) {
        ScopedRegistryKey key = OpenRegistryKey(HKEY_CURRENT_USER, kShellFolders, KEY_SET_VALUE);
        ASSERT_TRUE(key);
        if (size == 0) RegDeleteValueW(key.get(), L"Desktop");
        else RegSetValueExW(key.get(), L"Desktop", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(path), size);
    }

    std::vector<std::wstring> ShortcutsOnTheDesktop() const {
        std::vector<std::wstring> found;
        WIN32_FIND_DATAW entry{};
        HANDLE search = FindFirstFileW(desktop_.File(L"*").c_str(), &entry);
        if (search == INVALID_HANDLE_VALUE) return found;
        do {
            if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) found.push_back(desktop_.File(entry.cFileName));
        } while (FindNextFileW(search, &entry));
        FindClose(search);
        return found;
    }

    // A second start with `arguments`: it hands its request over and ends at once.
    static void StartAgain(const std::wstring& arguments) {
        LudoraProcess second(arguments);
        EXPECT_EQ(second.WaitForExit(), 0u) << std::string(arguments.begin(), arguments.end());
    }

    TestFolder desktop_;
    wchar_t savedDesktop_[MAX_PATH] = {};
    DWORD savedSize_ = sizeof(savedDesktop_);
    bool coInitialized_ = false;
};

}  // namespace

TEST_F(StartGameE2ETest, TheDesktopShortcutFromTheMenuStartsTheGameThroughTheRunningProgramRecorded) {
    ASSERT_NE(Start(), nullptr);
    ASSERT_TRUE(page_->UseMenu(1, 4)) << "创建桌面快捷方式";
    ASSERT_TRUE(DismissMessageBox(program_->Id())) << "the player is told";

    const std::vector<std::wstring> made = ShortcutsOnTheDesktop();
    ASSERT_EQ(made.size(), 1u);
    EXPECT_EQ(made[0], desktop_.File(games_.Name(2) + L".lnk"));
    const Shortcut shortcut = ReadShortcut(made[0]);
    EXPECT_EQ(lstrcmpiW(shortcut.target.c_str(), LudoraExePath().c_str()), 0)
        << std::string(shortcut.target.begin(), shortcut.target.end());
    EXPECT_EQ(shortcut.arguments, (std::vector<std::wstring>{L"--start", games_.Name(2)}));
    EXPECT_EQ(lstrcmpiW(shortcut.icon.c_str(), (games_.Folder(2) + L"\\demogame.exe").c_str()), 0);
    EXPECT_EQ(shortcut.iconIndex, 0);

    // Made again, it replaces the first.
    ASSERT_TRUE(page_->UseMenu(1, 4));
    ASSERT_TRUE(DismissMessageBox(program_->Id()));
    EXPECT_EQ(ShortcutsOnTheDesktop(), made);

    // What the shortcut runs: a second start that the running program serves.
    const std::wstring game = games_.Folder(2) + L"\\demogame.exe";
    std::wstring arguments;
    for (const std::wstring& argument : shortcut.arguments) arguments += L"\"" + argument + L"\" ";
    StartAgain(arguments);
    ASSERT_TRUE(WaitUntil(DemoGameRuns));
    EXPECT_TRUE(WaitUntil([&] { return !LastStarted(game).empty(); })) << "its play is recorded";
}

TEST_F(StartGameE2ETest, WithoutARunningProgramTheGameStartsFromTheTrayALinkStartsAnotherAndOnlyWholeNamesCount) {
    const std::wstring third = games_.Folder(3) + L"\\demogame.exe";
    program_ = std::make_unique<LudoraProcess>(L"--start \"" + games_.Name(3) + L"\"");
    HWND window = program_->WaitForWindow(MainFrame::kWindowClassName);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(WaitUntil(DemoGameRuns));
    EXPECT_TRUE(WaitUntil([&] { return !LastStarted(third).empty(); }));
    EXPECT_TRUE(WaitUntil([&] { return TrayHasIcon(window); }));
    EXPECT_FALSE(IsWindowVisible(window)) << "it stays in the tray";
    DemoGames::EndRunning();
    EXPECT_EQ(program_->WaitForExit(0), static_cast<DWORD>(STILL_ACTIVE)) << "and keeps running";

    // The running program is asked over its channel once it listens: a link names the first game.
    ASSERT_TRUE(WaitUntil([] { return !ListeningAddresses(kControlChannelPort).empty(); }, 20000));
    StartAgain(L"\"" + StartLink(games_.Name(1)) + L"\"");
    ASSERT_TRUE(WaitUntil(DemoGameRuns));
    EXPECT_TRUE(WaitUntil([&] { return !LastStarted(games_.KeptGame()).empty(); }));
    EXPECT_FALSE(IsWindowVisible(window));
    DemoGames::EndRunning();

    // The second game's name without its last character names no game: the list shows and says so.
    std::wstring unknown = games_.Name(2);
    unknown.pop_back();
    StartAgain(L"--start \"" + unknown + L"\"");
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(window) != FALSE; })) << "the window shows";
    EXPECT_TRUE(DismissMessageBox(program_->Id())) << "the player is told";
    EXPECT_FALSE(DemoGameRuns());
    EXPECT_TRUE(LastStarted(games_.Folder(2) + L"\\demogame.exe").empty()) << "nothing was started";
}
