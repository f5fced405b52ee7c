#include "shared/SysSettings.h"

#include <gtest/gtest.h>

#include <thread>

#include "shared/TextConvert.h"
#include "shared/XmlFile.h"
#include "tests/support/LudoraProcess.h"
#include "tests/support/TasklessScheduler.h"
#include "tests/support/TestFolder.h"

namespace {

const wchar_t kRunKey[] = L"SoftWare\\Microsoft\\Windows\\CurrentVersion\\Run";

// The "Setting" element's attributes in document order, as name=value pairs.
std::vector<std::string> SettingAttributes(const std::wstring& path) {
    TiXmlDocument document;
    std::vector<std::string> result;
    if (!LoadXmlDocument(document, path)) return result;
    TiXmlElement* root = document.FirstChildElement();
    TiXmlElement* setting = root ? root->FirstChildElement() : nullptr;
    for (TiXmlAttribute* a = setting ? setting->FirstAttribute() : nullptr; a; a = a->Next())
        result.push_back(std::string(a->Name()) + "=" + a->Value());
    return result;
}

class SysSettingsTest : public ::testing::Test {
protected:
    void SetUp() override { ForgetAutoRun(); }
    void TearDown() override { ForgetAutoRun(); }
    static void ForgetAutoRun() {
        DeleteMachineValue(kRunKey, L"Ludora");
        SystemScheduledTasks().Delete(SysSettings::AutoRunTaskName());
    }

    std::wstring ConfigPath() const { return folder.File(L"config.xml"); }
    void WriteConfig(const std::string& text) const { WriteFileBytes(ConfigPath(), text); }

    TestFolder folder;
};

}  // namespace

TEST_F(SysSettingsTest, FreshFolderGetsTheDefaultFileWithoutRunValue) {
    std::wstring dataFolder = folder.File(L"Ludora");
    SysSettings settings;
    settings.LoadSettings(dataFolder);

    EXPECT_TRUE(FileExists(dataFolder + L"\\Patchs"));
    TiXmlDocument document;
    ASSERT_TRUE(LoadXmlDocument(document, dataFolder + L"\\config.xml"));
    TiXmlDeclaration* declaration = document.FirstChild()->ToDeclaration();
    ASSERT_NE(declaration, nullptr);
    EXPECT_STREQ(declaration->Version(), "1.0");
    EXPECT_STREQ(declaration->Encoding(), "utf-8");
    EXPECT_STREQ(declaration->Standalone(), "yes");
    EXPECT_STREQ(document.FirstChildElement()->Value(), "SysSet");
    EXPECT_STREQ(document.FirstChildElement()->FirstChildElement()->Value(), "Setting");
    EXPECT_EQ(SettingAttributes(dataFolder + L"\\config.xml"),
              (std::vector<std::string>{"AutoRun=0", "IsColse=0", "IsShow=1", "UpdateType=1", "NewsUrl=",
                                        "AdTime=", "NewsTime="}));
    EXPECT_EQ(settings.Snapshot().AutoRun, L"0");
    EXPECT_EQ(settings.Snapshot().IsColse, L"0");
    EXPECT_EQ(settings.Snapshot().IsShow, L"1");
    EXPECT_EQ(settings.Snapshot().UpdateType, L"1");
    EXPECT_EQ(settings.Snapshot().NewsUrl, L"");
}

TEST_F(SysSettingsTest, DefaultFileRecordsAnExistingRunValue) {
    SysSettings::SetAutoRunRegistration(true);
    SysSettings settings;
    settings.LoadSettings(folder.Path());
    EXPECT_EQ(settings.Snapshot().AutoRun, L"1");
    EXPECT_EQ(SettingAttributes(ConfigPath()).front(), "AutoRun=1");
}

TEST_F(SysSettingsTest, OtherElementNamesAreReadAndUnknownAttributesIgnored) {
    WriteConfig(u8"<Config><Prefs Colour=\"red\" IsColse=\"1\" NewsUrl=\"http://x/中文\" AdTime=\"20261207\"/>"
                u8"<Setting IsShow=\"0\"/></Config>");
    SysSettings settings;
    settings.LoadSettings(folder.Path());
    EXPECT_EQ(settings.Snapshot().IsColse, L"1");
    EXPECT_EQ(settings.Snapshot().NewsUrl, L"http://x/中文");
    EXPECT_EQ(settings.Snapshot().AdTime, L"20261207");
    EXPECT_EQ(settings.Snapshot().IsShow, L"1") << "only the first inner element is read";
    EXPECT_EQ(settings.Snapshot().UpdateType, L"0");
}

TEST_F(SysSettingsTest, MissingUpdateTypeStaysZeroAndIsAddedLastBySave) {
    WriteConfig("<SysSet><Setting AutoRun=\"0\" IsColse=\"true\" IsShow=\"1\" NewsUrl=\"u\"/></SysSet>");
    SysSettings settings;
    settings.LoadSettings(folder.Path());
    EXPECT_EQ(settings.Snapshot().UpdateType, L"0");
    EXPECT_EQ(settings.Snapshot().IsColse, L"true");

    settings.SaveGeneralSettings(L"0", L"1", L"0", L"1");
    EXPECT_EQ(SettingAttributes(ConfigPath()),
              (std::vector<std::string>{"AutoRun=0", "IsColse=1", "IsShow=0", "NewsUrl=u", "UpdateType=1"}));
    EXPECT_EQ(settings.Snapshot().IsShow, L"0");
}

TEST_F(SysSettingsTest, SaveChangesOnlyItsValue) {
    SysSettings settings;
    settings.LoadSettings(folder.Path());
    std::vector<std::string> before = SettingAttributes(ConfigPath());
    settings.SaveAdTime(L"20261207");
    std::vector<std::string> after = SettingAttributes(ConfigPath());
    before[5] = "AdTime=20261207";
    EXPECT_EQ(after, before);
    EXPECT_FALSE(FileExists(ConfigPath() + L".new"));
}

TEST_F(SysSettingsTest, UnparsableFileGivesDefaultsAndTheNextSaveWritesASoundFile) {
    WriteConfig("<SysSet><Setting AutoRun=\"0\" IsColse=\"1\"");
    SysSettings settings;
    settings.LoadSettings(folder.Path());
    EXPECT_EQ(settings.Snapshot().AutoRun, L"1");
    EXPECT_EQ(settings.Snapshot().IsColse, L"0");

    settings.SaveNewsTime(L"20261207");
    SysSettings reread;
    reread.LoadSettings(folder.Path());
    EXPECT_EQ(reread.Snapshot().NewsTime, L"20261207");
    EXPECT_EQ(reread.Snapshot().AutoRun, L"1");
    EXPECT_EQ(SettingAttributes(ConfigPath()).size(), 7u);
}

// A file that is there but held by another program at start may be intact: it is not written over
// with defaults. Once it can be read, a save keeps its values and adds the change.
TEST_F(SysSettingsTest, AFileThatCannotBeReadIsNotWrittenOverWithDefaults) {
    const std::string kept =
        "<SysSet><Setting AutoRun=\"0\" IsColse=\"1\" IsShow=\"0\" UpdateType=\"0\" NewsUrl=\"n\" AdTime=\"\" "
        "NewsTime=\"\" /></SysSet>";
    WriteConfig(kept);
    HANDLE held = CreateFileW(ConfigPath().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    SysSettings settings;
    settings.LoadSettings(folder.Path());
    settings.SaveAdTime(L"20261207");
    EXPECT_EQ(settings.Snapshot().AdTime, L"20261207") << "the change holds for the session";
    CloseHandle(held);
    EXPECT_EQ(ReadFileBytes(ConfigPath()), kept);

    settings.SaveNewsTime(L"20261208");
    SysSettings reread;
    reread.LoadSettings(folder.Path());
    EXPECT_EQ(reread.Snapshot().IsColse, L"1");
    EXPECT_EQ(reread.Snapshot().NewsUrl, L"n");
    EXPECT_EQ(reread.Snapshot().NewsTime, L"20261208");
    EXPECT_EQ(settings.Snapshot().IsColse, L"1") << "the file's values replace the defaults once it is read";
}

TEST_F(SysSettingsTest, LongValuesAreStoredWhole) {
    SysSettings settings;
    settings.LoadSettings(folder.Path());
    std::wstring url = L"http://127.0.0.1/news?id=" + std::wstring(400, L'新');
    settings.SaveNewsUrl(url);
    SysSettings reread;
    reread.LoadSettings(folder.Path());
    EXPECT_EQ(reread.Snapshot().NewsUrl, url);
}

TEST_F(SysSettingsTest, ConcurrentSavesAllLand) {
    SysSettings settings;
    settings.LoadSettings(folder.Path());
    std::vector<std::thread> threads;
    for (int index = 0; index < 4; ++index) {
        threads.emplace_back([&settings, index] {
            for (int n = 0; n < 10; ++n) {
                std::wstring value = std::to_wstring(index) + L"-" + std::to_wstring(n);
                switch (index) {
                    case 0: settings.SaveNewsUrl(value); break;
                    case 1: settings.SaveAdTime(value); break;
                    case 2: settings.SaveNewsTime(value); break;
                    default: settings.SaveGeneralSettings(L"0", L"1", L"1", L"0"); break;
                }
            }
        });
    }
    for (auto& thread : threads) thread.join();
    SysSettings reread;
    reread.LoadSettings(folder.Path());
    EXPECT_EQ(reread.Snapshot().NewsUrl, L"0-9");
    EXPECT_EQ(reread.Snapshot().AdTime, L"1-9");
    EXPECT_EQ(reread.Snapshot().NewsTime, L"2-9");
    EXPECT_EQ(reread.Snapshot().IsColse, L"1");
}

TEST_F(SysSettingsTest, RunValueHoldsTheWholeQuotedPath) {
    std::wstring path = L"C:\\" + std::wstring(190, L'p') + L"\\L.exe";
    ASSERT_EQ(path.size(), 199u);
    path += L"x";
    SysSettings::SetAutoRunRegistration(true, path);
    std::wstring data;
    ASSERT_TRUE(ReadMachineString(kRunKey, L"Ludora", data));
    EXPECT_EQ(data, L"\"" + path + L"\" AUTORUN");
    EXPECT_TRUE(SysSettings::IsAutoRunRegistered());

    SysSettings::SetAutoRunRegistration(false);
    EXPECT_FALSE(SysSettings::IsAutoRunRegistered());
    EXPECT_FALSE(ReadMachineString(kRunKey, L"Ludora", data));
}

TEST_F(SysSettingsTest, AFullLengthProgramPathStillCountsAsRegistered) {
    SysSettings::SetAutoRunRegistration(true, L"C:\\" + std::wstring(256, L'q'));
    EXPECT_TRUE(SysSettings::IsAutoRunRegistered());
}

// Wine's task scheduler keeps a task registered from XML but drops its logon trigger and run level,
// so these tests see the task's presence; LogonTaskTest checks the definition handed over.
TEST_F(SysSettingsTest, RegistrationIsTheRunValueAndTheLogonTaskTogether) {
    ASSERT_TRUE(SystemScheduledTasks().IsAvailable());
    EXPECT_TRUE(SysSettings::SetAutoRunRegistration(true, L"C:\\Ludora\\Ludora.exe"));
    std::wstring data;
    EXPECT_TRUE(ReadMachineString(kRunKey, L"Ludora", data));
    EXPECT_TRUE(SystemScheduledTasks().Exists(SysSettings::AutoRunTaskName()));

    EXPECT_FALSE(SysSettings::SetAutoRunRegistration(false));
    EXPECT_FALSE(ReadMachineString(kRunKey, L"Ludora", data));
    EXPECT_FALSE(SystemScheduledTasks().Exists(SysSettings::AutoRunTaskName()));

    // Where there is a task scheduler the task answers, whatever the Run value says.
    WriteMachineString(kRunKey, L"Ludora", L"left by the installer");
    EXPECT_FALSE(SysSettings::IsAutoRunRegistered());
}

TEST_F(SysSettingsTest, WithoutATaskSchedulerTheRunValueAnswers) {
    TasklessScheduler none(false);
    EXPECT_TRUE(SysSettings::SetAutoRunRegistration(true, none));
    EXPECT_TRUE(SysSettings::IsAutoRunRegistered(none));
    EXPECT_FALSE(SystemScheduledTasks().Exists(SysSettings::AutoRunTaskName()));
    EXPECT_FALSE(SysSettings::SetAutoRunRegistration(false, none));
    EXPECT_FALSE(SysSettings::IsAutoRunRegistered(none));
}

// The Ludora of another session of the PC saves its own value meanwhile: a save here keeps it.
// A file too big to be a settings file is not read and never written over.
TEST_F(SysSettingsTest, AnotherSessionsSaveStaysAndAnOversizedFileIsKept) {
    SysSettings here;
    here.LoadSettings(folder.Path());
    SysSettings there;
    there.LoadSettings(folder.Path());
    there.SaveAdTime(L"20261208");
    here.SaveNewsTime(L"20261209");
    SysSettings next;
    next.LoadSettings(folder.Path());
    EXPECT_EQ(next.Snapshot().AdTime, L"20261208");
    EXPECT_EQ(next.Snapshot().NewsTime, L"20261209");

    const std::string oversized =
        "<SysSet><Setting IsColse=\"1\" NewsUrl=\"" + std::string(kMaxXmlFileBytes, 'x') + "\" /></SysSet>";
    WriteConfig(oversized);
    SysSettings refusing;
    refusing.LoadSettings(folder.Path());
    EXPECT_EQ(refusing.Snapshot().IsColse, L"0") << "not read: the defaults hold";
    refusing.SaveAdTime(L"20261210");
    EXPECT_TRUE(ReadFileBytes(ConfigPath()) == oversized) << "the file is as it was";
}
