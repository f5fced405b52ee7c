#pragma once
#include "games/GameRecord.h"

// What the add-game dialog needs of the my-games page's controller: a button for the game it has just
// stored.
class IGameButtonHost {
public:
    virtual void AddGameButton(GameRecord record) = 0;

protected:
    ~IGameButtonHost() = default;
};
