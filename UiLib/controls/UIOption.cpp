#include "UiLib/controls/UIOption.h"

#include <oleacc.h>

#include "UiLib/Utils/AttributeValue.h"
#include "UiLib/render/UIRender.h"
#include "UiLib/tree/ControlHost.h"
#include "UiLib/tree/ControlRegistry.h"

namespace UiLib {

UILIB_REGISTER_CONTROL(L"Option", COptionUI);

COptionUI::COptionUI() = default;

COptionUI::~COptionUI() {
    // The group list must not keep a pointer to a destroyed option.
    if (manager_ && !group_.empty()) manager_->RemoveOptionGroup(group_, this);
}

const wchar_t* COptionUI::GetClass() const { return L"OptionUI"; }

// An option that switches the pages of a tab layout is one of its page tabs.
DWORD COptionUI::GetAccessibleRole() const {
    return GetBindTabLayoutName().empty() ? ROLE_SYSTEM_RADIOBUTTON : ROLE_SYSTEM_PAGETAB;
}

// Tabs and list items are selected, the other options checked.
DWORD COptionUI::GetAccessibleState() const {
    const DWORD role = GetAccessibleRole();
    if (role == ROLE_SYSTEM_PAGETAB || role == ROLE_SYSTEM_LISTITEM)
        return CButtonUI::GetAccessibleState() | STATE_SYSTEM_SELECTABLE | (IsSelected() ? STATE_SYSTEM_SELECTED : 0);
    return CButtonUI::GetAccessibleState() | (IsSelected() ? STATE_SYSTEM_CHECKED : 0);
}

bool COptionUI::AccessibleSelect() {
    Selected(true);
    return true;
}

void* COptionUI::GetInterface(const std::wstring& name) {
    if (name == L"Option") return this;
    return CButtonUI::GetInterface(name);
}

void COptionUI::SetManager(CControlHost* manager, CControlUI* parent, bool init) {
    if (manager_ && manager_ != manager && !group_.empty()) manager_->RemoveOptionGroup(group_, this);
    CButtonUI::SetManager(manager, parent, init);
    if (init && manager_ && !group_.empty()) manager_->AddOptionGroup(group_, this);
}

bool COptionUI::Activate() {
    if (!CButtonUI::Activate()) return false;
    Selected(group_.empty() ? !selected_ : true);
    return true;
}

void COptionUI::SetGroup(const std::wstring& group) {
    if (group_ == group) return;
    if (manager_ && !group_.empty()) manager_->RemoveOptionGroup(group_, this);
    group_ = group;
    if (manager_ && !group_.empty()) manager_->AddOptionGroup(group_, this);
}

void COptionUI::Selected(bool selected) {
    if (selected_ == selected) return;
    selected_ = selected;
    if (selected) buttonState_ |= UISTATE_SELECTED;
    else buttonState_ &= ~UISTATE_SELECTED;
    AnnounceChange(EVENT_OBJECT_STATECHANGE);
    if (selected) AnnounceChange(EVENT_OBJECT_SELECTION);
    if (manager_) {
        if (group_.empty()) {
            selectedChanged_.Emit(selected);
            manager_->SendNotify(this, L"selectchanged");
        } else if (selected) {
            if (const CPtrArray<CControlUI*>* members = manager_->GetOptionGroup(group_)) {
                // Deselecting may change nothing in the list, but a copy keeps the walk safe.
                std::vector<CControlUI*> others(members->begin(), members->end());
                for (CControlUI* other : others)
                    if (other != this) static_cast<COptionUI*>(other)->Selected(false);
            }
            selectedChanged_.Emit(true);
            manager_->SendNotify(this, L"selectchanged");
        }
    }
    Invalidate();
}

void COptionUI::SetSelectedImage(const std::wstring& image) { SetImage(selectedImage_, image); }
void COptionUI::SetSelectedHotImage(const std::wstring& image) { SetImage(selectedHotImage_, image); }

void COptionUI::SetSelectedBkColor(UiColor color) {
    selectedBkColor_ = color;
    Invalidate();
}

void COptionUI::SetSelectedTextColor(UiColor color) {
    selectedTextColor_ = color;
    Invalidate();
}

const CAttributeTable& COptionUI::GetAttributeTable() const { return Attributes(); }

const CAttributeTable& COptionUI::Attributes() {
    using C = COptionUI;
    using V = const std::wstring&;
    static const CAttributeTable table = CAttributeTable::Of<C>(&CButtonUI::Attributes(), {
        {L"group", [](C& c, V v) { c.SetGroup(v); }},
        {L"selected", [](C& c, V v) { c.Selected(ParseBoolValue(v)); }},
        {L"selectedimage", [](C& c, V v) { c.SetSelectedImage(v); }},
        {L"selectedhotimage", [](C& c, V v) { c.SetSelectedHotImage(v); }},
        {L"selectedbkcolor", [](C& c, V v) { c.SetSelectedBkColor(ParseColorValue(v)); }},
        {L"selectedtextcolor", [](C& c, V v) { c.SetSelectedTextColor(ParseColorValue(v)); }},
    });
    return table;
}

UINT COptionUI::PaintState() const { return CButtonUI::PaintState() & ~UISTATE_PUSHED; }

void COptionUI::PaintStatusImage(HDC dc) {
    const UINT state = PaintState();
    if (selected_ && (state & UISTATE_HOT) && DrawStateImage(dc, selectedHotImage_)) return PaintForeImage(dc);
    if (selected_) {
        if (!selectedImage_.empty()) {
            if (DrawStateImage(dc, selectedImage_)) return PaintForeImage(dc);
        } else if (selectedBkColor_ != 0) {
            CSkinRenderer::DrawColor(dc, rcPaint_, selectedBkColor_);
            return PaintForeImage(dc);
        }
    }
    CButtonUI::PaintStatusImage(dc);
}

UiColor COptionUI::StateTextColor() const {
    if (selected_ && selectedTextColor_ != 0 && IsEnabled()) return selectedTextColor_;
    return CButtonUI::StateTextColor();
}

}  // namespace UiLib
