// The message box in a program that carries no skin archive: it keeps the skin configuration it
// finds, and without its layout it still tells the user through the system's message box.
#include <gtest/gtest.h>

#include <thread>

#include "UiLib/core/UIManager.h"
#include "UiLib/tree/UIControl.h"
#include "shared/MyMessageBox.h"
#include "tests/support/LudoraProcess.h"
#include "tests/support/TestFolder.h"

using namespace UiLib;

namespace {

HWND FindBox() {
    HWND box = nullptr;
    while ((box = ::FindWindowExW(nullptr, box, CMyMessageBox::kWindowClassName, nullptr)) != nullptr) {
        DWORD process = 0;
        ::GetWindowThreadProcessId(box, &process);
        if (process == ::GetCurrentProcessId()) return box;
    }
    return nullptr;
}

class MyMessageBoxFallbackTest : public ::testing::Test {
protected:
    void SetUp() override { CPaintManagerUI::SetInstance(::GetModuleHandleW(nullptr)); }
    void TearDown() override { CPaintManagerUI::SetResourcePath(nullptr); }
};

TEST_F(MyMessageBoxFallbackTest, WithoutItsLayoutTheSystemBoxTellsTheSame) {
    TestFolder emptySkin;
    CPaintManagerUI::SetResourcePath(emptySkin.Path().c_str());
    MessageBoxWindow seen;
    std::thread answer([&seen] {
        WaitUntil([&] { return !(seen = FindMessageBox(::GetCurrentProcessId())).text.empty(); }, 20000);
        if (seen.hwnd != nullptr) ::PostMessageW(seen.hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    });
    int result = ShowMyMessageBox(nullptr, L"启动卸载失败.", L"请检查游戏设置稍后重试!", L"提示",
                                  CMyMessageBox::kIconError);
    answer.join();
    EXPECT_EQ(seen.caption, L"提示");
    EXPECT_EQ(seen.text, L"启动卸载失败.\n请检查游戏设置稍后重试!");
    EXPECT_EQ(seen.threadId, ::GetCurrentThreadId());
    EXPECT_EQ(result, 2);
    EXPECT_EQ(FindBox(), nullptr);
}

// Reads the first line of the box and answers it with Escape.
std::wstring g_shownText;
VOID CALLBACK ReadAndEscape(HWND, UINT, UINT_PTR, DWORD) {
    HWND box = FindBox();
    if (box == nullptr) return;
    auto* object = static_cast<CMyMessageBox*>(reinterpret_cast<CWindowWnd*>(::GetWindowLongPtrW(box, GWLP_USERDATA)));
    if (CControlUI* text1 = object->GetPaintManager().FindControl(L"text1")) g_shownText = text1->GetText();
    ::PostMessageW(box, WM_KEYDOWN, VK_ESCAPE, 1);
}

TEST_F(MyMessageBoxFallbackTest, WithoutTheArchiveTheConfiguredSkinFolderServes) {
    CPaintManagerUI::SetResourcePath(SKIN_SOURCE_DIR);
    UINT_PTR timer = ::SetTimer(nullptr, 0, 25, &ReadAndEscape);
    int result = ShowMyMessageBox(nullptr, L"游戏名称已存在.", L"请重新输入游戏名称!", L"提示",
                                  CMyMessageBox::kIconError);
    ::KillTimer(nullptr, timer);
    EXPECT_EQ(result, 2);
    EXPECT_EQ(g_shownText, L"游戏名称已存在.");
    EXPECT_TRUE(CPaintManagerUI::GetResourceZip().empty());
    EXPECT_EQ(CPaintManagerUI::GetResourcePath(), std::wstring(SKIN_SOURCE_DIR));
}

}  // namespace
