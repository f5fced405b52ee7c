#include <windows.h>

#include <gtest/gtest.h>

#include "UiLib/core/UIManager.h"

namespace {

DWORD RunHelper(const wchar_t* argument) {
    std::wstring commandLine = L"stack_guard_helper.exe " + std::wstring(argument);
    const std::wstring helper = UiLib::CPaintManagerUI::GetInstancePath() + L"stack_guard_helper.exe";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(helper.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &process))
        return 0;
    ::WaitForSingleObject(process.hProcess, 20000);
    DWORD exitCode = 0;
    ::GetExitCodeProcess(process.hProcess, &exitCode);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return exitCode;
}

}  // namespace

// Each process has a guard of its own, and a buffer overrun on the stack ends the process before
// the overwritten return address is used.
TEST(StackGuard, IsSeededPerProcessAndStopsAnOverrun) {
    const DWORD first = RunHelper(L"guard");
    const DWORD second = RunHelper(L"guard");
    EXPECT_NE(first, 0u);
    EXPECT_NE(first, second);
    EXPECT_EQ(RunHelper(L"overrun"), static_cast<DWORD>(STATUS_STACK_BUFFER_OVERRUN));
}
