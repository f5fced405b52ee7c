#include "UiLib/tree/UIControl.h"

#include <oleacc.h>

#include <algorithm>
#include <cwctype>

#include "UiLib/Utils/AttributeValue.h"
#include "UiLib/render/ImageDrawParams.h"
#include "UiLib/render/RenderClip.h"
#include "UiLib/render/SkinResources.h"
#include "UiLib/render/UIRender.h"
#include "UiLib/tree/ControlHost.h"
#include "UiLib/tree/ControlRegistry.h"

namespace UiLib {

UILIB_REGISTER_CONTROL(L"Control", CControlUI);

namespace {

bool HasRoundCorners(SIZE round) { return round.cx > 0 || round.cy > 0; }

bool EndsWithIgnoringCase(const std::wstring& text, const std::wstring& suffix) {
    if (text.size() < suffix.size()) return false;
    return std::equal(suffix.rbegin(), suffix.rend(), text.rbegin(),
                      [](wchar_t a, wchar_t b) { return std::towlower(a) == std::towlower(b); });
}

}  // namespace

CControlUI::CControlUI() = default;

CControlUI::~CControlUI() {
    if (manager_) manager_->ReapObjects(this);
}

std::wstring CControlUI::GetName() const { return name_; }
void CControlUI::SetName(const std::wstring& name) { name_ = name; }
const wchar_t* CControlUI::GetClass() const { return L"ControlUI"; }

void* CControlUI::GetInterface(const std::wstring& name) {
    if (name == L"Control") return this;
    return nullptr;
}

UINT CControlUI::GetControlFlags() const { return 0; }

bool CControlUI::Activate() { return IsVisible() && IsEnabled(); }

CControlHost* CControlUI::GetManager() const { return manager_; }

void CControlUI::SetManager(CControlHost* manager, CControlUI* parent, bool init) {
    manager_ = manager;
    parent_ = parent;
    if (init && parent_) Init();
}

CControlUI* CControlUI::GetParent() const { return parent_; }

std::wstring CControlUI::GetText() const { return text_; }

void CControlUI::SetText(const std::wstring& text) {
    if (text_ == text) return;
    text_ = text;
    Invalidate();
    // Editable text is the value, other text the name.
    AnnounceChange(GetAccessibleRole() == ROLE_SYSTEM_TEXT ? EVENT_OBJECT_VALUECHANGE : EVENT_OBJECT_NAMECHANGE);
}

const RECT& CControlUI::GetPos() const { return rcItem_; }

void CControlUI::SetPos(RECT rect) {
    rect.right = std::max(rect.right, rect.left);
    rect.bottom = std::max(rect.bottom, rect.top);
    RECT old = ::IsRectEmpty(&rcItem_) ? rect : rcItem_;
    rcItem_ = rect;
    if (!manager_) return;
    if (!setPosBusy_) {
        setPosBusy_ = true;
        OnSize(this);
        setPosBusy_ = false;
    }
    if (float_ && parent_) {
        // The place is kept in the skin's pixels, like the skin's own "pos".
        const CDpiScale scale = DpiScale();
        const RECT& parentRect = parent_->GetPos();
        xy_.cx = scale.Unscale(xy_.cx >= 0 ? rcItem_.left - parentRect.left : rcItem_.right - parentRect.right);
        xy_.cy = scale.Unscale(xy_.cy >= 0 ? rcItem_.top - parentRect.top : rcItem_.bottom - parentRect.bottom);
        fixed_.cx = scale.Unscale(rcItem_.right - rcItem_.left);
        fixed_.cy = scale.Unscale(rcItem_.bottom - rcItem_.top);
    }
    updateNeeded_ = false;
    RECT both;
    ::UnionRect(&both, &old, &rcItem_);
    InvalidateClipped(both);
}

int CControlUI::GetWidth() const { return rcItem_.right - rcItem_.left; }
int CControlUI::GetHeight() const { return rcItem_.bottom - rcItem_.top; }
int CControlUI::GetX() const { return rcItem_.left; }
int CControlUI::GetY() const { return rcItem_.top; }

CDpiScale CControlUI::DpiScale() const { return manager_ ? manager_->GetDpiScale() : CDpiScale(); }

RECT CControlUI::GetPadding() const { return DpiScale().Scale(rcPadding_); }

void CControlUI::SetPadding(RECT padding) {
    rcPadding_ = padding;
    NeedParentUpdate();
}

SIZE CControlUI::GetFixedXY() const { return DpiScale().Scale(xy_); }

void CControlUI::SetFixedXY(SIZE xy) {
    if (xy.cx == xy_.cx && xy.cy == xy_.cy) return;
    xy_ = xy;
    if (float_) NeedUpdate();
    else NeedParentUpdate();
}

void CControlUI::SetSizeWish(LONG& field, int value) {
    // Negative and unchanged values do nothing.
    if (value < 0 || field == value) return;
    field = value;
    if (float_) NeedUpdate();
    else NeedParentUpdate();
}

void CControlUI::SetFixedWidth(int width) { SetSizeWish(fixed_.cx, width); }
void CControlUI::SetFixedHeight(int height) { SetSizeWish(fixed_.cy, height); }
void CControlUI::SetMinWidth(int width) { SetSizeWish(min_.cx, width); }
void CControlUI::SetMaxWidth(int width) { SetSizeWish(max_.cx, width); }
void CControlUI::SetMinHeight(int height) { SetSizeWish(min_.cy, height); }
void CControlUI::SetMaxHeight(int height) { SetSizeWish(max_.cy, height); }

int CControlUI::GetFixedWidth() const { return DpiScale().Scale(fixed_.cx); }
int CControlUI::GetFixedHeight() const { return DpiScale().Scale(fixed_.cy); }
SIZE CControlUI::FixedSize() const { return DpiScale().Scale(fixed_); }
int CControlUI::GetMinWidth() const { return DpiScale().Scale(min_.cx); }
int CControlUI::GetMaxWidth() const { return DpiScale().Scale(max_.cx); }
int CControlUI::GetMinHeight() const { return DpiScale().Scale(min_.cy); }
int CControlUI::GetMaxHeight() const { return DpiScale().Scale(max_.cy); }

void CControlUI::SetRelativePos(SIZE move, SIZE zoom) {
    relativePos_.relative = true;
    relativePos_.moveX = move.cx;
    relativePos_.moveY = move.cy;
    relativePos_.zoomX = zoom.cx;
    relativePos_.zoomY = zoom.cy;
}

void CControlUI::SetRelativeParentSize(SIZE size) { relativePos_.parentSize = size; }
RelativePos CControlUI::GetRelativePos() const { return relativePos_; }
bool CControlUI::IsRelativePos() const { return relativePos_.relative; }

std::wstring CControlUI::GetToolTip() const { return toolTip_; }
void CControlUI::SetToolTip(const std::wstring& text) { toolTip_ = text; }
wchar_t CControlUI::GetShortcut() const { return shortcut_; }
void CControlUI::SetShortcut(wchar_t ch) { shortcut_ = ch; }
bool CControlUI::IsContextMenuUsed() const { return menuUsed_; }
void CControlUI::SetContextMenuUsed(bool used) { menuUsed_ = used; }
const std::wstring& CControlUI::GetUserData() const { return userData_; }
void CControlUI::SetUserData(const std::wstring& text) { userData_ = text; }
UINT_PTR CControlUI::GetTag() const { return tag_; }
void CControlUI::SetTag(UINT_PTR tag) { tag_ = tag; }

DWORD CControlUI::GetAccessibleRole() const { return ROLE_SYSTEM_CLIENT; }

DWORD CControlUI::GetAccessibleState() const {
    DWORD state = 0;
    if (!IsVisible()) state |= STATE_SYSTEM_INVISIBLE;
    if (!IsEnabled()) state |= STATE_SYSTEM_UNAVAILABLE;
    if (GetControlFlags() & UIFLAG_TABSTOP) state |= STATE_SYSTEM_FOCUSABLE;
    if (IsFocused()) state |= STATE_SYSTEM_FOCUSED;
    return state;
}

void CControlUI::AnnounceChange(DWORD event) {
    if (manager_ && IsVisible()) manager_->AnnounceAccessibleEvent(event, this);
}

std::wstring CControlUI::GetAccessibleName() const {
    std::wstring text = GetText();
    if (!text.empty()) return text;
    std::wstring toolTip = GetToolTip();
    return toolTip.empty() ? accessibleName_ : toolTip;
}

bool CControlUI::IsVisible() const { return visible_ && internVisible_; }

void CControlUI::SetVisible(bool visible) {
    if (visible_ == visible) return;
    bool wasVisible = IsVisible();
    visible_ = visible;
    focused_ = false;
    if (!visible && manager_ && manager_->GetFocus() == this) manager_->SetFocus(nullptr);
    if (IsVisible() != wasVisible) NeedParentUpdate();
}

void CControlUI::SetInternVisible(bool visible) {
    internVisible_ = visible;
    if (!visible && manager_ && manager_->GetFocus() == this) manager_->SetFocus(nullptr);
}

bool CControlUI::IsEnabled() const { return enabled_; }
bool CControlUI::IsIrregular() const { return irregular_; }

void CControlUI::SetEnabled(bool enabled) {
    if (enabled_ == enabled) return;
    enabled_ = enabled;
    Invalidate();
    AnnounceChange(EVENT_OBJECT_STATECHANGE);
}

void CControlUI::SetIrregular(bool irregular) {
    irregular_ = irregular;
    regionPending_ = true;
}

bool CControlUI::IsMouseEnabled() const { return mouseEnabled_; }
void CControlUI::SetMouseEnabled(bool enabled) { mouseEnabled_ = enabled; }
bool CControlUI::IsKeyboardEnabled() const { return keyboardEnabled_; }
void CControlUI::SetKeyboardEnabled(bool enabled) { keyboardEnabled_ = enabled; }
bool CControlUI::IsFocused() const { return focused_; }

void CControlUI::SetFocus() {
    if (manager_) manager_->SetFocus(this);
}

bool CControlUI::IsFloat() const { return float_; }

void CControlUI::SetFloat(bool floating) {
    if (float_ == floating) return;
    float_ = floating;
    NeedParentUpdate();
}

const std::wstring& CControlUI::GetStyleName() const { return styleName_; }

// Named style sets are not part of this program's skin; the name is kept for style changes.
void CControlUI::ApplyStyle(const std::wstring& styleName, CControlHost*) { styleName_ = styleName; }

CControlUI* CControlUI::FindControl(FindControlProc proc, void* data, UINT flags) {
    if ((flags & UIFIND_VISIBLE) && !IsVisible()) return nullptr;
    if ((flags & UIFIND_ENABLED) && !IsEnabled()) return nullptr;
    if ((flags & UIFIND_HITTEST) && (!mouseEnabled_ || !HitTest(*static_cast<POINT*>(data)))) return nullptr;
    return proc(this, data);
}

bool CControlUI::HitTest(POINT point) const {
    if (irregular_ && region_) return ::PtInRegion(region_.Get(), point.x, point.y) != FALSE;
    return ::PtInRect(&rcItem_, point) != FALSE;
}

void CControlUI::Init() {
    DoInit();
    OnInit(this);
}

void CControlUI::DoInit() {}

void CControlUI::Event(UiEvent& event) {
    if (OnEvent(&event)) DoEvent(event);
}

void CControlUI::DoEvent(UiEvent& event) {
    switch (event.Type) {
    case UIEVENT_SETCURSOR:
        ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
        return;
    case UIEVENT_SETFOCUS:
        focused_ = true;
        Invalidate();
        return;
    case UIEVENT_KILLFOCUS:
        focused_ = false;
        Invalidate();
        return;
    case UIEVENT_TIMER:
        if (manager_) manager_->SendNotify(this, L"timer", event.wParam, event.lParam);
        return;
    case UIEVENT_CONTEXTMENU:
        if (menuUsed_) {
            menuRequested_.Emit(event.ptMouse);
            if (manager_) manager_->SendNotify(this, L"menu", event.wParam, event.lParam);
            return;
        }
        break;
    case UIEVENT_STYLECHANGE:
        if (!styleName_.empty()) ApplyStyle(styleName_, manager_);
        return;
    case UIEVENT_MOUSEENTER:
    case UIEVENT_MOUSELEAVE:
        Invalidate();
        break;
    default:
        break;
    }
    if (parent_) parent_->DoEvent(event);
}

void CControlUI::SetAttribute(const std::wstring& name, const std::wstring& value) {
    if (!GetAttributeTable().Apply(*this, name, value)) ReportUnknownAttribute(GetClass(), name);
}

const CAttributeTable& CControlUI::GetAttributeTable() const { return Attributes(); }

// One side of the border; a negative size leaves the border as it is.
void CControlUI::SetBorderSide(LONG RECT::*side, const std::wstring& value) {
    long size = ParseIntValue(value);
    if (size < 0) return;
    RECT sizes = borderSizes_;
    sizes.*side = size;
    SetBorderSize(sizes);
}

const CAttributeTable& CControlUI::Attributes() {
    using C = CControlUI;
    using V = const std::wstring&;
    static const CAttributeTable table = CAttributeTable::Of<C>(nullptr, {
        {L"pos", [](C& c, V v) {
             RECT r = ParseRectValue(v);
             c.SetFixedXY(SIZE{r.left >= 0 ? r.left : r.right, r.top >= 0 ? r.top : r.bottom});
             c.SetFixedWidth(r.right - r.left);
             c.SetFixedHeight(r.bottom - r.top);
         }},
        {L"relativepos", [](C& c, V v) {
             RECT r = ParseRectValue(v);
             c.SetRelativePos(SIZE{r.left, r.top}, SIZE{r.right, r.bottom});
         }},
        {L"padding", [](C& c, V v) { c.SetPadding(ParseRectValue(v)); }},
        {L"bkcolor", [](C& c, V v) { c.SetBkColor(ParseColorValue(v)); }},
        {L"bkcolor1", [](C& c, V v) { c.SetBkColor(ParseColorValue(v)); }},
        {L"bkcolor2", [](C& c, V v) { c.SetBkColor2(ParseColorValue(v)); }},
        {L"bkcolor3", [](C& c, V v) { c.SetBkColor3(ParseColorValue(v)); }},
        {L"disabledbkcolor", [](C& c, V v) { c.SetDisabledBkColor(ParseColorValue(v)); }},
        {L"bordercolor", [](C& c, V v) { c.SetBorderColor(ParseColorValue(v)); }},
        {L"focusbordercolor", [](C& c, V v) { c.SetFocusBorderColor(ParseColorValue(v)); }},
        {L"colorhsl", [](C& c, V v) { c.SetColorHSL(ParseBoolValue(v)); }},
        {L"bordersize", [](C& c, V v) {
             if (v.find(L',') != std::wstring::npos) c.SetBorderSize(ParseRectValue(v));
             else c.SetBorderSize(static_cast<int>(ParseIntValue(v)));
         }},
        {L"leftbordersize", [](C& c, V v) { c.SetBorderSide(&RECT::left, v); }},
        {L"topbordersize", [](C& c, V v) { c.SetBorderSide(&RECT::top, v); }},
        {L"rightbordersize", [](C& c, V v) { c.SetBorderSide(&RECT::right, v); }},
        {L"bottombordersize", [](C& c, V v) { c.SetBorderSide(&RECT::bottom, v); }},
        {L"borderstyle", [](C& c, V v) {
             long style = ParseIntValue(v);
             if (style >= 0) c.SetBorderStyle(static_cast<int>(style));
         }},
        {L"borderround", [](C& c, V v) { c.SetBorderRound(ParseSizeValue(v)); }},
        {L"bkimage", [](C& c, V v) { c.SetBkImage(v); }},
        {L"width", [](C& c, V v) { c.SetFixedWidth(static_cast<int>(ParseIntValue(v))); }},
        {L"height", [](C& c, V v) { c.SetFixedHeight(static_cast<int>(ParseIntValue(v))); }},
        {L"minwidth", [](C& c, V v) { c.SetMinWidth(static_cast<int>(ParseIntValue(v))); }},
        {L"minheight", [](C& c, V v) { c.SetMinHeight(static_cast<int>(ParseIntValue(v))); }},
        {L"maxwidth", [](C& c, V v) { c.SetMaxWidth(static_cast<int>(ParseIntValue(v))); }},
        {L"maxheight", [](C& c, V v) { c.SetMaxHeight(static_cast<int>(ParseIntValue(v))); }},
        {L"name", [](C& c, V v) { c.SetName(v); }},
        {L"text", [](C& c, V v) { c.SetText(v); }},
        {L"tooltip", [](C& c, V v) { c.SetToolTip(v); }},
        {L"userdata", [](C& c, V v) { c.SetUserData(v); }},
        {L"accname", [](C& c, V v) { c.SetAccessibleName(v); }},
        {L"accdescription", [](C& c, V v) { c.SetAccessibleDescription(v); }},
        {L"enabled", [](C& c, V v) { c.SetEnabled(ParseBoolValue(v)); }},
        {L"mouse", [](C& c, V v) { c.SetMouseEnabled(ParseBoolValue(v)); }},
        {L"keyboard", [](C& c, V v) { c.SetKeyboardEnabled(ParseBoolValue(v)); }},
        {L"visible", [](C& c, V v) { c.SetVisible(ParseBoolValue(v)); }},
        {L"random", [](C& c, V v) { c.SetIrregular(ParseBoolValue(v)); }},
        {L"float", [](C& c, V v) { c.SetFloat(ParseBoolValue(v)); }},
        {L"menu", [](C& c, V v) { c.SetContextMenuUsed(ParseBoolValue(v)); }},
        {L"shortcut", [](C& c, V v) { c.SetShortcut(v.empty() ? 0 : v[0]); }},
        {L"style", [](C& c, V v) { c.ApplyStyle(v, c.manager_); }},
        {L"virtualwnd", [](C& c, V v) { c.SetVirtualWnd(v); }},
    });
    return table;
}

void CControlUI::ApplyAttributeList(const std::wstring& list) {
    size_t pos = 0;
    while (pos < list.size()) {
        size_t equals = list.find(L'=', pos);
        if (equals == std::wstring::npos || equals + 1 >= list.size() || list[equals + 1] != L'"') return;
        size_t close = list.find(L'"', equals + 2);
        if (close == std::wstring::npos) return;
        SetAttribute(list.substr(pos, equals - pos), list.substr(equals + 2, close - equals - 2));
        pos = close + 1;
        if (pos >= list.size()) return;
        // Exactly one blank, then the next name.
        if (list[pos] != L' ' || pos + 1 >= list.size() || list[pos + 1] == L' ') return;
        ++pos;
    }
}

SIZE CControlUI::EstimateSize(SIZE) { return FixedSize(); }

void CControlUI::DoPaint(HDC dc, const RECT& paint) {
    if (!::IntersectRect(&rcPaint_, &paint, &rcItem_)) return;
    auto paintAll = [&] {
        PaintBkColor(dc);
        PaintBkImage(dc);
        PaintStatusImage(dc);
        PaintText(dc);
        PaintBorder(dc);
    };
    if (HasRoundCorners(borderRound_)) {
        const SIZE round = DpiScale().Scale(borderRound_);
        CRenderClip clip(dc, rcPaint_, rcItem_, round.cx, round.cy);
        paintAll();
    } else {
        paintAll();
    }
}

void CControlUI::PaintBkColor(HDC dc) {
    if (bkColor_ == 0) return;
    if (bkColor2_ != 0) {
        if (bkColor3_ != 0) {
            LONG middle = (rcItem_.top + rcItem_.bottom) / 2;
            CSkinRenderer::DrawGradient(dc, RECT{rcItem_.left, rcItem_.top, rcItem_.right, middle}, bkColor_,
                                        bkColor2_, true, 8);
            CSkinRenderer::DrawGradient(dc, RECT{rcItem_.left, middle, rcItem_.right, rcItem_.bottom}, bkColor2_,
                                        bkColor3_, true, 8);
        } else {
            CSkinRenderer::DrawGradient(dc, rcItem_, bkColor_, bkColor2_, true, 16);
        }
    } else if (AlphaOf(bkColor_) == 0xFF) {
        CSkinRenderer::DrawColor(dc, rcPaint_, bkColor_);
    } else {
        CSkinRenderer::DrawColor(dc, rcItem_, bkColor_);
    }
}

void CControlUI::PaintBkImage(HDC dc) {
    if (bkImage_.empty()) return;
    if (EndsWithIgnoringCase(bkImage_, L".ico")) {
        PaintIcon(dc);
        return;
    }
    if (irregular_ && regionPending_) BuildRegionFromImage();
    if (!DrawImage(dc, bkImage_)) bkImage_.clear();
}

CSkinResources* CControlUI::SkinResources() const { return manager_ ? &manager_->GetResources() : nullptr; }

void CControlUI::PaintIcon(HDC dc) {
    // The icon file is asked for the size the DPI calls for, not stretched from the 96-DPI one.
    const CDpiScale dpi = DpiScale();
    const int size = dpi.Scale(32);
    CIconHandle icon(
        static_cast<HICON>(::LoadImageW(nullptr, bkImage_.c_str(), IMAGE_ICON, size, size, LR_LOADFROMFILE)));
    if (icon.Get())
        ::DrawIconEx(dc, rcItem_.left, rcItem_.top, icon.Get(), dpi.Scale(54), dpi.Scale(54), 0, nullptr, DI_NORMAL);
}

void CControlUI::BuildRegionFromImage() {
    regionPending_ = false;
    if (!manager_) return;
    CImageStringParser parser(rcItem_, nullptr);
    parser.Parse(bkImage_);
    const ImageDrawParams& params = parser.Params();
    const CDpiScale dpi = DpiScale();
    const TImageInfo* image = manager_->GetResources().GetImageEx(params.name, params.resourceType, params.mask, dpi);
    if (!image) return;
    const std::vector<uint32_t> pixels = ReadPixels(*image);
    if (pixels.empty()) return;
    // Runs of the render's pixels, in the window's pixels.
    const CPictureScale scale(image->renderPercent, dpi);
    auto toWindow = [&scale](int renderPixels) { return scale.RenderToWindow(renderPixels); };
    CRegionHandle region(::CreateRectRgn(0, 0, 0, 0));
    for (int y = 0; y < image->height; ++y) {
        const uint32_t* row = pixels.data() + static_cast<size_t>(y) * image->width;
        for (int x = 0; x < image->width;) {
            if ((row[x] & 0x00FFFFFF) == 0) {
                ++x;
                continue;
            }
            int start = x;
            while (x < image->width && (row[x] & 0x00FFFFFF) != 0) ++x;
            CRegionHandle run(::CreateRectRgn(rcItem_.left + toWindow(start), rcItem_.top + toWindow(y),
                                              rcItem_.left + toWindow(x), rcItem_.top + toWindow(y + 1)));
            ::CombineRgn(region.Get(), region.Get(), run.Get(), RGN_OR);
        }
    }
    region_ = std::move(region);
}

void CControlUI::PaintStatusImage(HDC) {}
void CControlUI::PaintText(HDC) {}

void CControlUI::PaintBorder(HDC dc) {
    if (borderColor_ == 0 && focusBorderColor_ == 0) return;
    const CDpiScale scale = DpiScale();
    const int borderSize = scale.Scale(borderSize_);
    if (borderSize_ > 0 && HasRoundCorners(borderRound_)) {
        UiColor color = focused_ && focusBorderColor_ != 0 ? focusBorderColor_ : borderColor_;
        const SIZE round = scale.Scale(borderRound_);
        CSkinRenderer::DrawRoundRect(dc, rcItem_, borderSize, round.cx, round.cy, color);
        return;
    }
    if (focused_ && focusBorderColor_ != 0 && borderSize_ > 0) {
        CSkinRenderer::DrawRect(dc, rcItem_, borderSize, focusBorderColor_);
        return;
    }
    // A border colour of 0 means "no border"; only the focus border above may still show.
    if (borderColor_ == 0) return;
    const RECT s = scale.Scale(borderSizes_);
    if (s.left > 0 || s.top > 0 || s.right > 0 || s.bottom > 0) {
        const RECT& r = rcItem_;
        if (s.left > 0)
            CSkinRenderer::DrawLine(dc, RECT{r.left, r.top, r.left, r.bottom}, s.left, borderColor_, borderStyle_);
        if (s.top > 0)
            CSkinRenderer::DrawLine(dc, RECT{r.left, r.top, r.right, r.top}, s.top, borderColor_, borderStyle_);
        if (s.right > 0)
            CSkinRenderer::DrawLine(dc, RECT{r.right - s.right, r.top, r.right - s.right, r.bottom}, s.right,
                                    borderColor_, borderStyle_);
        // The bottom line sits on the last row of the control, like the right one on its last
        // column; one on the row below the control would be clipped away.
        if (s.bottom > 0)
            CSkinRenderer::DrawLine(dc, RECT{r.left, r.bottom - s.bottom, r.right, r.bottom - s.bottom}, s.bottom,
                                    borderColor_, borderStyle_);
    } else if (borderSize_ > 0) {
        CSkinRenderer::DrawRect(dc, rcItem_, borderSize, borderColor_);
    }
}

void CControlUI::DoPostPaint(HDC, const RECT&) {}

void CControlUI::InvalidateClipped(RECT rect) const {
    if (!manager_) return;
    for (CControlUI* ancestor = parent_; ancestor; ancestor = ancestor->GetParent()) {
        RECT clipped;
        if (!::IntersectRect(&clipped, &rect, &ancestor->GetPos())) return;
        rect = clipped;
    }
    manager_->Invalidate(rect);
}

void CControlUI::Invalidate() {
    if (!IsVisible()) return;
    InvalidateClipped(rcItem_);
}

void CControlUI::NeedUpdate() {
    if (!IsVisible()) return;
    updateNeeded_ = true;
    Invalidate();
    if (manager_) manager_->NeedUpdate();
}

void CControlUI::NeedParentUpdate() {
    if (parent_) {
        parent_->NeedUpdate();
        parent_->Invalidate();
    } else {
        NeedUpdate();
    }
}

bool CControlUI::DrawImage(HDC dc, const std::wstring& image, const std::wstring& modifier) {
    return CSkinRenderer::DrawImageString(dc, SkinResources(), rcItem_, rcPaint_, image, modifier, DpiScale());
}

template <typename Value>
void CControlUI::SetPaintValue(Value& field, Value value) {
    if (field == value) return;
    field = value;
    Invalidate();
}

void CControlUI::SetBkColor(UiColor color) { SetPaintValue(bkColor_, color); }
void CControlUI::SetBkColor2(UiColor color) { SetPaintValue(bkColor2_, color); }
void CControlUI::SetBkColor3(UiColor color) { SetPaintValue(bkColor3_, color); }
void CControlUI::SetDisabledBkColor(UiColor color) { SetPaintValue(disabledBkColor_, color); }
void CControlUI::SetBorderColor(UiColor color) { SetPaintValue(borderColor_, color); }
void CControlUI::SetFocusBorderColor(UiColor color) { SetPaintValue(focusBorderColor_, color); }
void CControlUI::SetColorHSL(bool on) { SetPaintValue(colorHsl_, on); }
void CControlUI::SetBorderSize(int size) { SetPaintValue(borderSize_, size); }
void CControlUI::SetBorderStyle(int style) { SetPaintValue(borderStyle_, style); }

void CControlUI::SetBkImage(const std::wstring& image) {
    if (bkImage_ == image) return;
    bkImage_ = image;
    regionPending_ = true;
    Invalidate();
}

void CControlUI::SetBorderSize(RECT sizes) {
    borderSizes_ = sizes;
    Invalidate();
}

void CControlUI::SetBorderRound(SIZE round) {
    borderRound_ = round;
    Invalidate();
}

const std::wstring& CControlUI::GetVirtualWnd() const { return virtualWnd_; }

void CControlUI::SetVirtualWnd(const std::wstring& name) {
    virtualWnd_ = name;
    if (manager_) manager_->UsedVirtualWnd(true);
}

}  // namespace UiLib
