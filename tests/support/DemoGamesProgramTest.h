#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>

#include "tests/support/DemoGames.h"
#include "tests/support/LocalService.h"
#include "tests/support/LudoraProcess.h"
#include "tests/support/MyGamesPage.h"
#include "tests/support/ProgramWindows.h"
#include "tests/support/TestFolder.h"

// The real program over the demo games installed in the registry, a fresh data folder whose
// settings keep the pop-ups quiet, and the local service on its default port.
class DemoGamesProgramTest : public ::testing::Test {
protected:
    static constexpr unsigned short kServicePort = 18360;

    void SetUp() override {
        ASSERT_TRUE(service_.Running());
        service_.Reset();
        // No pop-up over the page: one shown while a menu is open would close the menu.
        for (const char* key : {"getPop-news", "getPop-ad"}) service_.Answer(key, "#fail#");
        ClearProgramData();
        CreateDirectoryW(ProgramDataFolder().c_str(), nullptr);
        CreateDirectoryW((ProgramDataFolder() + L"\\Patchs").c_str(), nullptr);
        WriteFileBytes(ProgramDataFolder() + L"\\config.xml",
                       "<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"yes\" ?>\n<SysSet><Setting AutoRun=\"0\" "
                       "IsColse=\"0\" IsShow=\"0\" UpdateType=\"0\" NewsUrl=\"\" AdTime=\"\" NewsTime=\"\" /></SysSet>\n");
    }
    void TearDown() override {
        if (program_) program_->Terminate();
        DemoGames::EndRunning();
        ClearProgramData();
    }

    // Starts the program (the built Ludora.exe, or another build of it); its main window once
    // shown, with `page_` on it.
    HWND Start(const std::wstring& program = L"") {
        program_ = std::make_unique<LudoraProcess>(L"", program);
        HWND window = WaitForShownMainWindow(*program_);
        if (window != nullptr) page_ = std::make_unique<MyGamesPage>(window, program_->Id());
        return window;
    }

    LocalService service_{kServicePort};
    DemoGames games_;
    std::unique_ptr<LudoraProcess> program_;
    std::unique_ptr<MyGamesPage> page_;
};
