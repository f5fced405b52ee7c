#include "games/GameButtonUI.h"

#include <oleacc.h>

#include <string>

#include "UiLib/core/UIManager.h"
#include "UiLib/render/UIRender.h"
#include "games/GameColumnUI.h"

using namespace UiLib;

DWORD CGameButtonUI::GetAccessibleRole() const { return ROLE_SYSTEM_LISTITEM; }

void CGameButtonUI::SetIcon(HICON icon, bool known) {
    if (icon == icon_ && known == iconKnown_) return;
    icon_ = icon;
    iconKnown_ = known;
    Invalidate();
}

void CGameButtonUI::SetRoomOfHiddenRows(int above, int below) {
    roomAbove_ = above;
    roomBelow_ = below;
}

RECT CGameButtonUI::GetPadding() const {
    RECT padding = COptionUI::GetPadding();
    padding.top += roomAbove_;
    padding.bottom += roomBelow_;
    return padding;
}

void CGameButtonUI::SetFavourite(bool favourite) {
    if (favourite == favourite_) return;
    favourite_ = favourite;
    Invalidate();
}

void CGameButtonUI::DoEvent(UiEvent& event) {
    if (event.Type == UIEVENT_KEYDOWN && IsGameKey(event.chKey)) {
        // The handler may remove this button: the host is taken first.
        CControlHost* manager = GetManager();
        if (!manager) return;
        gameKeyPressed_.Emit(event.chKey);
        manager->SendNotify(this, L"gamekey", event.chKey);
        return;
    }
    COptionUI::DoEvent(event);
}

RECT CGameButtonUI::IconRect() const {
    const CDpiScale dpi = DpiScale();
    const int size = dpi.Scale(kIconSize);
    const LONG left = rcItem_.left + dpi.Scale(kIconLeft);
    const LONG top = rcItem_.top + (rcItem_.bottom - rcItem_.top - size) / 2;
    return RECT{left, top, left + size, top + size};
}

void CGameButtonUI::PaintStatusImage(HDC dc) {
    COptionUI::PaintStatusImage(dc);
    if (iconKnown_) {
        const RECT icon = IconRect();
        if (icon_)
            ::DrawIconEx(dc, icon.left, icon.top, icon_, icon.right - icon.left, icon.bottom - icon.top, 0, nullptr,
                         DI_NORMAL);
        else
            CSkinRenderer::DrawImageString(dc, SkinResources(), icon, rcPaint_, kNeutralIcon, std::wstring(), DpiScale());
    }
    if (favourite_) PaintFavouriteMark(dc);
}

// Over the icon's lower right corner, where it hides no text.
void CGameButtonUI::PaintFavouriteMark(HDC dc) const {
    const RECT icon = IconRect();
    const int size = DpiScale().Scale(kFavouriteMarkSize);
    const int overhang = DpiScale().Scale(3);
    const RECT mark{icon.right + overhang - size, icon.bottom + overhang - size, icon.right + overhang,
                    icon.bottom + overhang};
    CSkinRenderer::DrawImageString(dc, SkinResources(), mark, rcPaint_, kFavouriteMark, std::wstring(), DpiScale());
}
