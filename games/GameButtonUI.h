#pragma once
#include <windows.h>

#include <functional>

#include "UiLib/Utils/Signal.h"
#include "UiLib/controls/UIOption.h"

// One game's button in the my-games column: an option of the column's group with the game's own
// icon (or the neutral picture when it has none) beside its name, and a star on the icon's corner
// for a favourite. The keys that act on a game, Up, Down, Home, End, Page Up, Page Down, Enter,
// reach the page through OnGameKey (and a "gamekey" notification) carrying the key.
class CGameButtonUI : public UiLib::COptionUI {
public:
    static constexpr int kIconSize = 20;
    static constexpr int kIconLeft = 8;
    static constexpr const wchar_t* kNeutralIcon = L"gameicon.png";
    static constexpr const wchar_t* kFavouriteMark = L"favourite.png";
    static constexpr int kFavouriteMarkSize = 11;

    const wchar_t* GetClass() const override { return L"GameButtonUI"; }
    // An item of the column's list of games, named by the game.
    DWORD GetAccessibleRole() const override;
    // Only a plain option takes clicks in a caption band.
    UiLib::UiCaptionRole GetCaptionRole() const override { return UiLib::UiCaptionRole::None; }

    // The icon is kept by the icon cache; `known` is false while it is still being read, when
    // nothing is drawn in its place.
    void SetIcon(HICON icon, bool known);
    void SetFavourite(bool favourite);
    // Called where "gamekey" goes out, just before it, with the key.
    [[nodiscard]] UiLib::CSubscription OnGameKey(std::function<void(UINT key)> handler) {
        return gameKeyPressed_.Connect(std::move(handler));
    }
    // The room, in the window's pixels, of the column's rows without a button just above and
    // below this one: the layout keeps it as padding.
    void SetRoomOfHiddenRows(int above, int below);
    RECT GetPadding() const override;
    void DoEvent(UiLib::UiEvent& event) override;
    void PaintStatusImage(HDC dc) override;

private:
    RECT IconRect() const;
    void PaintFavouriteMark(HDC dc) const;

    UiLib::CSignal<UINT> gameKeyPressed_;
    HICON icon_ = nullptr;
    bool iconKnown_ = false;
    int roomAbove_ = 0;
    int roomBelow_ = 0;
    bool favourite_ = false;
};
