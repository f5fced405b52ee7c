#pragma once
#include <cstddef>
#include <vector>

#include "games/GameRecord.h"

class PlayHistory;

// The order of the game column, as indices into `games`: the player's favourites first, then the
// others, each part in the history's order (GameOrder); games that tie keep list order.
std::vector<std::size_t> ColumnOrder(const std::vector<GameRecord>& games, const PlayHistory& history);
