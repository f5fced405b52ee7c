#include "UiLib/controls/UIListBody.h"

namespace UiLib {

void CListBodyUI::SetScrollPos(SIZE position) {
    LONG oldX = GetScrollPos().cx;
    CVerticalLayoutUI::SetScrollPos(position);
    if (GetScrollPos().cx != oldX && owner_) owner_->NeedUpdate();
}

}  // namespace UiLib
