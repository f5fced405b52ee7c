#pragma once
#include <string>

#include "tests/games/InstalledGameKeys.h"
#include "tests/support/TestFolder.h"

// Three demo games installed as their installers leave them: a folder with the game and its
// uninstaller, and an uninstall key with the game's path, uninstall command, name and ID (11 to
// 13). The first game's executable lies outside its folder, where its uninstaller does not reach.
// A fourth copy of the game waits to be added by hand. Built with the targets that define
// DEMOGAME_EXE and DEMOUNINSTALL_EXE.
class DemoGames {
public:
    DemoGames();

    std::wstring Folder(int game) const { return root_.File(L"game" + std::to_wstring(game)); }
    std::wstring KeyName(int game) const { return keys_.Marker() + L"LDGame_" + std::to_wstring(game); }
    // The name its uninstall key gives game 1 to 3.
    std::wstring Name(int game) const { return keys_.Name(L"游戏" + std::to_wstring(game)); }
    std::wstring HandGame() const { return root_.File(L"hand\\hand.exe"); }
    std::wstring KeptFolder() const { return root_.File(L"kept"); }
    std::wstring KeptGame() const { return KeptFolder() + L"\\game1.exe"; }
    // Where the uninstallers write their command lines.
    std::wstring UninstallLog() const { return root_.File(L"uninstall-log.txt"); }
    // Whether the game's uninstall key is still there.
    bool KeyExists(int game) const;

    // The games the program started run on, holding the test's output open: they end here.
    static void EndRunning();

private:
    void Install(int game);
    InstalledGameKeys::Values Values(int game, const std::wstring& path) const;

    TestFolder root_;
    InstalledGameKeys keys_;
};
