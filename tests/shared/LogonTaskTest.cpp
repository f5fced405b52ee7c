// The definition of the start-with-Windows logon task. Wine's task scheduler keeps a task
// registered from XML but drops its logon trigger and run level, so the definition is checked here
// as text and the task's presence under Wine in SysSettingsTest.
#include "shared/LogonTask.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include "shared/TextConvert.h"

namespace {

// The text of the element at `path` below the root ("Triggers/LogonTrigger/UserId"); "?" when absent.
std::string TextAt(const TiXmlDocument& document, const std::string& path) {
    TiXmlHandle node(const_cast<TiXmlElement*>(document.RootElement()));
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string::npos) end = path.size();
        node = node.FirstChildElement(path.substr(start, end - start).c_str());
        start = end + 1;
    }
    const char* text = node.ToElement() ? node.ToElement()->GetText() : nullptr;
    return text ? text : "?";
}

TiXmlDocument Parse(const std::wstring& xml) {
    TiXmlDocument document;
    document.Parse(WideToUtf8(xml).c_str(), nullptr, TIXML_ENCODING_UTF8);
    EXPECT_FALSE(document.Error()) << document.ErrorDesc();
    return document;
}

}  // namespace

TEST(LogonTaskTest, StartsTheProgramHiddenAtTheUsersLogonWithTheHighestRights) {
    const std::wstring sid = L"S-1-5-21-1-2-3-1001";
    TiXmlDocument task = Parse(LogonTaskXml(sid, L"C:\\Program Files\\Ludora\\Ludora.exe", L"AUTORUN"));
    ASSERT_NE(task.RootElement(), nullptr);
    EXPECT_STREQ(task.RootElement()->Value(), "Task");
    EXPECT_STREQ(task.RootElement()->Attribute("xmlns"), "http://schemas.microsoft.com/windows/2004/02/mit/task");

    EXPECT_EQ(TextAt(task, "Triggers/LogonTrigger/UserId"), "S-1-5-21-1-2-3-1001");
    EXPECT_EQ(TextAt(task, "Triggers/LogonTrigger/Enabled"), "true");
    EXPECT_EQ(TextAt(task, "Principals/Principal/UserId"), "S-1-5-21-1-2-3-1001");
    EXPECT_EQ(TextAt(task, "Principals/Principal/LogonType"), "InteractiveToken");
    EXPECT_EQ(TextAt(task, "Principals/Principal/RunLevel"), "HighestAvailable");
    EXPECT_EQ(TextAt(task, "Actions/Exec/Command"), "C:\\Program Files\\Ludora\\Ludora.exe");
    EXPECT_EQ(TextAt(task, "Actions/Exec/Arguments"), "AUTORUN");
    // A program that lives in the tray is neither stopped after a time nor kept from a laptop on battery.
    EXPECT_EQ(TextAt(task, "Settings/ExecutionTimeLimit"), "PT0S");
    EXPECT_EQ(TextAt(task, "Settings/DisallowStartIfOnBatteries"), "false");
    EXPECT_EQ(TextAt(task, "Settings/StopIfGoingOnBatteries"), "false");
}

TEST(LogonTaskTest, MarkupCharactersOfThePathAreEscaped) {
    TiXmlDocument task = Parse(LogonTaskXml(L"S-1-5-21-9", L"D:\\R&D 游戏's\\Ludora.exe", L"AUTORUN"));
    EXPECT_EQ(TextAt(task, "Actions/Exec/Command"), u8"D:\\R&D 游戏's\\Ludora.exe");
}
