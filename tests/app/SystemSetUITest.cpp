// Window tests of the settings dialog: built from the program's skin in a temporary data folder,
// driven with real messages from inside its modal loop.
#include "app/SystemSetUI.h"

#include <gtest/gtest.h>

#include <memory>

#include "UiLib/controls/UIOption.h"
#include "games/PlayHistory.h"
#include "shared/SysSettings.h"
#include "shared/XmlFile.h"
#include "tests/support/DialogDriver.h"
#include "tests/support/LudoraProcess.h"
#include "tests/support/TasklessScheduler.h"
#include "tests/support/TestFolder.h"

using namespace UiLib;

namespace {

const wchar_t kRunKey[] = L"SoftWare\\Microsoft\\Windows\\CurrentVersion\\Run";

std::string SettingAttributes(const std::wstring& path) {
    TiXmlDocument document;
    std::string result;
    if (!LoadXmlDocument(document, path)) return result;
    TiXmlElement* root = document.FirstChildElement();
    TiXmlElement* setting = root ? root->FirstChildElement() : nullptr;
    for (TiXmlAttribute* a = setting ? setting->FirstAttribute() : nullptr; a; a = a->Next())
        result += std::string(a->Name()) + "=" + a->Value() + " ";
    return result;
}

std::wstring ProgramPath() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

bool RunValue(std::wstring& data) { return ReadMachineString(kRunKey, L"Ludora", data); }

class SystemSetUITest : public ::testing::Test {
protected:
    void SetUp() override {
        ForgetAutoRun();
        settings->LoadSettings(folder.Path());
        history.Load(folder.Path());
    }
    void TearDown() override { ForgetAutoRun(); }
    static void ForgetAutoRun() {
        DeleteMachineValue(kRunKey, L"Ludora");
        SystemScheduledTasks().Delete(SysSettings::AutoRunTaskName());
    }

    // Opens the dialog over the owner and runs it modally with the steps; the close result.
    UINT RunDialog(std::vector<DialogStep> steps) {
        CSystemSetUI* dialog =
            CWindowWnd::CreateOwned(std::make_unique<CSystemSetUI>(*settings, history, *tasks), [this](CSystemSetUI& created) {
                return created.Create(owner.Get(), L"", CSystemSetUI::kCreateStyle, 0, 0, 0, 0, 0);
            });
        if (!dialog) {
            ADD_FAILURE() << "no settings window";
            return 0;
        }
        dialog->CenterWindow();
        RunInModalLoop(CSystemSetUI::kWindowClassName, std::move(steps));
        return dialog->ShowModal();
    }

    static DialogDriver Driver(HWND window) {
        return DialogDriver(window, WindowObject<CSystemSetUI>(window)->GetPaintManager());
    }
    static bool Selected(HWND window, const wchar_t* name) {
        auto* option = dynamic_cast<COptionUI*>(Driver(window).Find(name));
        return option && option->IsSelected();
    }
    static DialogStep Click(const wchar_t* name) {
        return [name](HWND window) { Driver(window).Click(name); };
    }
    static DialogStep Key(WPARAM key) {
        return [key](HWND window) { Driver(window).PostKey(key); };
    }

    std::wstring ConfigPath() const { return folder.File(L"config.xml"); }

    TestFolder folder;
    OwnerWindow owner;
    std::unique_ptr<SysSettings> settings = std::make_unique<SysSettings>();
    PlayHistory history;
    IScheduledTasks* tasks = &SystemScheduledTasks();
};

TEST_F(SystemSetUITest, FirstOpeningShowsTheDefaultsOnTheSkin) {
    std::string before = ReadFileBytes(ConfigPath());
    bool checked = false;
    RunDialog({[&](HWND window) {
                   RECT bounds{};
                   ::GetWindowRect(window, &bounds);
                   EXPECT_EQ(bounds.right - bounds.left, 460);
                   EXPECT_EQ(bounds.bottom - bounds.top, 350);
                   EXPECT_EQ(::GetWindow(window, GW_OWNER), owner.Get());
                   EXPECT_EQ(::GetWindowLongPtrW(window, GWL_STYLE) & (WS_CAPTION | WS_SYSMENU), 0);
                   HRGN region = ::CreateRectRgn(0, 0, 0, 0);
                   EXPECT_EQ(::GetWindowRgn(window, region), COMPLEXREGION) << "round corners";
                   ::DeleteObject(region);
                   EXPECT_FALSE(::IsWindowEnabled(owner.Get())) << "modal over the main window";
                   EXPECT_FALSE(Selected(window, L"autorun")) << "no Run value at the first start";
                   EXPECT_TRUE(Selected(window, L"showmsg"));
                   EXPECT_TRUE(Selected(window, L"totray"));
                   EXPECT_FALSE(Selected(window, L"toclose"));
                   EXPECT_TRUE(Selected(window, L"autoupdate"));
                   EXPECT_FALSE(Selected(window, L"noauto"));
                   EXPECT_TRUE(Selected(window, L"settab0"));
                   // The drag band answers as caption except over the close button.
                   POINT title{200, 10}, close{440, 10};
                   ::ClientToScreen(window, &title);
                   ::ClientToScreen(window, &close);
                   EXPECT_EQ(::SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(title.x, title.y)), HTCAPTION);
                   EXPECT_EQ(::SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(close.x, close.y)), HTCLIENT);
                   // The pictures are drawn: a blue title band, a white page and a ticked check box.
                   DialogDriver driver = Driver(window);
                   uint32_t band = driver.PixelAt(200, 15);
                   EXPECT_GT(band & 0xFF, 0xC0u) << std::hex << band;
                   EXPECT_LT((band >> 16) & 0xFF, 0x40u) << std::hex << band;
                   RECT page = driver.Find(L"syssetpage0")->GetPos();
                   EXPECT_EQ(driver.PixelAt(page.right - 10, page.top + 40) & 0xFFFFFF, 0xFFFFFFu);
                   RECT box = driver.Find(L"showmsg")->GetPos();
                   EXPECT_EQ(driver.PixelAt(box.left + 5, box.top + 5) & 0xFFFFFF, 0x1E88E5u);
                   checked = true;
               },
               Key(VK_ESCAPE)});
    EXPECT_TRUE(checked);
    EXPECT_TRUE(::IsWindowEnabled(owner.Get()));
    EXPECT_EQ(ReadFileBytes(ConfigPath()), before) << "Escape saves nothing";
}

TEST_F(SystemSetUITest, OkSavesWhatTheControlsShowAndMirrorsAutorunInTheRunKey) {
    EXPECT_EQ(RunDialog({Click(L"autorun"), Click(L"toclose"), Click(L"showmsg"), Click(L"noauto"), Click(L"ok")}),
              1u);
    std::wstring data;
    ASSERT_TRUE(RunValue(data));
    EXPECT_EQ(data, SysSettings::AutoRunCommand(ProgramPath()));
    EXPECT_TRUE(SystemScheduledTasks().Exists(SysSettings::AutoRunTaskName())) << "the logon task, present under Wine";
    EXPECT_EQ(SettingAttributes(ConfigPath()),
              "AutoRun=1 IsColse=1 IsShow=0 UpdateType=0 NewsUrl= AdTime= NewsTime= ");
    EXPECT_EQ(settings->Snapshot().IsColse, L"1") << "the record follows at once";
    EXPECT_EQ(settings->Snapshot().AutoRun, L"1");

    // Opened again it shows what was saved; unticking "autorun" removes the Run value.
    RunDialog({[](HWND window) {
                   EXPECT_TRUE(Selected(window, L"autorun"));
                   EXPECT_TRUE(Selected(window, L"toclose"));
                   EXPECT_FALSE(Selected(window, L"showmsg"));
                   EXPECT_TRUE(Selected(window, L"noauto"));
               },
               Click(L"autorun"), Click(L"totray"), Click(L"ok")});
    EXPECT_FALSE(RunValue(data));
    EXPECT_FALSE(SystemScheduledTasks().Exists(SysSettings::AutoRunTaskName()));
    EXPECT_EQ(SettingAttributes(ConfigPath()),
              "AutoRun=0 IsColse=0 IsShow=0 UpdateType=0 NewsUrl= AdTime= NewsTime= ");
}

TEST_F(SystemSetUITest, OkWithAutorunUnchangedLeavesTheRegistryAlone) {
    // A settings file without "UpdateType" that says the program starts with Windows.
    WriteFileBytes(ConfigPath(), "<SysSet><Setting AutoRun=\"1\" IsColse=\"true\" IsShow=\"1\"/></SysSet>");
    settings = std::make_unique<SysSettings>();
    settings->LoadSettings(folder.Path());
    ASSERT_TRUE(SysSettings::SetAutoRunRegistration(true));
    WriteMachineString(kRunKey, L"Ludora", L"left alone");
    RunDialog({[](HWND window) {
                   EXPECT_TRUE(Selected(window, L"autorun"));
                   EXPECT_TRUE(Selected(window, L"totray")) << "\"true\" is not \"1\"";
                   EXPECT_TRUE(Selected(window, L"noauto")) << "UpdateType keeps its in-memory \"0\"";
               },
               Click(L"ok")});
    std::wstring data;
    ASSERT_TRUE(RunValue(data));
    EXPECT_EQ(data, L"left alone");
    EXPECT_EQ(SettingAttributes(ConfigPath()), "AutoRun=1 IsColse=0 IsShow=1 UpdateType=0 ");
}

TEST_F(SystemSetUITest, CancelCloseAndEscapeSaveNothingWhileEnterDoesNothing) {
    std::string before = ReadFileBytes(ConfigPath());
    EXPECT_EQ(RunDialog({Click(L"autorun"), Click(L"toclose"), Key(VK_RETURN),
                         [](HWND window) { EXPECT_TRUE(::IsWindowVisible(window)) << "Enter keeps it open"; },
                         Click(L"cancel")}),
              2u);
    EXPECT_EQ(RunDialog({Click(L"autorun"), Click(L"close")}), 1u);
    EXPECT_EQ(RunDialog({Click(L"noauto"), Key(VK_ESCAPE)}), 2u);
    EXPECT_EQ(ReadFileBytes(ConfigPath()), before);
    std::wstring data;
    EXPECT_FALSE(RunValue(data));
    EXPECT_EQ(settings->Snapshot().AutoRun, L"0");
    EXPECT_EQ(settings->Snapshot().IsColse, L"0");
}

TEST_F(SystemSetUITest, ATaskThatCannotBeRegisteredShowsTheBoxUntickedNextTime) {
    TasklessScheduler refusing(true);
    tasks = &refusing;
    WriteMachineString(kRunKey, L"Ludora", L"left alone");
    RunDialog({[](HWND window) { EXPECT_FALSE(Selected(window, L"autorun")) << "the task answers"; },
               Click(L"autorun"), Click(L"ok")});
    std::wstring data;
    ASSERT_TRUE(RunValue(data));
    EXPECT_EQ(data, L"left alone");
    EXPECT_EQ(settings->Snapshot().AutoRun, L"0");
    RunDialog({[](HWND window) { EXPECT_FALSE(Selected(window, L"autorun")); }, Key(VK_ESCAPE)});
}

// The column order lives in the play history: config.xml keeps the fields other programs read.
TEST_F(SystemSetUITest, TheGameListPageKeepsTheColumnOrderInThePlayHistory) {
    RunDialog({Click(L"settab1"), [](HWND window) { EXPECT_TRUE(Selected(window, L"orderinstalled")); },
               Click(L"orderbylastplayed"), Key(VK_ESCAPE)});
    EXPECT_EQ(history.Order(), GameOrder::AsInstalled) << "Escape saves nothing";
    RunDialog({Click(L"settab1"), Click(L"orderbylastplayed"), Click(L"ok")});
    EXPECT_EQ(history.Order(), GameOrder::ByLastPlayed);
    EXPECT_NE(ReadFileBytes(folder.File(PlayHistory::kFileName)).find("order=\"lastPlayed\""), std::string::npos);
    EXPECT_EQ(SettingAttributes(ConfigPath()), "AutoRun=0 IsColse=0 IsShow=1 UpdateType=1 NewsUrl= AdTime= NewsTime= ");
    // The orders are one group: choosing another leaves one chosen.
    RunDialog({[](HWND window) { EXPECT_TRUE(Selected(window, L"orderbylastplayed")); }, Click(L"settab1"),
               Click(L"orderbyname"),
               [](HWND window) { EXPECT_FALSE(Selected(window, L"orderbylastplayed")); }, Click(L"ok")});
    EXPECT_EQ(history.Order(), GameOrder::ByName);
}

TEST_F(SystemSetUITest, OpenedThroughTheMenuSeamItRunsModallyAndCentred) {
    RunInModalLoop(CSystemSetUI::kWindowClassName, {[&](HWND window) {
                                                        RECT dialog{}, main{};
                                                        ::GetWindowRect(window, &dialog);
                                                        ::GetWindowRect(owner.Get(), &main);
                                                        EXPECT_EQ((dialog.left + dialog.right) / 2,
                                                                  (main.left + main.right) / 2);
                                                        Driver(window).Click(L"showmsg");
                                                    },
                                                    Click(L"ok")});
    CSystemSetUI::ShowModalOver(owner.Get(), *settings, history);
    EXPECT_EQ(settings->Snapshot().IsShow, L"0");
    EXPECT_EQ(::FindWindowW(CSystemSetUI::kWindowClassName, nullptr), nullptr);
}

}  // namespace
