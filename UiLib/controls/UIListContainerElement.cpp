#include "UiLib/controls/UIListContainerElement.h"

#include "UiLib/tree/ControlRegistry.h"

namespace UiLib {

UILIB_REGISTER_CONTROL(L"ListContainerElement", CListContainerElementUI);

const wchar_t* CListContainerElementUI::GetClass() const { return L"ListContainerElementUI"; }

void* CListContainerElementUI::GetInterface(const std::wstring& name) {
    if (void* item = ListItemInterface(name)) return item;
    if (name == L"ListContainerElement") return static_cast<CListContainerElementUI*>(this);
    return CHorizontalLayoutUI::GetInterface(name);
}

void CListContainerElementUI::DoPaint(HDC dc, const RECT& paint) {
    if (!::IntersectRect(&rcPaint_, &paint, &rcItem_)) return;
    DrawItemBk(dc);
    CHorizontalLayoutUI::DoPaint(dc, paint);
}

}  // namespace UiLib
