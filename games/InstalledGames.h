#pragma once

class GameList;

// Appends one record (type 1) per installed game that the maker's installers registered under the
// machine-wide uninstall key (32-bit view): every subkey whose name contains "LDGame_". Returns 1
// when the uninstall key could be opened, 0 when not.
int DiscoverInstalledGames(GameList& list);
