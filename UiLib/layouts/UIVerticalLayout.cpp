#include "UiLib/layouts/UIVerticalLayout.h"

#include "UiLib/Utils/AttributeValue.h"
#include "UiLib/layouts/BoxLayout.h"
#include "UiLib/tree/ControlRegistry.h"

namespace UiLib {

UILIB_REGISTER_CONTROL(L"VerticalLayout", CVerticalLayoutUI);

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
    BoxLayoutInput input{BoxAxis::Vertical, inner, available, GetScrollPos(), GetChildPadding()};
    int required = ArrangeBox(input, *this, [this](int index) { SetFloatPos(index); });
    ProcessScrollBar(inner, 0, required);
}

const CAttributeTable& CVerticalLayoutUI::GetAttributeTable() const { return Attributes(); }

const CAttributeTable& CVerticalLayoutUI::Attributes() {
    using C = CVerticalLayoutUI;
    using V = const std::wstring&;
    static const CAttributeTable table = CAttributeTable::Of<C>(&CContainerUI::Attributes(), {
        {L"sepheight", [](C& c, V v) { c.SetSepHeight(static_cast<int>(ParseIntValue(v))); }},
        {L"sepimm", [](C& c, V v) { c.SetSepImmMode(ParseBoolValue(v)); }},
    });
    return table;
}

}  // namespace UiLib
