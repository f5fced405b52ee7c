#include "games/GameButtonUI.h"

#include <oleacc.h>

#include <string>

#include "UiLib/core/UIManager.h"

using namespace UiLib;

DWORD CGameButtonUI::GetAccessibleRole() const { return ROLE_SYSTEM_LISTITEM; }

void CGameButtonUI::SetIcon(HICON icon, bool known) {
    if (icon == icon_ && known == iconKnown_) return;
    icon_ = icon;
    iconKnown_ = known;
    Invalidate();
}

void CGameButtonUI::DoEvent(UiEvent& event) {
    const bool gameKey = event.chKey == VK_UP || event.chKey == VK_DOWN || event.chKey == VK_RETURN;
    if (event.Type == UIEVENT_KEYDOWN && gameKey) {
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
    const LONG top = rcItem_.top + (rcItem_.bottom - rcItem_.top - kIconSize) / 2;
    return RECT{rcItem_.left + kIconLeft, top, rcItem_.left + kIconLeft + kIconSize, top + kIconSize};
}

void CGameButtonUI::PaintStatusImage(HDC dc) {
    COptionUI::PaintStatusImage(dc);
    if (!iconKnown_) return;
    const RECT icon = IconRect();
    if (icon_) {
        ::DrawIconEx(dc, icon.left, icon.top, icon_, kIconSize, kIconSize, 0, nullptr, DI_NORMAL);
        return;
    }
    const RECT dest{icon.left - rcItem_.left, icon.top - rcItem_.top, icon.right - rcItem_.left,
                    icon.bottom - rcItem_.top};
    DrawImage(dc, std::wstring(L"file='") + kNeutralIcon + L"' dest='" + std::to_wstring(dest.left) + L"," +
                      std::to_wstring(dest.top) + L"," + std::to_wstring(dest.right) + L"," +
                      std::to_wstring(dest.bottom) + L"'");
}
