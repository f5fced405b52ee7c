#include "UiLib/controls/UIListBody.h"

#include <oleacc.h>

namespace UiLib {

DWORD CListBodyUI::GetAccessibleRole() const { return ROLE_SYSTEM_CLIENT; }

void CListBodyUI::SetScrollPos(SIZE position) {
    LONG oldX = GetScrollPos().cx;
    CVerticalLayoutUI::SetScrollPos(position);
    if (GetScrollPos().cx != oldX && owner_) owner_->NeedUpdate();
}

}  // namespace UiLib
