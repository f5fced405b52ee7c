#include "games/GameOrder.h"

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <string>

#include "games/GameSearch.h"
#include "games/PlayHistory.h"

namespace {

// What one game is sorted by: favourites first, then the key of the chosen order, the later or
// longer time first.
struct SortKey {
    bool favourite = false;
    std::wstring name;
    uint64_t time = 0;

    bool operator<(const SortKey& other) const {
        if (favourite != other.favourite) return favourite;
        if (name != other.name) return name < other.name;
        return time > other.time;
    }
};

SortKey KeyOf(const GameRecord& game, const PlayHistory& history) {
    SortKey key;
    key.favourite = history.IsFavourite(game.path);
    switch (history.Order()) {
    case GameOrder::AsInstalled:
        break;
    case GameOrder::ByName:
        key.name = PinyinSortKey(game.name);
        break;
    case GameOrder::ByLastPlayed:
        key.time = history.Find(game.path).lastStarted;
        break;
    case GameOrder::ByTimePlayed:
        key.time = history.Find(game.path).secondsPlayed;
        break;
    }
    return key;
}

}  // namespace

std::vector<std::size_t> ColumnOrder(const std::vector<GameRecord>& games, const PlayHistory& history) {
    std::vector<SortKey> keys;
    keys.reserve(games.size());
    for (const GameRecord& game : games) keys.push_back(KeyOf(game, history));
    std::vector<std::size_t> order(games.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    // Stable: ties, the games never played among them, keep list order.
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return keys[a] < keys[b]; });
    return order;
}
