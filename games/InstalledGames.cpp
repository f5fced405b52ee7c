#include "games/InstalledGames.h"

#include <windows.h>

#include <cwchar>
#include <memory>

#include "games/GameList.h"
#include "shared/ScopedHandle.h"

namespace {

const wchar_t kUninstallKey[] = L"SoftWare\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const wchar_t kGameMarker[] = L"LDGame_";
// The installers' values are taken only when they fit in 255 characters and their terminator.
const DWORD kValueBytes = 512;
const DWORD kSubkeyNameChars = 512;

// The text of a value up to its first NUL; empty when it is missing or does not fit.
std::wstring ReadValue(HKEY key, const wchar_t* name) {
    wchar_t buffer[kValueBytes / sizeof(wchar_t) + 1] = {};  // one more: always terminated
    DWORD size = kValueBytes;
    if (RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size) != ERROR_SUCCESS)
        return {};
    return buffer;
}

GameRecord ReadInstalledGame(HKEY key) {
    GameRecord record;
    record.path = ReadValue(key, L"GamePath");
    record.uninstallString = ReadValue(key, L"UninstallString");
    record.name = ReadValue(key, L"DisplayName");
    record.id = ParseGameNumber(ReadValue(key, L"DisplayID").c_str());
    record.type = 1;
    return record;
}

DWORD SubkeyCount(HKEY key) {
    DWORD count = 0;
    if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr, nullptr, nullptr,
                         nullptr, nullptr) != ERROR_SUCCESS)
        return 0;
    return count;
}

}  // namespace

int DiscoverInstalledGames(GameList& list) {
    ScopedRegistryKey uninstall = OpenRegistryKey(HKEY_LOCAL_MACHINE, kUninstallKey, KEY_READ | KEY_WOW64_32KEY);
    if (!uninstall) return 0;
    const DWORD count = SubkeyCount(uninstall.get());
    for (DWORD index = 0; index < count; ++index) {
        wchar_t name[kSubkeyNameChars] = {};
        DWORD length = kSubkeyNameChars;
        // A failed read (a key removed meanwhile) must not repeat the previous subkey.
        if (RegEnumKeyExW(uninstall.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            continue;
        if (wcsstr(name, kGameMarker) == nullptr) continue;
        ScopedRegistryKey game = OpenRegistryKey(uninstall.get(), name, KEY_READ);
        if (game) list.games.push_back(ReadInstalledGame(game.get()));
    }
    return 1;
}
