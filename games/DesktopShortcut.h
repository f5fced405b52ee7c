#pragma once
#include <string>

#include "games/GameRecord.h"

// A shortcut on the player's desktop that starts a game through the program, so that its play is
// timed: it runs `program` with `--start "<name>"` and shows the game's own icon.

// The shortcut's file name for a game: its name with what a file name cannot hold replaced by
// "_", without blanks and dots at its ends, never a device name, never empty, followed by ".lnk".
std::wstring ShortcutFileName(const std::wstring& gameName);

// Makes "<name>.lnk" on the player's desktop, replacing a shortcut of that name, and returns its
// path; empty when it could not be made.
std::wstring CreateDesktopShortcut(const GameRecord& game, const std::wstring& program);
