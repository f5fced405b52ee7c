#include "UiLib/tree/UIContainer.h"

#include <oleacc.h>

#include <optional>

#include "UiLib/Utils/AttributeValue.h"
#include "UiLib/render/RenderClip.h"
#include "UiLib/render/SkinResources.h"
#include "UiLib/tree/ControlHost.h"
#include "UiLib/tree/ControlRegistry.h"

namespace UiLib {

UILIB_REGISTER_CONTROL(L"Container", CContainerUI);

namespace {

bool IsVisibleBar(const std::unique_ptr<CScrollBarUI>& bar) { return bar && bar->IsVisible(); }
bool IsActiveBar(const std::unique_ptr<CScrollBarUI>& bar) { return IsVisibleBar(bar) && bar->IsEnabled(); }

}  // namespace

CContainerUI::CContainerUI() = default;

CContainerUI::~CContainerUI() {
    delayedDestroy_ = false;
    while (!items_.IsEmpty()) DisposeChild(items_.TakeAt(static_cast<int>(items_.Count()) - 1));
}

const wchar_t* CContainerUI::GetClass() const { return L"ContainerUI"; }

DWORD CContainerUI::GetAccessibleRole() const {
    for (int i = 0; i < GetCount(); ++i) {
        switch (GetItemAt(i)->GetAccessibleRole()) {
        case ROLE_SYSTEM_PAGETAB: return ROLE_SYSTEM_PAGETABLIST;
        case ROLE_SYSTEM_LISTITEM: return ROLE_SYSTEM_LIST;
        case ROLE_SYSTEM_MENUITEM: return ROLE_SYSTEM_MENUPOPUP;
        default: break;
        }
    }
    return ROLE_SYSTEM_CLIENT;
}

void* CContainerUI::GetInterface(const std::wstring& name) {
    if (name == L"IContainer") return static_cast<IContainerUI*>(this);
    if (name == L"Container") return static_cast<CContainerUI*>(this);
    return CControlUI::GetInterface(name);
}

CControlUI* CContainerUI::GetItemAt(int index) const { return items_.GetAt(index); }
int CContainerUI::GetItemIndex(CControlUI* control) const { return items_.IndexOf(control); }

bool CContainerUI::SetItemIndex(CControlUI* control, int index) {
    if (!items_.Move(items_.IndexOf(control), index)) return false;
    NeedUpdate();
    return true;
}

int CContainerUI::GetCount() const { return static_cast<int>(items_.Count()); }

void CContainerUI::AdoptChild(CControlUI* child) {
    if (manager_) manager_->InitControls(child, this);
    else child->SetManager(nullptr, this, false);
    if (IsVisible()) NeedUpdate();
    else child->SetInternVisible(false);
}

bool CContainerUI::Add(std::unique_ptr<CControlUI> control) {
    if (!control) return false;
    AdoptChild(control.get());
    items_.Add(std::move(control));
    return true;
}

bool CContainerUI::AddAt(std::unique_ptr<CControlUI> control, int index) {
    if (!control || index < 0 || index > static_cast<int>(items_.Count())) return false;
    AdoptChild(control.get());
    return items_.InsertAt(index, std::move(control));
}

std::unique_ptr<CControlUI> CContainerUI::Remove(CControlUI* control) {
    int index = items_.IndexOf(control);
    return index >= 0 ? RemoveAt(index) : nullptr;
}

std::unique_ptr<CControlUI> CContainerUI::RemoveAt(int index) {
    std::unique_ptr<CControlUI> child = items_.TakeAt(index);
    if (child && IsVisible()) NeedUpdate();
    return child;
}

void CContainerUI::RemoveAll() {
    while (!items_.IsEmpty()) DisposeChild(items_.TakeAt(static_cast<int>(items_.Count()) - 1));
    NeedUpdate();
}

void CContainerUI::DisposeChild(std::unique_ptr<CControlUI> child) {
    if (delayedDestroy_ && manager_) manager_->AddDelayedCleanup(std::move(child));
}

RECT CContainerUI::GetInset() const { return DpiScale().Scale(inset_); }

void CContainerUI::SetInset(RECT inset) {
    inset_ = inset;
    NeedUpdate();
}

int CContainerUI::GetChildPadding() const { return DpiScale().Scale(childPadding_); }

void CContainerUI::SetChildPadding(int padding) {
    childPadding_ = padding;
    NeedUpdate();
}

bool CContainerUI::IsDelayedDestroy() const { return delayedDestroy_; }
void CContainerUI::SetDelayedDestroy(bool delayed) { delayedDestroy_ = delayed; }
bool CContainerUI::IsMouseChildEnabled() const { return mouseChildEnabled_; }
void CContainerUI::SetMouseChildEnabled(bool enabled) { mouseChildEnabled_ = enabled; }

void CContainerUI::SetVisible(bool visible) {
    if (visible_ == visible) return;
    CControlUI::SetVisible(visible);
    for (const auto& child : items_) child->SetInternVisible(IsVisible());
}

void CContainerUI::SetInternVisible(bool visible) {
    CControlUI::SetInternVisible(visible);
    for (const auto& child : items_) child->SetInternVisible(IsVisible());
}

void CContainerUI::SetMouseEnabled(bool enabled) {
    if (verticalScrollBar_) verticalScrollBar_->SetMouseEnabled(enabled);
    if (horizontalScrollBar_) horizontalScrollBar_->SetMouseEnabled(enabled);
    CControlUI::SetMouseEnabled(enabled);
}

void CContainerUI::SetManager(CControlHost* manager, CControlUI* parent, bool init) {
    for (const auto& child : items_) child->SetManager(manager, this, init);
    if (verticalScrollBar_) verticalScrollBar_->SetManager(manager, this, init);
    if (horizontalScrollBar_) horizontalScrollBar_->SetManager(manager, this, init);
    CControlUI::SetManager(manager, parent, init);
}

RECT CContainerUI::InsetRect() const {
    const RECT inset = GetInset();
    return RECT{rcItem_.left + inset.left, rcItem_.top + inset.top, rcItem_.right - inset.right,
                rcItem_.bottom - inset.bottom};
}

RECT CContainerUI::InnerRect() const {
    RECT inner = InsetRect();
    if (IsVisibleBar(verticalScrollBar_)) inner.right -= verticalScrollBar_->GetFixedWidth();
    if (IsVisibleBar(horizontalScrollBar_)) inner.bottom -= horizontalScrollBar_->GetFixedHeight();
    return inner;
}

CControlUI* CContainerUI::FindInScrollBars(FindControlProc proc, void* data, UINT flags) {
    if (verticalScrollBar_)
        if (CControlUI* found = verticalScrollBar_->FindControl(proc, data, flags)) return found;
    if (horizontalScrollBar_)
        if (CControlUI* found = horizontalScrollBar_->FindControl(proc, data, flags)) return found;
    return nullptr;
}

CControlUI* CContainerUI::FindInChildren(FindControlProc proc, void* data, UINT flags) {
    const bool hitTest = (flags & UIFIND_HITTEST) != 0;
    RECT inner = InnerRect();
    int count = static_cast<int>(items_.Count());
    for (int i = 0; i < count; ++i) {
        CControlUI* child = items_.GetAt((flags & UIFIND_TOP_FIRST) ? count - 1 - i : i);
        // Children scrolled out of the inner area do not catch the mouse.
        if (hitTest && !child->IsFloat() && !::PtInRect(&inner, *static_cast<POINT*>(data))) continue;
        if (CControlUI* found = child->FindControl(proc, data, flags)) return found;
    }
    return nullptr;
}

CControlUI* CContainerUI::FindControl(FindControlProc proc, void* data, UINT flags) {
    if ((flags & UIFIND_VISIBLE) && !IsVisible()) return nullptr;
    if ((flags & UIFIND_ENABLED) && !IsEnabled()) return nullptr;
    const bool hitTest = (flags & UIFIND_HITTEST) != 0;
    if (hitTest && !::PtInRect(&rcItem_, *static_cast<POINT*>(data))) return nullptr;
    if (flags & UIFIND_ME_FIRST)
        if (CControlUI* self = CControlUI::FindControl(proc, data, flags)) return self;
    if (CControlUI* bar = FindInScrollBars(proc, data, flags)) return bar;
    if (!hitTest || mouseChildEnabled_)
        if (CControlUI* child = FindInChildren(proc, data, flags)) return child;
    if (flags & UIFIND_ME_FIRST) return nullptr;
    return CControlUI::FindControl(proc, data, flags);
}

void CContainerUI::DoEvent(UiEvent& event) {
    if (!mouseEnabled_ && IsMouseEvent(event.Type)) {
        if (parent_) parent_->DoEvent(event);
        else CControlUI::DoEvent(event);
        return;
    }
    if (event.Type == UIEVENT_SETFOCUS || event.Type == UIEVENT_KILLFOCUS) {
        focused_ = event.Type == UIEVENT_SETFOCUS;
        return;
    }
    const bool vertical = IsActiveBar(verticalScrollBar_);
    if (vertical || IsActiveBar(horizontalScrollBar_)) {
        if (event.Type == UIEVENT_KEYDOWN) {
            switch (event.chKey) {
            case VK_PRIOR: vertical ? PageUp() : PageLeft(); return;
            case VK_NEXT: vertical ? PageDown() : PageRight(); return;
            case VK_HOME: vertical ? HomeUp() : HomeLeft(); return;
            case VK_END: vertical ? EndDown() : EndRight(); return;
            case VK_UP: vertical ? LineUp() : LineLeft(); return;
            case VK_DOWN: vertical ? LineDown() : LineRight(); return;
            default: break;
            }
        } else if (event.Type == UIEVENT_SCROLLWHEEL) {
            if (event.wParam == 0) vertical ? LineUp() : LineLeft();
            else vertical ? LineDown() : LineRight();
            return;
        }
    }
    CControlUI::DoEvent(event);
}

void CContainerUI::SetPos(RECT rect) {
    CControlUI::SetPos(rect);
    if (items_.IsEmpty()) return;
    const RECT inner = InsetRect();
    for (int i = 0; i < static_cast<int>(items_.Count()); ++i) {
        CControlUI* child = items_.GetAt(i);
        if (!child->IsVisible()) continue;
        if (child->IsFloat()) SetFloatPos(i);
        else child->SetPos(inner);
    }
}

void CContainerUI::SetFloatPos(int index) {
    CControlUI* child = items_.GetAt(index);
    if (!child || !child->IsVisible() || !child->IsFloat()) return;
    SIZE xy = child->GetFixedXY();
    SIZE size{child->GetFixedWidth(), child->GetFixedHeight()};
    RECT r;
    if (xy.cx >= 0) {
        r.left = rcItem_.left + xy.cx;
        r.right = r.left + size.cx;
    } else {
        r.right = rcItem_.right + xy.cx;
        r.left = r.right - size.cx;
    }
    if (xy.cy >= 0) {
        r.top = rcItem_.top + xy.cy;
        r.bottom = r.top + size.cy;
    } else {
        r.bottom = rcItem_.bottom + xy.cy;
        r.top = r.bottom - size.cy;
    }
    RelativePos relative = child->GetRelativePos();
    if (relative.relative) {
        SIZE current{GetWidth(), GetHeight()};
        if (relative.parentSize.cx != 0 || relative.parentSize.cy != 0) {
            int growX = current.cx - relative.parentSize.cx;
            int growY = current.cy - relative.parentSize.cy;
            int moveX = growX * relative.moveX / 100;
            int moveY = growY * relative.moveY / 100;
            ::OffsetRect(&r, moveX, moveY);
            r.right += growX * relative.zoomX / 100;
            r.bottom += growY * relative.zoomY / 100;
        }
        child->SetRelativeParentSize(current);
    }
    child->SetPos(r);
}

void CContainerUI::ProcessScrollBar(RECT inner, int, int requiredHeight) {
    if (IsVisibleBar(horizontalScrollBar_))
        horizontalScrollBar_->SetPos(
            RECT{inner.left, inner.bottom, inner.right, inner.bottom + horizontalScrollBar_->GetFixedHeight()});
    if (!verticalScrollBar_) return;
    CScrollBarUI& bar = *verticalScrollBar_;
    int overflow = requiredHeight - (inner.bottom - inner.top);
    if (overflow > 0 && !bar.IsVisible()) {
        bar.SetVisible(true);
        bar.SetScrollRange(overflow);
        bar.SetScrollPos(0);
        scrollProcess_ = true;
        SetPos(rcItem_);
        scrollProcess_ = false;
        return;
    }
    if (!bar.IsVisible()) return;
    if (overflow <= 0 && !scrollProcess_) {
        bar.SetVisible(false);
        bar.SetScrollPos(0);
        bar.SetScrollRange(0);
        SetPos(rcItem_);
        return;
    }
    bar.SetPos(RECT{inner.right, inner.top, inner.right + bar.GetFixedWidth(), inner.bottom});
    if (bar.GetScrollRange() == overflow) return;
    int oldPosition = bar.GetScrollPos();
    bar.SetScrollRange(overflow < 0 ? -overflow : overflow);
    if (bar.GetScrollRange() == 0) {
        bar.SetVisible(false);
        bar.SetScrollPos(0);
    }
    if (oldPosition > bar.GetScrollPos()) SetPos(rcItem_);
}

SIZE CContainerUI::GetScrollPos() const {
    return SIZE{horizontalScrollBar_ ? horizontalScrollBar_->GetScrollPos() : 0,
                verticalScrollBar_ ? verticalScrollBar_->GetScrollPos() : 0};
}

SIZE CContainerUI::GetScrollRange() const {
    return SIZE{horizontalScrollBar_ ? horizontalScrollBar_->GetScrollRange() : 0,
                verticalScrollBar_ ? verticalScrollBar_->GetScrollRange() : 0};
}

void CContainerUI::ScrollIntoView(const CControlUI* child) {
    const RECT shown = InsetRect();
    const RECT wanted = child->GetPos();
    SIZE position = GetScrollPos();
    if (wanted.top < shown.top) position.cy -= shown.top - wanted.top;
    else if (wanted.bottom > shown.bottom) position.cy += wanted.bottom - shown.bottom;
    else return;
    SetScrollPos(position);
}

void CContainerUI::SetScrollPos(SIZE position) {
    int cx = 0;
    int cy = 0;
    if (IsVisibleBar(verticalScrollBar_)) {
        int old = verticalScrollBar_->GetScrollPos();
        verticalScrollBar_->SetScrollPos(position.cy);
        cy = verticalScrollBar_->GetScrollPos() - old;
    }
    if (IsVisibleBar(horizontalScrollBar_)) {
        int old = horizontalScrollBar_->GetScrollPos();
        horizontalScrollBar_->SetScrollPos(position.cx);
        cx = horizontalScrollBar_->GetScrollPos() - old;
    }
    if (cx == 0 && cy == 0) return;
    for (const auto& child : items_) {
        if (!child->IsVisible() || child->IsFloat()) continue;
        RECT r = child->GetPos();
        ::OffsetRect(&r, -cx, -cy);
        child->SetPos(r);
    }
    Invalidate();
}

void CContainerUI::ScrollBy(int cx, int cy) {
    SIZE position = GetScrollPos();
    SetScrollPos(SIZE{position.cx + cx, position.cy + cy});
}

int CContainerUI::LineHeight() const {
    if (!manager_) return 8;
    return manager_->GetResources().GetDefaultFontInfo().tm.tmHeight + DpiScale().Scale(8);
}

void CContainerUI::LineUp() { ScrollBy(0, -LineHeight()); }
void CContainerUI::LineDown() { ScrollBy(0, LineHeight()); }

void CContainerUI::PageUp() {
    const RECT inset = GetInset();
    int height = GetHeight() - inset.top - inset.bottom;
    if (IsVisibleBar(horizontalScrollBar_)) height -= horizontalScrollBar_->GetFixedHeight();
    ScrollBy(0, -height);
}

void CContainerUI::PageDown() {
    const RECT inset = GetInset();
    int height = GetHeight() - inset.top - inset.bottom;
    if (IsVisibleBar(horizontalScrollBar_)) height -= horizontalScrollBar_->GetFixedHeight();
    ScrollBy(0, height);
}

void CContainerUI::HomeUp() { SetScrollPos(SIZE{GetScrollPos().cx, 0}); }
void CContainerUI::EndDown() { SetScrollPos(SIZE{GetScrollPos().cx, GetScrollRange().cy}); }
void CContainerUI::LineLeft() { ScrollBy(-DpiScale().Scale(8), 0); }
void CContainerUI::LineRight() { ScrollBy(DpiScale().Scale(8), 0); }

void CContainerUI::PageLeft() {
    const RECT inset = GetInset();
    int width = GetWidth() - inset.left - inset.right;
    if (IsVisibleBar(verticalScrollBar_)) width -= verticalScrollBar_->GetFixedWidth();
    ScrollBy(-width, 0);
}

void CContainerUI::PageRight() {
    const RECT inset = GetInset();
    int width = GetWidth() - inset.left - inset.right;
    if (IsVisibleBar(verticalScrollBar_)) width -= verticalScrollBar_->GetFixedWidth();
    ScrollBy(width, 0);
}

void CContainerUI::HomeLeft() { SetScrollPos(SIZE{0, GetScrollPos().cy}); }
void CContainerUI::EndRight() { SetScrollPos(SIZE{GetScrollRange().cx, GetScrollPos().cy}); }

void CContainerUI::EnableScrollBar(bool vertical, bool horizontal) {
    auto update = [this](std::unique_ptr<CScrollBarUI>& bar, bool wanted, bool isHorizontal) {
        if (!wanted) {
            bar.reset();
            return;
        }
        if (bar) return;
        bar = std::make_unique<CScrollBarUI>();
        bar->SetHorizontal(isHorizontal);
        bar->SetOwner(this);
        bar->SetManager(manager_, this, false);
        if (manager_) {
            std::wstring defaults =
                manager_->GetResources().GetDefaultAttributeList(isHorizontal ? L"HScrollBar" : L"VScrollBar");
            if (!defaults.empty()) bar->ApplyAttributeList(defaults);
        }
    };
    update(verticalScrollBar_, vertical, false);
    update(horizontalScrollBar_, horizontal, true);
    NeedUpdate();
}

CScrollBarUI* CContainerUI::GetVerticalScrollBar() const { return verticalScrollBar_.get(); }
CScrollBarUI* CContainerUI::GetHorizontalScrollBar() const { return horizontalScrollBar_.get(); }

void CContainerUI::DoPaint(HDC dc, const RECT& paint) {
    RECT visible;
    if (!::IntersectRect(&visible, &paint, &rcItem_)) return;
    CRenderClip outer(dc, visible);
    CControlUI::DoPaint(dc, paint);
    PaintChildren(dc, paint);
    for (CScrollBarUI* bar : {verticalScrollBar_.get(), horizontalScrollBar_.get()}) {
        RECT common;
        if (bar && bar->IsVisible() && ::IntersectRect(&common, &paint, &bar->GetPos())) bar->DoPaint(dc, paint);
    }
}

void CContainerUI::PaintChildren(HDC dc, const RECT& paint) {
    if (items_.IsEmpty()) return;
    RECT inner = InnerRect();
    // Runs of children in the inner area share one clip; float children use the outer one.
    std::optional<CRenderClip> innerClip;
    for (const auto& child : items_) {
        if (!child->IsVisible()) continue;
        RECT common;
        if (!::IntersectRect(&common, &paint, &child->GetPos())) continue;
        if (child->IsFloat()) {
            if (!::IntersectRect(&common, &rcItem_, &child->GetPos())) continue;
            innerClip.reset();
        } else {
            if (!::IntersectRect(&common, &inner, &child->GetPos())) continue;
            if (!innerClip) innerClip.emplace(dc, inner);
        }
        child->DoPaint(dc, paint);
    }
}

const CAttributeTable& CContainerUI::GetAttributeTable() const { return Attributes(); }

const CAttributeTable& CContainerUI::Attributes() {
    using C = CContainerUI;
    using V = const std::wstring&;
    static const CAttributeTable table = CAttributeTable::Of<C>(&CControlUI::Attributes(), {
        {L"inset", [](C& c, V v) { c.SetInset(ParseRectValue(v)); }},
        {L"childpadding", [](C& c, V v) { c.SetChildPadding(static_cast<int>(ParseIntValue(v))); }},
        {L"mousechild", [](C& c, V v) { c.SetMouseChildEnabled(ParseBoolValue(v)); }},
        {L"vscrollbar", [](C& c, V v) { c.EnableScrollBar(ParseBoolValue(v), c.horizontalScrollBar_ != nullptr); }},
        {L"vscrollbarstyle", [](C& c, V v) {
             c.EnableScrollBar(true, c.horizontalScrollBar_ != nullptr);
             c.verticalScrollBar_->ApplyAttributeList(v);
         }},
        {L"hscrollbar", [](C& c, V v) { c.EnableScrollBar(c.verticalScrollBar_ != nullptr, ParseBoolValue(v)); }},
        {L"hscrollbarstyle", [](C& c, V v) {
             c.EnableScrollBar(c.verticalScrollBar_ != nullptr, true);
             c.horizontalScrollBar_->ApplyAttributeList(v);
         }},
    });
    return table;
}

}  // namespace UiLib
