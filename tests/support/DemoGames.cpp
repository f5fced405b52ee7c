#include "tests/support/DemoGames.h"

#include <windows.h>

#include "tests/support/LudoraProcess.h"

namespace {

void CopyDemo(const wchar_t* built, const std::wstring& to) { CopyFileW(HostPathToWindows(built).c_str(), to.c_str(), FALSE); }

}  // namespace

DemoGames::DemoGames() {
    for (int game = 1; game <= 3; ++game) Install(game);
    CreateDirectoryW(KeptFolder().c_str(), nullptr);
    CopyDemo(DEMOGAME_EXE, KeptGame());
    keys_.Add(L"LDGame_1", Values(1, KeptGame()));
    keys_.Add(L"LDGame_2", Values(2, Folder(2) + L"\\demogame.exe"));
    keys_.Add(L"LDGame_3", Values(3, Folder(3) + L"\\demogame.exe"));
    CreateDirectoryW(root_.File(L"hand").c_str(), nullptr);
    CopyDemo(DEMOGAME_EXE, HandGame());
}

bool DemoGames::KeyExists(int game) const {
    std::wstring name;
    return ReadMachineString(L"SoftWare\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + KeyName(game),
                             L"DisplayName", name);
}

void DemoGames::EndRunning() {
    while (HWND game = FindWindowW(L"LudoraDemoGame", nullptr)) {
        DWORD id = 0;
        GetWindowThreadProcessId(game, &id);
        HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
        if (process == nullptr) return;
        TerminateProcess(process, 0);
        WaitForSingleObject(process, 5000);
        CloseHandle(process);
    }
}

void DemoGames::Install(int game) {
    CreateDirectoryW(Folder(game).c_str(), nullptr);
    CopyDemo(DEMOGAME_EXE, Folder(game) + L"\\demogame.exe");
    CopyDemo(DEMOUNINSTALL_EXE, Folder(game) + L"\\demouninstall.exe");
}

// The installer's values: a quoted uninstaller with a switch, the game's folder and key.
InstalledGameKeys::Values DemoGames::Values(int game, const std::wstring& path) const {
    std::wstring uninstall =
        L"\"" + Folder(game) + L"\\demouninstall.exe\" /S \"" + Folder(game) + L"\" " + KeyName(game);
    return {{L"GamePath", path},
            {L"UninstallString", uninstall},
            {L"DisplayName", Name(game)},
            {L"DisplayID", std::to_wstring(10 + game)}};
}
