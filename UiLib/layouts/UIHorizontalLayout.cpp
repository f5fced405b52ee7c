#include "UiLib/layouts/UIHorizontalLayout.h"

#include "UiLib/Utils/AttributeValue.h"
#include "UiLib/layouts/BoxLayout.h"
#include "UiLib/tree/ControlRegistry.h"

namespace UiLib {

UILIB_REGISTER_CONTROL(L"HorizontalLayout", CHorizontalLayoutUI);

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
    BoxLayoutInput input{BoxAxis::Horizontal, inner, available, GetScrollPos(), GetChildPadding()};
    ArrangeBox(input, *this, [this](int index) { SetFloatPos(index); });
    // A row never scrolls its content; only a horizontal bar below it is placed.
    ProcessScrollBar(inner, 0, 0);
}

const CAttributeTable& CHorizontalLayoutUI::GetAttributeTable() const { return Attributes(); }

const CAttributeTable& CHorizontalLayoutUI::Attributes() {
    using C = CHorizontalLayoutUI;
    using V = const std::wstring&;
    static const CAttributeTable table = CAttributeTable::Of<C>(&CContainerUI::Attributes(), {
        {L"sepwidth", [](C& c, V v) { c.SetSepWidth(static_cast<int>(ParseIntValue(v))); }},
        {L"sepimm", [](C& c, V v) { c.SetSepImmMode(ParseBoolValue(v)); }},
    });
    return table;
}

}  // namespace UiLib
