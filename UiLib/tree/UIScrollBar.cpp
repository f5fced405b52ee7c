#include "UiLib/tree/UIScrollBar.h"

#include <oleacc.h>

#include <algorithm>
#include <cstdint>

#include "UiLib/Utils/AttributeValue.h"
#include "UiLib/render/UIRender.h"
#include "UiLib/tree/ControlHost.h"
#include "UiLib/tree/ControlRegistry.h"
#include "UiLib/tree/UIContainer.h"
#include "UiLib/tree/UIState.h"

namespace UiLib {

UILIB_REGISTER_CONTROL(L"ScrollBar", CScrollBarUI);

namespace {

constexpr const wchar_t* kPartNames[] = {L"button1", L"button2", L"thumb", L"rail", L"bk"};
constexpr const wchar_t* kStateNames[] = {L"normalimage", L"hotimage", L"pushedimage", L"disabledimage"};

}  // namespace

CScrollBarUI::CScrollBarUI() { fixed_ = SIZE{kDefaultSize, 0}; }

const wchar_t* CScrollBarUI::GetClass() const { return L"ScrollBarUI"; }
DWORD CScrollBarUI::GetAccessibleRole() const { return ROLE_SYSTEM_SCROLLBAR; }

void* CScrollBarUI::GetInterface(const std::wstring& name) {
    if (name == L"ScrollBar") return this;
    return CControlUI::GetInterface(name);
}

void CScrollBarUI::SetHorizontal(bool horizontal) {
    if (horizontal_ == horizontal) return;
    horizontal_ = horizontal;
    fixed_ = horizontal ? SIZE{0, kDefaultSize} : SIZE{kDefaultSize, 0};
    UpdateParts();
    NeedParentUpdate();
}

void CScrollBarUI::SetScrollRange(int range) {
    range_ = std::max(0, range);
    position_ = std::clamp(position_, 0, range_);
    UpdateParts();
    Invalidate();
}

void CScrollBarUI::SetScrollPos(int position) {
    position = std::clamp(position, 0, range_);
    if (position_ == position) return;
    position_ = position;
    UpdateParts();
    Invalidate();
}

void CScrollBarUI::SetShowButton1(bool show) {
    showButton_[0] = show;
    UpdateParts();
    Invalidate();
}

void CScrollBarUI::SetShowButton2(bool show) {
    showButton_[1] = show;
    UpdateParts();
    Invalidate();
}

void CScrollBarUI::SetPartImage(Part part, PartState state, const std::wstring& image) {
    images_[part][state] = image;
    Invalidate();
}

void CScrollBarUI::SetPos(RECT rect) {
    CControlUI::SetPos(rect);
    UpdateParts();
}

RECT CScrollBarUI::Span(LONG from, LONG to) const {
    if (horizontal_) return RECT{from, rcItem_.top, to, rcItem_.bottom};
    return RECT{rcItem_.left, from, rcItem_.right, to};
}

void CScrollBarUI::UpdateParts() {
    const LONG start = horizontal_ ? rcItem_.left : rcItem_.top;
    const LONG end = horizontal_ ? rcItem_.right : rcItem_.bottom;
    const int buttonSize = ButtonSize();
    const int length = end - start;
    int track = length;
    for (bool shown : showButton_)
        if (shown) track -= buttonSize;

    if (buttonSize >= track) {
        // Too short for a thumb: only the buttons, each at most half the bar.
        const int size = std::min(buttonSize, length / 2);
        button1_ = showButton_[0] ? Span(start, start + size) : Span(start, start);
        button2_ = showButton_[1] ? Span(end - size, end) : Span(end, end);
        thumb_ = RECT{};
        return;
    }
    const LONG trackStart = showButton_[0] ? start + buttonSize : start;
    const LONG trackEnd = showButton_[1] ? end - buttonSize : end;
    button1_ = Span(start, trackStart);
    button2_ = Span(trackEnd, end);
    if (range_ <= 0) {
        thumb_ = Span(trackStart, trackEnd);
        return;
    }
    const int thumbLength =
        std::max<int>(buttonSize, static_cast<int>(int64_t{length} * track / (int64_t{length} + range_)));
    LONG thumbStart = trackStart + static_cast<LONG>(int64_t{track - thumbLength} * position_ / range_);
    thumbStart = std::min<LONG>(thumbStart, trackEnd - thumbLength);
    thumb_ = Span(thumbStart, thumbStart + thumbLength);
}

RECT CScrollBarUI::GetRailRect() const {
    if (range_ <= 0 || ::IsRectEmpty(&thumb_)) return RECT{};
    const int size = ButtonSize();
    const LONG middle = horizontal_ ? (thumb_.left + thumb_.right) / 2 : (thumb_.top + thumb_.bottom) / 2;
    return Span(middle - size / 2, middle + size - size / 2);
}

void CScrollBarUI::ScrollTo(int position) {
    if (owner_) {
        SIZE scroll = owner_->GetScrollPos();
        (horizontal_ ? scroll.cx : scroll.cy) = position;
        owner_->SetScrollPos(scroll);
        return;
    }
    const int old = position_;
    SetScrollPos(position);
    if (position_ != old && manager_) manager_->SendNotify(this, L"scroll");
}

void CScrollBarUI::LineBack() {
    if (!owner_) return ScrollTo(position_ - lineSize_);
    if (horizontal_) owner_->LineLeft();
    else owner_->LineUp();
}

void CScrollBarUI::LineForward() {
    if (!owner_) return ScrollTo(position_ + lineSize_);
    if (horizontal_) owner_->LineRight();
    else owner_->LineDown();
}

void CScrollBarUI::PageBack() {
    if (!owner_) return ScrollTo(position_ - (horizontal_ ? GetWidth() : GetHeight()));
    if (horizontal_) owner_->PageLeft();
    else owner_->PageUp();
}

void CScrollBarUI::PageForward() {
    if (!owner_) return ScrollTo(position_ + (horizontal_ ? GetWidth() : GetHeight()));
    if (horizontal_) owner_->PageRight();
    else owner_->PageDown();
}

void CScrollBarUI::PageToward(POINT point) {
    const LONG at = Along(point);
    if (at < (horizontal_ ? thumb_.left : thumb_.top)) PageBack();
    else if (at >= (horizontal_ ? thumb_.right : thumb_.bottom)) PageForward();
}

void CScrollBarUI::OnButtonDown(POINT point) {
    holding_ = true;
    holdPoint_ = point;
    repeatTicks_ = 0;
    dragOffset_ = 0;
    if (manager_) manager_->SetTimer(this, kRepeatTimerId, kRepeatInterval);
    // A click steps at once; holding the mouse repeats the step from the timer.
    if (::PtInRect(&button1_, point)) {
        button1State_ |= UISTATE_PUSHED;
        LineBack();
    } else if (::PtInRect(&button2_, point)) {
        button2State_ |= UISTATE_PUSHED;
        LineForward();
    } else if (::PtInRect(&thumb_, point)) {
        thumbState_ |= UISTATE_CAPTURED | UISTATE_PUSHED;
        dragStart_ = point;
        dragStartPos_ = position_;
    } else {
        PageToward(point);
    }
    Invalidate();
}

void CScrollBarUI::OnButtonUp() {
    holding_ = false;
    repeatTicks_ = 0;
    dragOffset_ = 0;
    if (manager_) manager_->KillTimer(this, kRepeatTimerId);
    button1State_ &= ~UISTATE_PUSHED;
    button2State_ &= ~UISTATE_PUSHED;
    thumbState_ &= ~(UISTATE_CAPTURED | UISTATE_PUSHED);
    Invalidate();
}

void CScrollBarUI::OnMouseMove(POINT point) {
    if (thumbState_ & UISTATE_CAPTURED) {
        // The thumb travels the track less its own length while the position covers the range.
        const LONG trackLength = horizontal_ ? button2_.left - button1_.right : button2_.top - button1_.bottom;
        const LONG travel = trackLength - (horizontal_ ? thumb_.right - thumb_.left : thumb_.bottom - thumb_.top);
        if (travel > 0)
            dragOffset_ = static_cast<int>(int64_t{Along(point) - Along(dragStart_)} * range_ / travel);
        return;
    }
    if (holding_) {
        holdPoint_ = point;
        return;
    }
    UpdateHot(point);
}

void CScrollBarUI::OnTimer() {
    if (!holding_) return;
    ++repeatTicks_;
    if (thumbState_ & UISTATE_CAPTURED) {
        ScrollTo(dragStartPos_ + dragOffset_);
        Invalidate();
        return;
    }
    if (repeatTicks_ <= kRepeatDelayTicks) return;
    if (button1State_ & UISTATE_PUSHED) LineBack();
    else if (button2State_ & UISTATE_PUSHED) LineForward();
    else PageToward(holdPoint_);
}

void CScrollBarUI::UpdateHot(POINT point) {
    auto follow = [point](UINT& state, const RECT& rect) {
        if (::PtInRect(&rect, point)) state |= UISTATE_HOT;
        else state &= ~UISTATE_HOT;
    };
    const UINT before = button1State_ | (button2State_ << 8) | (thumbState_ << 16);
    follow(button1State_, button1_);
    follow(button2State_, button2_);
    follow(thumbState_, thumb_);
    if ((button1State_ | (button2State_ << 8) | (thumbState_ << 16)) != before) Invalidate();
}

void CScrollBarUI::DoEvent(UiEvent& event) {
    switch (event.Type) {
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_DBLCLICK:
        if (IsEnabled()) OnButtonDown(event.ptMouse);
        return;
    case UIEVENT_BUTTONUP:
        OnButtonUp();
        return;
    case UIEVENT_MOUSEMOVE:
        if (IsEnabled()) OnMouseMove(event.ptMouse);
        return;
    case UIEVENT_MOUSEENTER:
        if (IsEnabled()) UpdateHot(event.ptMouse);
        return;
    case UIEVENT_MOUSELEAVE:
        button1State_ &= ~UISTATE_HOT;
        button2State_ &= ~UISTATE_HOT;
        thumbState_ &= ~UISTATE_HOT;
        Invalidate();
        return;
    case UIEVENT_CONTEXTMENU:
        return;
    case UIEVENT_TIMER:
        if (event.wParam == kRepeatTimerId) {
            OnTimer();
            return;
        }
        break;
    default:
        break;
    }
    CControlUI::DoEvent(event);
}

const CAttributeTable& CScrollBarUI::GetAttributeTable() const { return Attributes(); }

template <CScrollBarUI::Part part, CScrollBarUI::PartState state>
void CScrollBarUI::SetPartImageAttribute(CScrollBarUI& bar, const std::wstring& image) {
    bar.SetPartImage(part, state, image);
}

template <CScrollBarUI::Part part>
void CScrollBarUI::AddPartImages(CAttributeTable& table) {
    const std::wstring name = kPartNames[part];
    table.Add<CScrollBarUI>(name + kStateNames[kNormal], &SetPartImageAttribute<part, kNormal>);
    table.Add<CScrollBarUI>(name + kStateNames[kHot], &SetPartImageAttribute<part, kHot>);
    table.Add<CScrollBarUI>(name + kStateNames[kPushed], &SetPartImageAttribute<part, kPushed>);
    table.Add<CScrollBarUI>(name + kStateNames[kDisabled], &SetPartImageAttribute<part, kDisabled>);
}

const CAttributeTable& CScrollBarUI::Attributes() {
    using C = CScrollBarUI;
    using V = const std::wstring&;
    static const CAttributeTable table = [] {
        CAttributeTable built = CAttributeTable::Of<C>(&CControlUI::Attributes(), {
            {L"hor", [](C& c, V v) { c.SetHorizontal(ParseBoolValue(v)); }},
            {L"linesize", [](C& c, V v) { c.SetLineSize(static_cast<int>(ParseIntValue(v))); }},
            {L"range", [](C& c, V v) { c.SetScrollRange(static_cast<int>(ParseIntValue(v))); }},
            {L"value", [](C& c, V v) { c.SetScrollPos(static_cast<int>(ParseIntValue(v))); }},
            {L"showbutton1", [](C& c, V v) { c.SetShowButton1(ParseBoolValue(v)); }},
            {L"showbutton2", [](C& c, V v) { c.SetShowButton2(ParseBoolValue(v)); }},
        });
        // One image per part and state: "thumbhotimage", "bknormalimage", ...
        AddPartImages<kButton1>(built);
        AddPartImages<kButton2>(built);
        AddPartImages<kThumb>(built);
        AddPartImages<kRail>(built);
        AddPartImages<kBackground>(built);
        return built;
    }();
    return table;
}

std::wstring& CScrollBarUI::ImageFor(Part part, UINT state) {
    std::array<std::wstring, kStateCount>& images = images_[part];
    if (!IsEnabled() && !images[kDisabled].empty()) return images[kDisabled];
    if ((state & UISTATE_PUSHED) && !images[kPushed].empty()) return images[kPushed];
    if ((state & UISTATE_HOT) && !images[kHot].empty()) return images[kHot];
    return images[kNormal];
}

void CScrollBarUI::PaintPart(HDC dc, Part part, UINT state, const RECT& rect) {
    if (::IsRectEmpty(&rect)) return;
    std::wstring& image = ImageFor(part, state);
    if (image.empty()) return;
    // The part is the image's item: its rectangle is in window pixels already, where an image
    // string's `dest` would be in 96-DPI units. Like the whole bar's items, it is cut at the bar's end.
    const RECT item{rect.left, rect.top, std::min(rect.right, rcItem_.right), std::min(rect.bottom, rcItem_.bottom)};
    if (!CSkinRenderer::DrawImageString(dc, SkinResources(), item, rcPaint_, image, std::wstring(), DpiScale()))
        image.clear();
}

void CScrollBarUI::PaintStatusImage(HDC dc) {
    std::wstring& background = ImageFor(kBackground, thumbState_);
    if (!background.empty() && !DrawImage(dc, background)) background.clear();
    if (showButton_[0]) PaintPart(dc, kButton1, button1State_, button1_);
    if (showButton_[1]) PaintPart(dc, kButton2, button2State_, button2_);
    PaintPart(dc, kThumb, thumbState_, thumb_);
    PaintPart(dc, kRail, thumbState_, GetRailRect());
}

}  // namespace UiLib
