#include "UiLib/controls/UIListHeader.h"

#include <algorithm>

#include "UiLib/render/SkinResources.h"
#include "UiLib/tree/ControlHost.h"
#include "UiLib/tree/ControlRegistry.h"

namespace UiLib {

UILIB_REGISTER_CONTROL(L"ListHeader", CListHeaderUI);

const wchar_t* CListHeaderUI::GetClass() const { return L"ListHeaderUI"; }

void* CListHeaderUI::GetInterface(const std::wstring& name) {
    if (name == L"ListHeader") return this;
    return CHorizontalLayoutUI::GetInterface(name);
}

SIZE CListHeaderUI::EstimateSize(SIZE available) {
    SIZE size{0, GetFixedHeight()};
    if (size.cy == 0 && manager_) {
        for (int i = 0; i < GetCount(); ++i) size.cy = std::max(size.cy, GetItemAt(i)->EstimateSize(available).cy);
        size.cy = std::max<LONG>(size.cy, manager_->GetResources().GetDefaultFontInfo().tm.tmHeight + DpiScale().Scale(6));
    }
    for (int i = 0; i < GetCount(); ++i) size.cx += GetItemAt(i)->EstimateSize(available).cx;
    return size;
}

}  // namespace UiLib
