#include "UiLib/core/UIManager.h"

#include <windowsx.h>

#include <algorithm>
#include <cwctype>

#include "UiLib/core/MessageLoop.h"
#include "UiLib/render/ScopedDC.h"
#include "UiLib/render/UIResource.h"
#include "UiLib/tree/UIControl.h"
#include "UiLib/tree/UIWindowWnd.h"

namespace UiLib {
namespace {

CControlUI* CALLBACK EnterNameOfControl(CControlUI* control, void* data) {
    auto* names = static_cast<CStringMap<CControlUI*>*>(data);
    std::wstring name = control->GetName();
    if (!name.empty()) names->Set(name, control);
    return nullptr;
}

CControlUI* CALLBACK AcceptControl(CControlUI* control, void*) { return control; }

CControlUI* CALLBACK AcceptControlNeedingUpdate(CControlUI* control, void*) {
    return control->IsUpdateNeeded() ? control : nullptr;
}

CControlUI* CALLBACK CollectControl(CControlUI* control, void* data) {
    static_cast<std::vector<CControlUI*>*>(data)->push_back(control);
    return nullptr;
}

struct NameSearch {
    const std::wstring* name;
};

CControlUI* CALLBACK AcceptControlNamedIgnoringCase(CControlUI* control, void* data) {
    const std::wstring& wanted = *static_cast<NameSearch*>(data)->name;
    std::wstring name = control->GetName();
    bool equal = name.size() == wanted.size() &&
                 std::equal(name.begin(), name.end(), wanted.begin(),
                            [](wchar_t a, wchar_t b) { return std::towlower(a) == std::towlower(b); });
    return equal ? control : nullptr;
}

// Children of the framework's own reflection base: a child window gets its notifications back.
constexpr UINT kReflectionBase = WM_USER + 0x1C00;

// Shared by every window: the pen that outlines repainted areas is made once.
HPEN UpdatePen() {
    static CPenHandle pen(::CreatePen(PS_SOLID, 1, RGB(220, 0, 0)));
    return pen.Get();
}

POINT PointOf(LPARAM lParam) { return POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}; }

bool IsKeyMessage(UINT message) {
    return message == WM_KEYDOWN || message == WM_SYSKEYDOWN || message == WM_CHAR || message == WM_SYSCHAR;
}

// The framework's key state: left button 1, right button 2, Shift 4, Ctrl 8, Alt 0x20.
uint16_t CurrentKeyState() {
    uint16_t state = 0;
    if (::GetKeyState(VK_LBUTTON) < 0) state |= UIKEY_LBUTTON;
    if (::GetKeyState(VK_RBUTTON) < 0) state |= UIKEY_RBUTTON;
    if (::GetKeyState(VK_SHIFT) < 0) state |= UIKEY_SHIFT;
    if (::GetKeyState(VK_CONTROL) < 0) state |= UIKEY_CONTROL;
    if (::GetKeyState(VK_MENU) < 0) state |= UIKEY_ALT;
    return state;
}

}  // namespace

CPaintManagerUI::CPaintManagerUI() = default;

CPaintManagerUI::~CPaintManagerUI() {
    RemoveAllTimers();
    // The tree goes first: its controls still reach the manager while they are destroyed.
    root_.reset();
    RunDelayedCleanup();
    RemoveAllOptionGroups();
    notifications_.Clear();
    CMessageLoop::Leave(this);
}

void CPaintManagerUI::Init(HWND window) {
    UpdatePen();
    window_ = window;
    SetDpiScale(WindowDpiScale(window));
    windowDC_ = std::make_unique<CWindowDC>(window);
    timers_.SetWindow(window);
    CMessageLoop::Join(this);
    CWindowWnd::SetMessageTranslator(&CPaintManagerUI::TranslateMessage);
    focusIndicator_.Attach(window);
}

void CPaintManagerUI::Invalidate(const RECT& rect) {
    if (window_) ::InvalidateRect(window_, &rect, FALSE);
}

bool CPaintManagerUI::AttachDialog(std::unique_ptr<CControlUI> root) {
    hover_ = click_ = keyControl_ = nullptr;
    focus_.Restart();
    if (root_) AddDelayedCleanup(std::move(root_));
    root_ = std::move(root);
    firstLayout_ = true;
    updateNeeded_ = true;
    return root_ && InitControls(root_.get());
}

bool CPaintManagerUI::InitControls(CControlUI* control, CControlUI* parent) {
    if (!control) return false;
    control->SetManager(this, parent ? parent : control->GetParent(), true);
    control->FindControl(EnterNameOfControl, &nameMap_, UIFIND_ALL);
    return true;
}

void CPaintManagerUI::ReapObjects(CControlUI* control) {
    focus_.Forget(control);
    if (hover_ == control) hover_ = nullptr;
    if (click_ == control) click_ = nullptr;
    if (keyControl_ == control) keyControl_ = nullptr;
    RemovePostPaint(control);
    KillTimers(control);
    std::wstring name = control->GetName();
    if (!name.empty()) {
        CControlUI** entry = nameMap_.Find(name);
        if (entry && *entry == control) nameMap_.Remove(name);
    }
    notifications_.Forget(control);
}

CControlUI* CPaintManagerUI::FindControl(const std::wstring& name) {
    CControlUI** entry = nameMap_.Find(name);
    return entry ? *entry : nullptr;
}

CControlUI* CPaintManagerUI::FindControl(POINT point) const {
    if (!root_) return nullptr;
    return root_->FindControl(AcceptControl, &point, UIFIND_VISIBLE | UIFIND_HITTEST | UIFIND_TOP_FIRST);
}

CControlUI* CPaintManagerUI::FindSubControlByName(CControlUI* parent, const std::wstring& name) const {
    if (!parent) return nullptr;
    NameSearch search{&name};
    return parent->FindControl(AcceptControlNamedIgnoringCase, &search, UIFIND_ALL);
}

void CPaintManagerUI::UpdateLayout(const RECT& client) {
    if (!updateNeeded_ || !root_) return;
    updateNeeded_ = false;
    if (::IsRectEmpty(&client)) return;
    if (root_->IsUpdateNeeded()) {
        root_->SetPos(client);
        bands_.ForgetBackground();
    } else {
        while (CControlUI* control =
                   root_->FindControl(AcceptControlNeedingUpdate, nullptr, UIFIND_VISIBLE | UIFIND_ME_FIRST)) {
            control->SetPos(control->GetPos());
            if (control->IsUpdateNeeded()) break;
        }
    }
    if (firstLayout_) {
        firstLayout_ = false;
        SendNotify(root_.get(), L"windowinit");
    }
}

void CPaintManagerUI::Paint(HDC dc, const RECT& client, const RECT& paint) {
    UpdateLayout(client);
    if (!root_) return;
    root_->DoPaint(dc, paint);
    for (size_t i = 0; i < postPaint_.Count(); ++i) postPaint_.GetAt(static_cast<int>(i))->DoPostPaint(dc, paint);
    PaintFocusIndicator(dc, paint);
}

void CPaintManagerUI::PaintFocusIndicator(HDC dc, const RECT& paint) const {
    CControlUI* focused = focus_.GetFocus();
    if (focused && focused->IsVisible() && focusIndicator_.IsShown())
        focusIndicator_.Paint(dc, paint, *focused, dpiScale_);
}

void CPaintManagerUI::SendNotify(CControlUI* sender, const wchar_t* type, WPARAM wParam, LPARAM lParam, bool async) {
    UiNotify msg;
    msg.sType = type;
    msg.pSender = sender;
    msg.wParam = wParam;
    msg.lParam = lParam;
    SendNotify(msg, async);
}

void CPaintManagerUI::SendNotify(UiNotify& msg, bool async) {
    msg.ptMouse = lastMousePos_;
    msg.dwTimestamp = ::GetTickCount();
    if (usedVirtualWnd_ && msg.pSender) msg.sVirtualWnd = msg.pSender->GetVirtualWnd();
    notifications_.Send(msg, async);
}

void CPaintManagerUI::AddDelayedCleanup(std::unique_ptr<CControlUI> control) {
    if (!control) return;
    control->SetManager(this, nullptr, false);
    delayedCleanup_.Add(window_, kDelayedCleanupMessage, std::move(control));
}

void CPaintManagerUI::ShareResources(std::shared_ptr<CSkinResources> resources) {
    if (!resources) return;
    // Fonts made for another DPI would draw this window's text at the wrong size.
    resources_ = resources->GetDpiScale() == dpiScale_ ? std::move(resources) : resources->CopyFor(dpiScale_);
}

void CPaintManagerUI::SetDpiScale(CDpiScale scale) {
    dpiScale_ = scale;
    chrome_.SetDpiScale(scale);
    if (resources_.use_count() > 1 && resources_->GetDpiScale() != scale) resources_ = resources_->CopyFor(scale);
    else resources_->SetDpiScale(scale);
}

bool CPaintManagerUI::AddPostPaint(CControlUI* control) {
    if (!control || postPaint_.IndexOf(control) >= 0) return false;
    postPaint_.Add(control);
    return true;
}

bool CPaintManagerUI::RemovePostPaint(CControlUI* control) {
    int index = postPaint_.IndexOf(control);
    if (index < 0) return false;
    postPaint_.TakeAt(index);
    return true;
}

void CPaintManagerUI::SetCapture() {
    ::SetCapture(window_);
    mouseCapture_ = true;
}

void CPaintManagerUI::ReleaseCapture() {
    ::ReleaseCapture();
    mouseCapture_ = false;
}

UiEvent CPaintManagerUI::MakeEvent(uint32_t type, CControlUI* sender) const {
    UiEvent event;
    event.Type = type;
    event.pSender = sender;
    event.ptMouse = lastMousePos_;
    event.dwTimestamp = ::GetTickCount();
    return event;
}

bool CPaintManagerUI::MessageHandler(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    result = 0;
    if (!window_) return false;
    DeliverQueuedNotifications();
    if (filters_.OfferMessage(message, wParam, lParam, result)) return true;
    MessageResult outcome = Dispatch(message, wParam, lParam);
    if (outcome.first) result = outcome.second;
    DeliverQueuedNotifications();
    return outcome.first;
}

CPaintManagerUI::MessageResult CPaintManagerUI::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    constexpr MessageResult kNotHandled{false, 0};
    switch (message) {
    case WM_PAINT:
        return OnPaint();
    case WM_PRINTCLIENT:
        PaintClientInto(reinterpret_cast<HDC>(wParam), lParam);
        return {true, 0};
    case WM_ERASEBKGND:
        return {true, 1};
    case WM_SIZE:
        return OnSize();
    case WM_DPICHANGED:
        return OnDpiChanged(wParam, lParam);
    case WM_MOUSEMOVE:
        return OnMouseMove(lParam, wParam);
    case WM_MOUSEHOVER:
        return OnMouseHover(lParam);
    case WM_MOUSELEAVE:
        return OnMouseLeave();
    case WM_ENTERMENULOOP:
    case WM_EXITMENULOOP:
        return OnMenuLoop(message == WM_ENTERMENULOOP);
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
        return OnButtonDown(message, wParam, lParam);
    case WM_LBUTTONUP:
        return OnButtonUp(wParam, lParam);
    case WM_CONTEXTMENU:
        return OnContextMenu(wParam, lParam);
    case WM_MOUSEWHEEL:
        return OnMouseWheel(wParam, lParam);
    case WM_SETCURSOR:
        return OnSetCursor(wParam, lParam);
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
        return OnKey(message, wParam, lParam);
    case WM_TIMER:
        return OnTimer(wParam, lParam);
    case WM_GETMINMAXINFO:
        return OnGetMinMaxInfo(lParam);
    case WM_GETOBJECT:
        return OnGetObject(wParam, lParam);
    case WM_UPDATEUISTATE:
        return OnUpdateUiState(wParam);
    case WM_CLOSE:
        return OnClose();
    case WM_NOTIFY:
    case WM_COMMAND:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
        return Reflect(message, wParam, lParam);
    case kIgnoredMessage:
        return {true, 0};
    case kStyleChangedMessage:
        return OnStyleChanged();
    case kDelayedCleanupMessage:
        RunDelayedCleanup();
        return {true, 0};
    default:
        // Explorer restarted and took the tray icon with it.
        if (message == CTrayIcon::TaskbarCreatedMessage()) trayIcon_.AddAgain();
        return kNotHandled;
    }
}

CPaintManagerUI::MessageResult CPaintManagerUI::OnGetObject(WPARAM wParam, LPARAM lParam) {
    // The frame, the scroll bars and the caret stay the system's.
    if (static_cast<LONG>(lParam) != OBJID_CLIENT) return {false, 0};
    if (!accessible_) accessible_.reset(new CAccessibleWindow(*this));
    return {true, accessible_->Answer(wParam)};
}

void CPaintManagerUI::AnnounceAccessibleEvent(DWORD event, CControlUI* control) {
    // Finding the element's id walks the tree: not while no one listens.
    HWND window = GetPaintWindow();
    if (window && ::IsWindowVisible(window) && ::IsWinEventHookInstalled(event))
        AnnounceEvent(window, GetRoot(), control, event);
}

// The focus cues change: the focused control is drawn again. The default handling follows, which
// hands the state on to the child windows.
CPaintManagerUI::MessageResult CPaintManagerUI::OnUpdateUiState(WPARAM wParam) {
    focusIndicator_.OnUpdateUiState(wParam);
    if (CControlUI* focused = focus_.GetFocus()) focused->Invalidate();
    return {false, 0};
}

CPaintManagerUI::MessageResult CPaintManagerUI::OnPaint() {
    RECT update{};
    if (!::GetUpdateRect(window_, &update, FALSE)) return {true, 0};
    if (!root_) {
        CPaintDC validate(window_);
        return {true, 0};
    }
    RECT client{};
    ::GetClientRect(window_, &client);
    LayOutAndFocus(client);
    {
        CPaintDC paint(window_);
        if (offscreenPaint_) PaintOffscreen(paint.Get(), client, paint.PaintRect());
        else Paint(paint.Get(), client, paint.PaintRect());
    }
    if (updateNeeded_) ::InvalidateRect(window_, nullptr, FALSE);
    return {true, 0};
}

// The first layout may change the tree (the window's initialisation adds controls) and the first
// tab stop takes the focus once the tree is laid out: both settle before the first paint, so
// that the window is drawn once, whole.
void CPaintManagerUI::LayOutAndFocus(const RECT& client) {
    constexpr int kMostRounds = 4;
    for (int round = 0; round < kMostRounds && (updateNeeded_ || focus_.IsFocusNeeded()); ++round) {
        UpdateLayout(client);
        if (focus_.IsFocusNeeded() && !updateNeeded_) SetNextTabControl();
    }
}

// Keys typed ahead of a repaint (a page switch, a Tab while the tree waits for its layout) go to
// the control the focus is moving to: the pending layout and focus move are done first, so that no
// key is lost to the control the focus is leaving and every Tab moves it one stop. The first
// layout, which initialises the window, stays the first paint's.
void CPaintManagerUI::SettleBeforeKey() {
    if (firstLayout_ || !root_ || (!updateNeeded_ && !focus_.IsFocusNeeded())) return;
    RECT client{};
    ::GetClientRect(window_, &client);
    LayOutAndFocus(client);
}

void CPaintManagerUI::PaintOffscreen(HDC screen, const RECT& client, const RECT& area) {
    auto paintBand = [this, &client](HDC dc, const RECT& band) { Paint(dc, client, band); };
    if (!bands_.Paint(screen, client, area, chrome_.IsBackgroundTransparent(), paintBand)) {
        Paint(screen, client, area);
        return;
    }
    if (showUpdateRect_) {
        CSelectObject pen(screen, UpdatePen());
        CSelectObject brush(screen, ::GetStockObject(HOLLOW_BRUSH));
        ::Rectangle(screen, area.left, area.top, area.right, area.bottom);
    }
}

void CPaintManagerUI::PaintClientInto(HDC dc, LPARAM flags) {
    if (!root_ || !dc) return;
    RECT client{};
    ::GetClientRect(window_, &client);
    CSavedDCState state(dc);
    root_->DoPaint(dc, client);
    PaintFocusIndicator(dc, client);
    if (!(flags & PRF_CHILDREN)) return;
    for (HWND child = ::GetWindow(window_, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        RECT position{};
        ::GetWindowRect(child, &position);
        ::MapWindowPoints(HWND_DESKTOP, window_, reinterpret_cast<POINT*>(&position), 2);
        ::SetWindowOrgEx(dc, -position.left, -position.top, nullptr);
        ::SendMessageW(child, WM_PRINT, reinterpret_cast<WPARAM>(dc), flags | PRF_NONCLIENT);
    }
}

// The window moved to a display of another DPI: the system suggests its new place and size.
CPaintManagerUI::MessageResult CPaintManagerUI::OnDpiChanged(WPARAM wParam, LPARAM lParam) {
    SetDpiScale(CDpiScale(HIWORD(wParam)));
    if (root_) root_->NeedUpdate();
    updateNeeded_ = true;
    if (const auto* suggested = reinterpret_cast<const RECT*>(lParam))
        ::SetWindowPos(window_, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                       suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    ::InvalidateRect(window_, nullptr, FALSE);
    return {true, 0};
}

CPaintManagerUI::MessageResult CPaintManagerUI::OnSize() {
    if (CControlUI* focused = focus_.GetFocus()) {
        UiEvent event = MakeEvent(UIEVENT_WINDOWSIZE);
        focused->Event(event);
    }
    if (root_) root_->NeedUpdate();
    updateNeeded_ = true;
    return {true, 0};
}

CPaintManagerUI::MessageResult CPaintManagerUI::OnMouseMove(LPARAM lParam, WPARAM wParam) {
    if (!mouseTracking_) {
        TRACKMOUSEEVENT track{sizeof(track), TME_HOVER | TME_LEAVE, window_, toolTip_.HoverTime()};
        ::TrackMouseEvent(&track);
        mouseTracking_ = true;
    }
    lastMousePos_ = PointOf(lParam);
    CControlUI* target = FindControl(lastMousePos_);
    if (target && target->GetManager() != this) return {false, 0};
    UiEvent event = MakeEvent(UIEVENT_MOUSEMOVE);
    event.wKeyState = static_cast<uint16_t>(wParam);
    if (target != hover_) {
        if (CControlUI* left = hover_) {
            hover_ = nullptr;
            UiEvent leave = event;
            leave.Type = UIEVENT_MOUSELEAVE;
            leave.pSender = target;
            left->Event(leave);
            toolTip_.Hide();
        }
        if (target) {
            hover_ = target;
            UiEvent enter = event;
            enter.Type = UIEVENT_MOUSEENTER;
            target->Event(enter);
        }
    }
    if (click_) click_->Event(event);
    else if (target && target == hover_) target->Event(event);
    return {false, 0};
}

CPaintManagerUI::MessageResult CPaintManagerUI::OnMouseHover(LPARAM lParam) {
    mouseTracking_ = false;
    CControlUI* control = FindControl(PointOf(lParam));
    if (!control) return {false, 0};
    if (hover_) {
        UiEvent event = MakeEvent(UIEVENT_MOUSEHOVER);
        hover_->Event(event);
    }
    if (openMenus_ == 0 && !control->GetToolTip().empty())
        toolTip_.Show(window_, control->GetToolTip(), control->GetPos(), dpiScale_);
    return {true, 0};
}

CPaintManagerUI::MessageResult CPaintManagerUI::OnMouseLeave() {
    toolTip_.Hide();
    // The hover control learns that the mouse has gone through a move to nowhere.
    if (mouseTracking_) ::SendMessageW(window_, WM_MOUSEMOVE, 0, static_cast<LPARAM>(-1));
    mouseTracking_ = false;
    return {false, 0};
}

// The system's menus and ours announce themselves to the window they open from; the pointer that
// opened one usually rests on the control under it, whose hover would bring its tooltip back.
CPaintManagerUI::MessageResult CPaintManagerUI::OnMenuLoop(bool entering) {
    if (entering) {
        ++openMenus_;
        toolTip_.Hide();
    } else if (openMenus_ > 0) {
        --openMenus_;
    }
    return {false, 0};
}

CPaintManagerUI::MessageResult CPaintManagerUI::OnButtonDown(UINT message, WPARAM wParam, LPARAM lParam) {
    // A pressed control's tooltip goes, so that it cannot lie over what the press opens; the
    // focus is marked again only once the keyboard moves it.
    toolTip_.Hide();
    focusIndicator_.HideForPointer();
    ::SetFocus(window_);
    lastMousePos_ = PointOf(lParam);
    CControlUI* control = FindControl(lastMousePos_);
    if (!control || control->GetManager() != this) return {false, 0};
    uint32_t type = UIEVENT_BUTTONDOWN;
    if (message == WM_LBUTTONDBLCLK) type = UIEVENT_DBLCLICK;
    else if (message == WM_RBUTTONDOWN) type = UIEVENT_RBUTTONDOWN;
    // The control is the captured one from now on (forgotten again should it go away meanwhile).
    click_ = control;
    if (type != UIEVENT_DBLCLICK) control->SetFocus();
    // A focus handler may have removed it.
    if (click_ != control) return {false, 0};
    SetCapture();
    UiEvent event = MakeEvent(type, control);
    event.wKeyState = static_cast<uint16_t>(wParam);
    control->Event(event);
    return {false, 0};
}

CPaintManagerUI::MessageResult CPaintManagerUI::OnButtonUp(WPARAM wParam, LPARAM lParam) {
    lastMousePos_ = PointOf(lParam);
    CControlUI* control = click_;
    click_ = nullptr;
    // The capture ends with the press, also when the pressed control went away meanwhile: kept, it
    // would take every click on the screen.
    if (mouseCapture_) ReleaseCapture();
    if (!control) return {false, 0};
    UiEvent event = MakeEvent(UIEVENT_BUTTONUP, control);
    event.wKeyState = static_cast<uint16_t>(wParam);
    control->Event(event);
    return {false, 0};
}

CPaintManagerUI::MessageResult CPaintManagerUI::OnContextMenu(WPARAM, LPARAM lParam) {
    // From the keyboard (the menu key, Shift+F10) the menu is the focused control's, and it opens
    // at the control's lower left corner rather than where the pointer happens to be.
    const bool fromKeyboard = lParam == static_cast<LPARAM>(-1);
    CControlUI* control = fromKeyboard ? focus_.GetFocus() : click_;
    if (!fromKeyboard) {
        click_ = nullptr;
        if (mouseCapture_) ReleaseCapture();
    }
    if (!control) return {false, 0};
    if (fromKeyboard) {
        lastMousePos_ = POINT{control->GetPos().left, control->GetPos().bottom};
    } else {
        POINT point = PointOf(lParam);
        ::ScreenToClient(window_, &point);
        lastMousePos_ = point;
    }
    UiEvent event = MakeEvent(UIEVENT_CONTEXTMENU, control);
    event.lParam = reinterpret_cast<LPARAM>(control);
    control->Event(event);
    return {false, 0};
}

CPaintManagerUI::MessageResult CPaintManagerUI::OnMouseWheel(WPARAM wParam, LPARAM lParam) {
    POINT point = PointOf(lParam);
    ::ScreenToClient(window_, &point);
    CControlUI* control = FindControl(point);
    if (!control || control->GetManager() != this) return {false, 0};
    UiEvent event = MakeEvent(UIEVENT_SCROLLWHEEL, control);
    event.ptMouse = point;
    event.wParam = GET_WHEEL_DELTA_WPARAM(wParam) < 0 ? SB_LINEDOWN : SB_LINEUP;
    event.wKeyState = CurrentKeyState();
    control->Event(event);
    // What lies under the mouse may have scrolled; hover follows it.
    ::SendMessageW(window_, WM_MOUSEMOVE, 0, MAKELPARAM(lastMousePos_.x, lastMousePos_.y));
    return {false, 0};
}

CPaintManagerUI::MessageResult CPaintManagerUI::OnSetCursor(WPARAM wParam, LPARAM lParam) {
    if (LOWORD(lParam) != HTCLIENT) return {false, 0};
    if (mouseCapture_) return {true, TRUE};
    POINT point{};
    ::GetCursorPos(&point);
    ::ScreenToClient(window_, &point);
    CControlUI* control = FindControl(point);
    if (!control || !(control->GetControlFlags() & UIFLAG_SETCURSOR)) return {false, 0};
    UiEvent event = MakeEvent(UIEVENT_SETCURSOR, control);
    event.ptMouse = point;
    event.wParam = wParam;
    event.lParam = lParam;
    event.wKeyState = CurrentKeyState();
    control->Event(event);
    return {true, TRUE};
}

CPaintManagerUI::MessageResult CPaintManagerUI::OnKey(UINT message, WPARAM wParam, LPARAM lParam) {
    CControlUI* control = message == WM_KEYUP ? keyControl_ : focus_.GetFocus();
    if (!control) return {false, 0};
    uint32_t type = UIEVENT_CHAR;
    if (message == WM_KEYDOWN) type = UIEVENT_KEYDOWN;
    else if (message == WM_KEYUP) type = UIEVENT_KEYUP;
    if (message == WM_KEYDOWN) keyControl_ = control;
    if (message == WM_KEYUP) keyControl_ = nullptr;
    UiEvent event = MakeEvent(type, control);
    event.chKey = static_cast<wchar_t>(wParam);
    event.wKeyState = CurrentKeyState();
    event.wParam = wParam;
    event.lParam = lParam;
    control->Event(event);
    return {false, 0};
}

void CPaintManagerUI::AddTrayIconSoon(UINT id, CIconHandle icon) {
    trayIcon_.Prepare(window_, id, std::move(icon));
    RunSoon([this] { trayIcon_.AddAgain(); });
}

void CPaintManagerUI::RunSoon(std::function<void()> task) { soonTasks_.Add(window_, std::move(task)); }

CPaintManagerUI::MessageResult CPaintManagerUI::OnTimer(WPARAM wParam, LPARAM lParam) {
    if (soonTasks_.OnTimer(window_, wParam)) return {true, 0};
    CControlUI* control = nullptr;
    UINT timerId = 0;
    if (!FindTimer(static_cast<UINT>(wParam), control, timerId)) return {false, 0};
    UiEvent event = MakeEvent(UIEVENT_TIMER, control);
    event.wParam = timerId;
    event.lParam = lParam;
    control->Event(event);
    return {true, 0};
}

CPaintManagerUI::MessageResult CPaintManagerUI::OnGetMinMaxInfo(LPARAM lParam) {
    auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
    if (info) chrome_.LimitTracking(*info);
    return {false, 0};
}

CPaintManagerUI::MessageResult CPaintManagerUI::OnClose() {
    UiEvent event = MakeEvent(UIEVENT_MOUSELEAVE);
    if (CControlUI* hovered = std::exchange(hover_, nullptr)) hovered->Event(event);
    if (CControlUI* pressed = std::exchange(click_, nullptr)) {
        if (mouseCapture_) ReleaseCapture();
        event.Type = UIEVENT_BUTTONUP;
        pressed->Event(event);
    }
    SetFocus(nullptr);
    if (HWND owner = ::GetWindow(window_, GW_OWNER)) ::SetFocus(owner);
    return {false, 0};
}

CPaintManagerUI::MessageResult CPaintManagerUI::OnStyleChanged() {
    if (!root_) return {true, 0};
    std::vector<CControlUI*> controls;
    root_->FindControl(CollectControl, &controls, UIFIND_ALL);
    for (CControlUI* control : controls) {
        if (control == root_.get()) continue;
        UiEvent event = MakeEvent(UIEVENT_STYLECHANGE, control);
        control->Event(event);
    }
    return {true, 0};
}

CPaintManagerUI::MessageResult CPaintManagerUI::Reflect(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND child = nullptr;
    if (message == WM_NOTIFY) {
        auto* header = reinterpret_cast<const NMHDR*>(lParam);
        child = header ? header->hwndFrom : nullptr;
    } else {
        child = reinterpret_cast<HWND>(lParam);
    }
    if (!child) return {false, 0};
    return {true, ::SendMessageW(child, kReflectionBase + message, wParam, lParam)};
}

bool CPaintManagerUI::PreMessageHandler(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    result = 0;
    if (IsKeyMessage(message)) SettleBeforeKey();
    if (IsFocusNavigationKey(message, wParam)) focusIndicator_.ShowForKeyboard();
    if (filters_.OfferPreMessage(message, wParam, lParam, result)) return true;
    if (message == WM_SYSKEYDOWN) OnSysKey(wParam, lParam);
    return focus_.PreTranslateKey(message, wParam);
}

void CPaintManagerUI::OnSysKey(WPARAM wParam, LPARAM lParam) {
    CControlUI* focused = focus_.GetFocus();
    if (!focused) return;
    UiEvent event = MakeEvent(UIEVENT_SYSKEY, focused);
    event.chKey = static_cast<wchar_t>(wParam);
    event.wKeyState = CurrentKeyState();
    event.wParam = wParam;
    event.lParam = lParam;
    focused->Event(event);
}

bool CPaintManagerUI::TranslateMessage(const MSG* msg) { return CMessageLoop::PreTranslate(msg); }

int CPaintManagerUI::MessageLoop() { return CMessageLoop::Run(); }

}  // namespace UiLib
