#pragma once
#include <windows.h>

#include <optional>
#include <string>

#include "shared/PlayerRights.h"
#include "shared/ScopedHandle.h"

// What the player can do with one game, apart from its button: start it, open its folder, run
// its uninstaller and wait for it.

// One spelling for every way of writing the same path: native separators, lower case.
std::wstring PathKey(const std::wstring& path);
// The folder of a native path: the text before its last "\", with a drive's root kept whole
// ("C:\game.exe" → "C:\"); empty when there is no "\".
std::wstring FolderOf(const std::wstring& path);

// Games, their folders and their uninstallers start with the player's normal rights, never the
// manager's administrator rights (shared/PlayerRights.h).

// Starts the game at `path` (a program, a shortcut or a document) in its own folder and hands
// back its process, for the caller to wait for. Nullopt when the file does not exist; a null
// handle when nothing was started.
std::optional<ScopedHandle> StartGame(const std::wstring& path);
// Opens the folder of `path` in the shell; false when the shell could not.
bool OpenGameFolder(const std::wstring& path);

// Starts the uninstaller of `uninstallString` in its own folder, without handing it any of the
// manager's handles. Null when its executable does not exist or cannot be started; `missing`
// tells which.
ScopedHandle StartUninstaller(const std::wstring& uninstallString, bool& missing);

// Waits for an uninstaller that hands the real work to a second process and ends with that
// process's identifier as its exit code, then for the second process. False when the second
// process cannot be opened (no hand-over): the uninstall is then over as far as the manager sees.
bool WaitForUninstall(HANDLE uninstaller);

// Whether a game's files are gone after its uninstall: neither its executable nor its
// uninstaller's executable exists any more.
bool GameFilesGone(const std::wstring& path, const std::wstring& uninstallString);
