#pragma once
#include <cstdint>
#include <string>

// One game of the list: found in the registry (type 1) or added by hand (type 0).
struct GameRecord {
    std::wstring name;
    std::wstring path;             // full path of the game's executable
    std::wstring uninstallString;  // the uninstaller's command line; empty for hand-added games
    int32_t type = 0;
    int32_t id = 0;  // the game's number on the portal, 0 when it has none
};

// Reads a game number the way the installers and the file have always written it: leading
// blanks and a sign, then digits up to the first other character; no digits give 0. Values
// beyond 32 bits are held at the nearest limit.
int32_t ParseGameNumber(const char* text);
int32_t ParseGameNumber(const wchar_t* text);
