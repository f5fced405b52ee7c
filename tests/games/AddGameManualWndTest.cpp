// Window tests of the add-game dialog: built from the program's skin over a game list in a
// temporary data folder, driven with real messages from inside its modal loop. The system's
// open-file dialog cannot be driven reliably under Wine, so the tests hand the dialog the path it
// would return; the message box is recorded in place of being shown.
#include "games/AddGameManualWnd.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <string>
#include <thread>
#include <vector>

#include "UiLib/controls/UIEdit.h"
#include "shared/XmlFile.h"
#include "games/GameButtonHost.h"
#include "games/GameList.h"
#include "tests/support/DialogDriver.h"
#include "tests/support/LudoraProcess.h"
#include "tests/support/TestFolder.h"

using namespace UiLib;

namespace {

struct Message {
    HWND parent;
    std::wstring text1, text2, caption;
    int icon;
};

class RecordingTab : public IGameButtonHost {
public:
    void AddGameButton(GameRecord record) override { buttons.push_back(std::move(record)); }
    std::vector<GameRecord> buttons;
};

// The "Game" elements of the file as name|path|type|id.
std::vector<std::string> StoredGames(const std::wstring& path) {
    TiXmlDocument document;
    std::vector<std::string> games;
    if (!LoadXmlDocument(document, path) || !document.FirstChildElement()) return games;
    for (TiXmlElement* game = document.FirstChildElement()->FirstChildElement(); game;
         game = game->NextSiblingElement())
        games.push_back(std::string(game->Attribute("name")) + "|" + game->Attribute("path") + "|" +
                        game->Attribute("type") + "|" + game->Attribute("id"));
    return games;
}

class AddGameManualWndTest : public ::testing::Test {
protected:
    void SetUp() override { games.Load(folder.Path()); }

    // Opens the dialog over the owner and runs it modally with the steps; the close result.
    UINT RunDialog(std::vector<DialogStep> steps, std::wstring chosenFile = std::wstring()) {
        auto dialog = std::make_unique<AddGameManualWnd>(games, &tab);
        dialog->showMessage = [this](HWND parent, const std::wstring& text1, const std::wstring& text2,
                                     const std::wstring& caption, int icon) {
            messages.push_back(Message{parent, text1, text2, caption, icon});
            return 1;
        };
        dialog->chooseFile = [this, chosenFile](HWND owner) {
            chooserOwners.push_back(owner);
            return chosenFile;
        };
        AddGameManualWnd* shown = CWindowWnd::CreateOwned(std::move(dialog), [this](AddGameManualWnd& created) {
            return created.Create(owner.Get(), L"", AddGameManualWnd::kCreateStyle, 0, 0, 0, 0, 0);
        });
        if (!shown) {
            ADD_FAILURE() << "no add-game window";
            return 0;
        }
        shown->CenterWindow();
        RunInModalLoop(AddGameManualWnd::kWindowClassName, std::move(steps));
        return shown->ShowModal();
    }

    static DialogDriver Driver(HWND window) {
        return DialogDriver(window, WindowObject<AddGameManualWnd>(window)->GetPaintManager());
    }
    static std::wstring Text(HWND window, const wchar_t* name) { return Driver(window).Find(name)->GetText(); }
    static DialogStep Click(const wchar_t* name) {
        return [name](HWND window) { Driver(window).Click(name); };
    }
    static DialogStep Type(const wchar_t* name, std::wstring text) {
        return [name, text](HWND window) { Driver(window).Type(name, text); };
    }
    static DialogStep Key(WPARAM key) {
        return [key](HWND window) { Driver(window).PostKey(key); };
    }

    std::wstring ListFile() const { return folder.File(L"UserGame.xml"); }

    TestFolder folder;
    OwnerWindow owner;
    GameList games;
    RecordingTab tab;
    std::vector<Message> messages;
    std::vector<HWND> chooserOwners;
};

TEST_F(AddGameManualWndTest, TypedPathAndNameAreStoredGivenAButtonAndClosedWithOk) {
    size_t before = games.games.size();
    EXPECT_EQ(RunDialog({[](HWND window) {
                             RECT bounds{};
                             ::GetWindowRect(window, &bounds);
                             EXPECT_EQ(bounds.right - bounds.left, 345);
                             EXPECT_EQ(bounds.bottom - bounds.top, 211);
                             EXPECT_EQ(::GetWindowLongPtrW(window, GWL_STYLE) & WS_CAPTION, 0);
                             HRGN region = ::CreateRectRgn(0, 0, 0, 0);
                             EXPECT_EQ(::GetWindowRgn(window, region), ERROR) << "square corners";
                             ::DeleteObject(region);
                             POINT title{40, 10};
                             ::ClientToScreen(window, &title);
                             EXPECT_EQ(::SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(title.x, title.y)), HTCLIENT)
                                 << "the title text takes clicks, as in every skinned window";
                             POINT band{150, 10};
                             ::ClientToScreen(window, &band);
                             EXPECT_EQ(::SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(band.x, band.y)), HTCAPTION);
                             EXPECT_EQ(Text(window, L"exepath"), L"") << "each opening starts empty";
                             // The blue title band and the white edit with its blue border.
                             DialogDriver driver = Driver(window);
                             EXPECT_LT((driver.PixelAt(150, 3) >> 16) & 0xFF, 0x40u);
                             RECT edit = driver.Find(L"gamename")->GetPos();
                             EXPECT_EQ(driver.PixelAt(edit.left, edit.top + 5) & 0xFFFFFF, 0x4EA0D1u);
                             EXPECT_EQ(driver.PixelAt(edit.right - 5, edit.top + 5) & 0xFFFFFF, 0xFFFFFFu);
                         },
                         Type(L"exepath", L"C:\\没有\\game.exe"), Type(L"gamename", L"星际 Game"), Click(L"ok")}),
              1u);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(StoredGames(ListFile()), (std::vector<std::string>{u8"星际 Game|C:\\没有\\game.exe|0|0"}))
        << "a path that does not exist is accepted";
    ASSERT_EQ(games.games.size(), before + 1);
    EXPECT_EQ(games.games.back().name, L"星际 Game");
    EXPECT_EQ(games.games.back().path, L"C:\\没有\\game.exe");
    ASSERT_EQ(tab.buttons.size(), 1u);
    EXPECT_EQ(tab.buttons[0].name, L"星际 Game");
    EXPECT_EQ(tab.buttons[0].uninstallString, L"");
    EXPECT_EQ(tab.buttons[0].id, 0);
}

TEST_F(AddGameManualWndTest, EmptyPathAndTakenNameAreRefusedWithTheDialogLeftOpen) {
    games.AddUserGame(GameRecord{L"Solitaire", L"C:\\sol.exe", L"", 0, 0});
    std::string stored = ReadFileBytes(ListFile());
    HWND dialog = nullptr;
    EXPECT_EQ(RunDialog({Type(L"gamename", L"Solitaire"), Click(L"ok"),
                         [&](HWND window) {
                             dialog = window;
                             ASSERT_EQ(messages.size(), 1u);
                             EXPECT_EQ(messages[0].text1, L"请指定游戏执行文件!");
                             EXPECT_EQ(messages[0].text2, L"");
                             EXPECT_EQ(messages[0].caption, L"错误");
                             EXPECT_EQ(messages[0].icon, 2);
                             EXPECT_EQ(messages[0].parent, window);
                         },
                         Type(L"exepath", L"D:\\x.exe"), Click(L"ok"),
                         [&](HWND window) {
                             ASSERT_EQ(messages.size(), 2u);
                             EXPECT_EQ(messages[1].text1, L"游戏名称已存在.");
                             EXPECT_EQ(messages[1].text2, L"请重新输入游戏名称!");
                             EXPECT_EQ(messages[1].caption, L"提示");
                             EXPECT_EQ(messages[1].icon, 2);
                             EXPECT_EQ(Text(window, L"gamename"), L"Solitaire") << "the texts stay";
                             EXPECT_EQ(Text(window, L"exepath"), L"D:\\x.exe");
                         },
                         Key(VK_ESCAPE)}),
              2u);
    EXPECT_NE(dialog, nullptr);
    EXPECT_EQ(ReadFileBytes(ListFile()), stored);
    EXPECT_TRUE(tab.buttons.empty());
}

// The game list could not read its file: the dialog says so in the system's box and adds no button.
class AddGameManualWndUnreadableListTest : public AddGameManualWndTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(CreateDirectoryW(ListFile().c_str(), nullptr));
        games.Load(folder.Path());
    }
};

TEST_F(AddGameManualWndUnreadableListTest, ARefusedAdditionIsToldAndGetsNoButton) {
    MessageBoxWindow seen;
    std::thread answer([&seen] {
        WaitUntil([&] { return !(seen = FindMessageBox(GetCurrentProcessId())).text.empty(); }, 20000);
        if (seen.hwnd != nullptr) PostMessageW(seen.hwnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    });
    RunDialog({Type(L"exepath", L"C:\\new.exe"), Type(L"gamename", L"New"), Click(L"ok")});
    answer.join();
    EXPECT_EQ(seen.text, L"配置文件读取错误，请重启软件再尝试！");
    EXPECT_EQ(seen.caption, L"错误");
    EXPECT_TRUE(tab.buttons.empty());
    EXPECT_TRUE(GetFileAttributesW(ListFile().c_str()) & FILE_ATTRIBUTE_DIRECTORY);
}

TEST_F(AddGameManualWndTest, NamesThatDifferInCaseOrAreEmptyAreAccepted) {
    games.AddUserGame(GameRecord{L"Solitaire", L"C:\\sol.exe", L"", 0, 0});
    EXPECT_EQ(RunDialog({Type(L"exepath", L"C:\\b.exe"), Type(L"gamename", L"solitaire"), Click(L"ok")}), 1u);
    EXPECT_EQ(RunDialog({Type(L"exepath", L"C:\\c.exe"), Click(L"ok")}), 1u);
    EXPECT_EQ(StoredGames(ListFile()),
              (std::vector<std::string>{"Solitaire|C:\\sol.exe|0|0", "solitaire|C:\\b.exe|0|0", "|C:\\c.exe|0|0"}));
    EXPECT_EQ(tab.buttons.size(), 2u);
    EXPECT_TRUE(messages.empty());
}

// A path copied from the file manager comes in quotes, and a typed one may have blanks around it.
TEST_F(AddGameManualWndTest, APastedPathLosesItsQuotesAndBlanks) {
    EXPECT_EQ(RunDialog({Type(L"exepath", L"  \"D:\\Games\\x y\\x.exe\" "), Type(L"gamename", L"X"), Click(L"ok")}), 1u);
    EXPECT_EQ(StoredGames(ListFile()), (std::vector<std::string>{"X|D:\\Games\\x y\\x.exe|0|0"}));
}

TEST_F(AddGameManualWndTest, BrowserFillsPathAndNameFromTheChosenFile) {
    EXPECT_EQ(RunDialog({Type(L"gamename", L"typed"), Click(L"browser"),
                         [&](HWND window) {
                             EXPECT_EQ(Text(window, L"exepath"), L"D:\\Program Files\\Fun\\Racer.exe");
                             EXPECT_EQ(Text(window, L"gamename"), L"Racer") << "what was typed is replaced";
                             ASSERT_EQ(chooserOwners.size(), 1u);
                             EXPECT_EQ(chooserOwners[0], window) << "the chooser is modal over the dialog";
                         },
                         Click(L"ok")},
                        L"D:\\Program Files\\Fun\\Racer.exe"),
              1u);
    EXPECT_EQ(StoredGames(ListFile()), (std::vector<std::string>{"Racer|D:\\Program Files\\Fun\\Racer.exe|0|0"}));
}

TEST_F(AddGameManualWndTest, CancelledChooserCloseButtonsAndEscapeStoreNothing) {
    std::string stored = ReadFileBytes(ListFile());
    EXPECT_EQ(RunDialog({Type(L"exepath", L"C:\\kept.exe"), Type(L"gamename", L"kept"), Click(L"browser"),
                         [](HWND window) {
                             EXPECT_EQ(Text(window, L"exepath"), L"C:\\kept.exe");
                             EXPECT_EQ(Text(window, L"gamename"), L"kept");
                         },
                         Click(L"cancel")}),
              2u);
    EXPECT_EQ(RunDialog({Type(L"exepath", L"C:\\a.exe"), Click(L"close")}), 2u);
    // Escape while typing in an edit still closes, whatever the edits hold.
    EXPECT_EQ(RunDialog({Type(L"exepath", L"C:\\a.exe"), Type(L"gamename", L"a"), Key(VK_RETURN),
                         [](HWND window) { EXPECT_TRUE(::IsWindowVisible(window)) << "Enter means nothing"; },
                         Key(VK_ESCAPE)}),
              2u);
    EXPECT_EQ(ReadFileBytes(ListFile()), stored);
    EXPECT_TRUE(tab.buttons.empty());
}

TEST(AddGameName, IsTheFileNameLessItsExtension) {
    EXPECT_EQ(AddGameManualWnd::GameNameFromExePath(L"D:\\Games\\星际争霸.exe"), L"星际争霸");
    EXPECT_EQ(AddGameManualWnd::GameNameFromExePath(L"C:\\a.b\\run.EXE"), L"run");
    EXPECT_EQ(AddGameManualWnd::GameNameFromExePath(L"game.exe"), L"game");
    // Names too short to hold ".exe" are kept whole instead of being cut past their start.
    EXPECT_EQ(AddGameManualWnd::GameNameFromExePath(L"C:\\ab"), L"ab");
    EXPECT_EQ(AddGameManualWnd::GameNameFromExePath(L"C:\\.exe"), L".exe");
    EXPECT_EQ(AddGameManualWnd::GameNameFromExePath(L"C:\\dir\\"), L"");
}

}  // namespace
