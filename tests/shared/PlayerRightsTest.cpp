// What is started for the player: links handed to the browser, command lines built for programs.
#include "shared/PlayerRights.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/LudoraProcess.h"
#include "tests/support/TestFolder.h"

namespace {

// The "open" command of a link scheme replaced for the life of the object, then put back.
class RegisteredCommand {
public:
    RegisteredCommand(const std::wstring& scheme, const std::wstring& command)
        : key_(L"Software\\Classes\\" + scheme + L"\\shell\\open\\command") {
        DWORD size = 0;
        if (RegGetValueW(HKEY_LOCAL_MACHINE, key_.c_str(), nullptr, RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ |
                         RRF_NOEXPAND, &type_, nullptr, &size) == ERROR_SUCCESS) {
            previous_.resize(size);
            had_ = RegGetValueW(HKEY_LOCAL_MACHINE, key_.c_str(), nullptr,
                                RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, &type_, previous_.data(),
                                &size) == ERROR_SUCCESS;
        }
        Write(REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()), (command.size() + 1) * sizeof(wchar_t));
    }
    ~RegisteredCommand() {
        if (had_) Write(type_, previous_.data(), previous_.size());
        else RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, key_.c_str(), nullptr);
    }

private:
    void Write(DWORD type, const BYTE* data, size_t size) {
        HKEY key = nullptr;
        if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, key_.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
            ERROR_SUCCESS)
            return;
        RegSetValueExW(key, nullptr, 0, type, data, static_cast<DWORD>(size));
        RegCloseKey(key);
    }

    std::wstring key_;
    std::vector<BYTE> previous_;
    DWORD type_ = REG_SZ;
    bool had_ = false;
};

}  // namespace

// A stand-in browser registered for http and https records what it is given: only web links
// reach it, each as one argument whatever a page put into it.
TEST(PlayerRightsTest, OnlyWebLinksReachTheBrowserAndEachAsOneArgument) {
    TestFolder folder;
    const std::wstring browser = folder.File(L"web browser.exe");
    ASSERT_TRUE(CopyFileW(TestHelperPath(L"app/record_start.exe").c_str(), browser.c_str(), FALSE));
    const std::wstring record = browser + L".started";
    RegisteredCommand http(L"http", L"\"" + browser + L"\" %1");
    RegisteredCommand https(L"https", L"\"" + browser + L"\" --single \"%1\"");

    for (const wchar_t* refused : {L"file:///C:/windows/notepad.exe", L"\\\\server\\share\\run.exe", L"javascript:go()",
                                   L"mailto:a@example.test", L"C:\\windows\\notepad.exe", L"http://", L"httpx://a"})
        EXPECT_FALSE(OpenWebLinkAsPlayer(refused)) << std::string(refused, refused + wcslen(refused));
    EXPECT_FALSE(FileExists(record));

    ASSERT_TRUE(OpenWebLinkAsPlayer(L"http://example.test/a b\"c\\\" --flag"));
    ASSERT_TRUE(WaitUntil([&] { return !ReadFileBytes(record).empty(); }));
    EXPECT_EQ(ReadFileBytes(record), "http://example.test/a%20b%22c%5C%22%20--flag");
    DeleteFileW(record.c_str());

    ASSERT_TRUE(OpenWebLinkAsPlayer(L"HTTPS://example.test/news?id=1&x=%41"));
    ASSERT_TRUE(WaitUntil([&] { return !ReadFileBytes(record).empty(); }));
    EXPECT_EQ(ReadFileBytes(record), "--single \"HTTPS://example.test/news?id=1&x=%41\"");
}

TEST(PlayerRightsTest, ArgumentsAreQuotedSoThatTheyStayWhole) {
    EXPECT_EQ(QuoteArgument(L"C:\\Games\\run.exe"), L"C:\\Games\\run.exe");
    EXPECT_EQ(QuoteArgument(L"C:\\My Games\\"), L"\"C:\\My Games\\\\\"") << "a closing backslash escapes nothing";
    EXPECT_EQ(QuoteArgument(L"say \"hi\""), L"\"say \\\"hi\\\"\"");
    EXPECT_EQ(QuoteArgument(L""), L"\"\"");
}
