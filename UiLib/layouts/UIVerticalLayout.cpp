#include "UiLib/layouts/UIVerticalLayout.h"

#include "UiLib/Utils/AttributeValue.h"
#include "UiLib/layouts/BoxLayout.h"

namespace UiLib {

const wchar_t* CVerticalLayoutUI::GetClass() const { return L"VerticalLayoutUI"; }

void* CVerticalLayoutUI::GetInterface(const std::wstring& name) {
    if (name == L"VerticalLayout") return this;
    return CContainerUI::GetInterface(name);
}

void CVerticalLayoutUI::SetPos(RECT rect) {
    CControlUI::SetPos(rect);
    RECT inner = InnerRect();
    if (items_.IsEmpty()) {
        ProcessScrollBar(inner, 0, 0);
        return;
    }
    SIZE available{inner.right - inner.left, inner.bottom - inner.top};
    if (horizontalScrollBar_ && horizontalScrollBar_->IsVisible())
        available.cx += horizontalScrollBar_->GetScrollRange();
    BoxLayoutInput input{BoxAxis::Vertical, inner, available, GetScrollPos(), childPadding_};
    int required = ArrangeBox(input, *this, [this](int index) { SetFloatPos(index); });
    ProcessScrollBar(inner, 0, required);
}

void CVerticalLayoutUI::SetAttribute(const std::wstring& name, const std::wstring& value) {
    if (name == L"sepheight") SetSepHeight(static_cast<int>(ParseIntValue(value.c_str())));
    else if (name == L"sepimm") SetSepImmMode(ParseBoolValue(value.c_str()));
    else CContainerUI::SetAttribute(name, value);
}

}  // namespace UiLib
