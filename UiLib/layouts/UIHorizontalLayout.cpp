#include "UiLib/layouts/UIHorizontalLayout.h"

#include "UiLib/Utils/AttributeValue.h"
#include "UiLib/layouts/BoxLayout.h"

namespace UiLib {

const wchar_t* CHorizontalLayoutUI::GetClass() const { return L"HorizontalLayoutUI"; }

void* CHorizontalLayoutUI::GetInterface(const std::wstring& name) {
    if (name == L"HorizontalLayout") return this;
    return CContainerUI::GetInterface(name);
}

void CHorizontalLayoutUI::SetPos(RECT rect) {
    CControlUI::SetPos(rect);
    RECT inner = InnerRect();
    if (items_.IsEmpty()) {
        ProcessScrollBar(inner, 0, 0);
        return;
    }
    SIZE available{inner.right - inner.left, inner.bottom - inner.top};
    if (verticalScrollBar_ && verticalScrollBar_->IsVisible())
        available.cy += verticalScrollBar_->GetScrollRange();
    BoxLayoutInput input{BoxAxis::Horizontal, inner, available, GetScrollPos(), childPadding_};
    ArrangeBox(input, *this, [this](int index) { SetFloatPos(index); });
    // A row never scrolls its content; only a horizontal bar below it is placed.
    ProcessScrollBar(inner, 0, 0);
}

void CHorizontalLayoutUI::SetAttribute(const std::wstring& name, const std::wstring& value) {
    if (name == L"sepwidth") SetSepWidth(static_cast<int>(ParseIntValue(value.c_str())));
    else if (name == L"sepimm") SetSepImmMode(ParseBoolValue(value.c_str()));
    else CContainerUI::SetAttribute(name, value);
}

}  // namespace UiLib
