#include "UiLib/core/UIManager.h"

#include <windowsx.h>

#include <algorithm>
#include <cwctype>

#include "UiLib/controls/UIControl.h"
#include "UiLib/core/ScopedDC.h"
#include "UiLib/core/UIResource.h"
#include "UiLib/Utils/LibraryFunction.h"

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

bool IsTabStop(const CControlUI* control) { return (control->GetControlFlags() & UIFLAG_TABSTOP) != 0; }

// Children of the framework's own reflection base: a child window gets its notifications back.
constexpr UINT kReflectionBase = WM_USER + 0x1C00;
constexpr UINT kDefaultHoverTime = 400;
// Above the identifiers of the controls' timers, which stay below 255.
constexpr UINT kSoonTimer = 0x7F00;

std::vector<CPaintManagerUI*>& AllManagers() {
    static std::vector<CPaintManagerUI*> managers;
    return managers;
}

// Shared by every window: the pen that outlines repainted areas is made once.
HPEN UpdatePen() {
    static CPenHandle pen(::CreatePen(PS_SOLID, 1, RGB(220, 0, 0)));
    return pen.Get();
}

// The common controls are loaded for the first tooltip only: most windows never show one, and
// loading them at start costs every window's start time and memory.
bool LoadToolTipClass() {
    static const bool loaded = [] {
        using InitFunction = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
        auto init = LibraryFunction<InitFunction>(L"comctl32.dll", "InitCommonControlsEx");
        INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES};
        return init && init(&controls) != FALSE;
    }();
    return loaded;
}

template <typename Item>
bool AddOnce(CPtrArray<Item*>& list, Item* item) {
    if (!item || list.IndexOf(item) >= 0) return false;
    list.Add(item);
    return true;
}

template <typename Item>
bool RemoveItem(CPtrArray<Item*>& list, Item* item) {
    int index = list.IndexOf(item);
    if (index < 0) return false;
    list.TakeAt(index);
    return true;
}

POINT PointOf(LPARAM lParam) { return POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}; }

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

// The control a label's shortcut leads to: the next one that is neither text nor a container.
bool TakesShortcutOfLabel(CControlUI* control) {
    return !control->HandsShortcutOn() && control->GetInterface(L"IContainer") == nullptr;
}

// The manager of the window a message belongs to: a child window's message goes to the manager of
// its nearest ancestor that has one.
CPaintManagerUI* ManagerOfWindow(HWND window) {
    bool child = (::GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD) != 0;
    for (HWND current = window; current; current = child ? ::GetParent(current) : nullptr) {
        for (CPaintManagerUI* manager : AllManagers())
            if (manager->GetPaintWindow() == current) return manager;
    }
    return nullptr;
}

}  // namespace

CPaintManagerUI::CPaintManagerUI() = default;

CPaintManagerUI::~CPaintManagerUI() {
    RemoveAllTimers();
    // The tree goes first: its controls still reach the manager while they are destroyed.
    root_.reset();
    RunDelayedCleanup();
    RemoveAllOptionGroups();
    asyncNotify_.clear();
    std::vector<CPaintManagerUI*>& managers = AllManagers();
    managers.erase(std::remove(managers.begin(), managers.end(), this), managers.end());
}

HINSTANCE CPaintManagerUI::GetInstance() { return CResourceConfig::GetInstance(); }
void CPaintManagerUI::SetInstance(HINSTANCE instance) { CResourceConfig::SetInstance(instance); }
std::wstring CPaintManagerUI::GetInstancePath() { return CResourceConfig::GetInstancePath(); }
HINSTANCE CPaintManagerUI::GetResourceDll() { return CResourceConfig::GetResourceInstance(); }
void CPaintManagerUI::SetResourceDll(HINSTANCE instance) { CResourceConfig::SetResourceInstance(instance); }
const std::wstring& CPaintManagerUI::GetResourcePath() { return CResourceConfig::GetResourcePath(); }
void CPaintManagerUI::SetResourcePath(const wchar_t* path) { CResourceConfig::SetResourcePath(path); }
const std::wstring& CPaintManagerUI::GetResourceZip() { return CResourceConfig::GetResourceZip(); }
void CPaintManagerUI::SetResourceZip(const wchar_t* name, bool cached) { CResourceConfig::SetResourceZip(name, cached); }
void CPaintManagerUI::SetResourceZip(const void* data, size_t size) { CResourceConfig::SetResourceZip(data, size); }
bool CPaintManagerUI::IsCachedResourceZip() { return CResourceConfig::IsCachedResourceZip(); }
CSkinArchive* CPaintManagerUI::GetResourceZipHandle() { return CResourceConfig::GetResourceZipHandle(); }

void CPaintManagerUI::Init(HWND window) {
    UpdatePen();
    window_ = window;
    windowDC_ = std::make_unique<CWindowDC>(window);
    std::vector<CPaintManagerUI*>& managers = AllManagers();
    if (std::find(managers.begin(), managers.end(), this) == managers.end()) managers.push_back(this);
}

const std::vector<CPaintManagerUI*>& CPaintManagerUI::GetPaintManagers() { return AllManagers(); }

void CPaintManagerUI::Invalidate(const RECT& rect) {
    if (window_) ::InvalidateRect(window_, &rect, FALSE);
}

bool CPaintManagerUI::AttachDialog(std::unique_ptr<CControlUI> root) {
    focus_ = hover_ = click_ = keyControl_ = nullptr;
    if (root_) AddDelayedCleanup(std::move(root_));
    root_ = std::move(root);
    firstLayout_ = true;
    updateNeeded_ = true;
    focusNeeded_ = true;
    return root_ && InitControls(root_.get());
}

bool CPaintManagerUI::InitControls(CControlUI* control, CControlUI* parent) {
    if (!control) return false;
    control->SetManager(this, parent ? parent : control->GetParent(), true);
    control->FindControl(EnterNameOfControl, &nameMap_, UIFIND_ALL);
    return true;
}

void CPaintManagerUI::ReapObjects(CControlUI* control) {
    if (focus_ == control) focus_ = nullptr;
    if (hover_ == control) hover_ = nullptr;
    if (click_ == control) click_ = nullptr;
    if (keyControl_ == control) keyControl_ = nullptr;
    RemoveItem(postPaint_, control);
    KillTimers(control);
    std::wstring name = control->GetName();
    if (!name.empty()) {
        CControlUI** entry = nameMap_.Find(name);
        if (entry && *entry == control) nameMap_.Remove(name);
    }
    asyncNotify_.erase(std::remove_if(asyncNotify_.begin(), asyncNotify_.end(),
                                      [control](const UiNotify& msg) { return msg.pSender == control; }),
                       asyncNotify_.end());
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
        backgroundDC_.reset();
        background_ = CDibSection();
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
}

void CPaintManagerUI::SetFocus(CControlUI* control) {
    if (window_ && ::GetFocus() != window_ && control != focus_) ::SetFocus(window_);
    if (control == focus_) return;
    if (CControlUI* old = focus_) {
        UiEvent event;
        event.Type = UIEVENT_KILLFOCUS;
        event.pSender = control;
        event.dwTimestamp = ::GetTickCount();
        old->Event(event);
        SendNotify(old, L"killfocus");
        focus_ = nullptr;
    }
    if (control && control->GetManager() == this && control->IsVisible() && control->IsEnabled()) {
        focus_ = control;
        UiEvent event;
        event.Type = UIEVENT_SETFOCUS;
        event.pSender = control;
        event.dwTimestamp = ::GetTickCount();
        control->Event(event);
        SendNotify(control, L"setfocus");
    }
}

bool CPaintManagerUI::SetNextTabControl(bool forward) {
    if (updateNeeded_ && forward) {
        focusNeeded_ = true;
        if (window_) ::InvalidateRect(window_, nullptr, FALSE);
        return true;
    }
    focusNeeded_ = false;
    if (!root_) return false;
    std::vector<CControlUI*> order;
    root_->FindControl(CollectControl, &order, UIFIND_VISIBLE | UIFIND_ENABLED | UIFIND_ME_FIRST);
    auto current = std::find(order.begin(), order.end(), focus_);
    CControlUI* next = nullptr;
    if (forward) {
        auto from = current == order.end() ? order.begin() : current + 1;
        auto found = std::find_if(from, order.end(), IsTabStop);
        if (found == order.end()) found = std::find_if(order.begin(), order.end(), IsTabStop);
        if (found != order.end()) next = *found;
    } else {
        auto before = std::make_reverse_iterator(current);
        auto found = std::find_if(before, order.rend(), IsTabStop);
        if (found != order.rend()) next = *found;
    }
    if (next) SetFocus(next);
    return true;
}

bool CPaintManagerUI::SetTimer(CControlUI* control, UINT timerId, UINT elapse) {
    if (!window_) return false;
    for (TimerInfo& timer : timers_) {
        if (timer.sender != control || timer.window != window_ || timer.localId != timerId) continue;
        if (!timer.killed) return false;
        if (!::SetTimer(window_, timer.nativeId, elapse, nullptr)) return false;
        timer.killed = false;
        return true;
    }
    UINT nativeId = NextTimerId();
    if (!nativeId || !::SetTimer(window_, nativeId, elapse, nullptr)) return false;
    timers_.push_back(TimerInfo{control, timerId, window_, nativeId, false});
    return true;
}

UINT CPaintManagerUI::NextTimerId() {
    // Identifiers cycle below 255; one that a timer record of this window still holds is skipped,
    // so a long-lived window never gives two timers the same native identifier.
    for (int tries = 0; tries < 255; ++tries) {
        timerCounter_ = (timerCounter_ + 1) % 255;
        bool taken = timerCounter_ == 0 || std::any_of(timers_.begin(), timers_.end(), [this](const TimerInfo& t) {
                         return t.window == window_ && t.nativeId == timerCounter_;
                     });
        if (!taken) return timerCounter_;
    }
    return 0;
}

bool CPaintManagerUI::KillTimer(CControlUI* control, UINT timerId) {
    for (TimerInfo& timer : timers_) {
        if (timer.sender != control || timer.window != window_ || timer.localId != timerId || timer.killed) continue;
        if (::IsWindow(timer.window)) ::KillTimer(timer.window, timer.nativeId);
        timer.killed = true;
        return true;
    }
    return false;
}

void CPaintManagerUI::KillTimers(CControlUI* control) {
    auto ofControl = [control](const TimerInfo& timer) { return timer.sender == control; };
    for (const TimerInfo& timer : timers_)
        if (ofControl(timer) && !timer.killed && ::IsWindow(timer.window)) ::KillTimer(timer.window, timer.nativeId);
    timers_.erase(std::remove_if(timers_.begin(), timers_.end(), ofControl), timers_.end());
}

void CPaintManagerUI::RemoveAllTimers() {
    for (const TimerInfo& timer : timers_)
        if (!timer.killed && ::IsWindow(timer.window)) ::KillTimer(timer.window, timer.nativeId);
    timers_.clear();
}

bool CPaintManagerUI::FindTimer(UINT nativeId, CControlUI*& control, UINT& timerId) const {
    for (const TimerInfo& timer : timers_) {
        if (timer.killed || timer.window != window_ || timer.nativeId != (nativeId & 0xFFFF)) continue;
        control = timer.sender;
        timerId = timer.localId;
        return true;
    }
    return false;
}

bool CPaintManagerUI::AddNotifier(INotifyUI* notifier) {
    if (!notifier || notifiers_.IndexOf(notifier) >= 0) return false;
    notifiers_.Add(notifier);
    return true;
}

bool CPaintManagerUI::RemoveNotifier(INotifyUI* notifier) {
    int index = notifiers_.IndexOf(notifier);
    if (index < 0) return false;
    notifiers_.TakeAt(index);
    return true;
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
    if (async) asyncNotify_.push_back(msg);
    else DeliverNotification(msg);
}

void CPaintManagerUI::DeliverNotification(UiNotify& msg) {
    // The sender's own subscribers come first; when it has some and all of them agree, they
    // have dealt with the notification.
    if (msg.pSender && !msg.pSender->OnNotify.IsEmpty() && msg.pSender->OnNotify(&msg)) return;
    for (size_t i = 0; i < notifiers_.Count(); ++i) notifiers_.GetAt(static_cast<int>(i))->Notify(msg);
}

void CPaintManagerUI::DeliverQueuedNotifications() {
    while (!asyncNotify_.empty()) {
        UiNotify msg = std::move(asyncNotify_.front());
        asyncNotify_.pop_front();
        DeliverNotification(msg);
    }
}

void CPaintManagerUI::AddDelayedCleanup(std::unique_ptr<CControlUI> control) {
    if (!control) return;
    control->SetManager(this, nullptr, false);
    delayedCleanup_.Add(std::move(control));
    if (window_) ::PostMessageW(window_, kDelayedCleanupMessage, 0, 0);
}

void CPaintManagerUI::RunDelayedCleanup() {
    // Deleting a control may queue more; take the list first.
    while (!delayedCleanup_.IsEmpty()) {
        CPtrArray<std::unique_ptr<CControlUI>> doomed = std::move(delayedCleanup_);
        delayedCleanup_ = CPtrArray<std::unique_ptr<CControlUI>>();
        doomed.Clear();
    }
}

void CPaintManagerUI::ShareResources(std::shared_ptr<CSkinResources> resources) {
    if (resources) resources_ = std::move(resources);
}

bool CPaintManagerUI::AddOptionGroup(const std::wstring& group, CControlUI* option) {
    if (group.empty() || !option) return false;
    CPtrArray<CControlUI*>* members = optionGroups_.Find(group);
    if (!members) {
        optionGroups_.Insert(group, CPtrArray<CControlUI*>());
        members = optionGroups_.Find(group);
    }
    if (members->IndexOf(option) >= 0) return false;
    members->Add(option);
    return true;
}

const CPtrArray<CControlUI*>* CPaintManagerUI::GetOptionGroup(const std::wstring& group) {
    return optionGroups_.Find(group);
}

void CPaintManagerUI::RemoveOptionGroup(const std::wstring& group, CControlUI* option) {
    CPtrArray<CControlUI*>* members = optionGroups_.Find(group);
    if (!members) return;
    members->TakeAt(members->IndexOf(option));
    if (members->IsEmpty()) optionGroups_.Remove(group);
}

void CPaintManagerUI::RemoveAllOptionGroups() { optionGroups_.RemoveAll(); }

bool CPaintManagerUI::AddPreMessageFilter(IMessageFilterUI* filter) { return AddOnce(preMessageFilters_, filter); }
bool CPaintManagerUI::RemovePreMessageFilter(IMessageFilterUI* filter) { return RemoveItem(preMessageFilters_, filter); }
bool CPaintManagerUI::AddMessageFilter(IMessageFilterUI* filter) { return AddOnce(messageFilters_, filter); }
bool CPaintManagerUI::RemoveMessageFilter(IMessageFilterUI* filter) { return RemoveItem(messageFilters_, filter); }
bool CPaintManagerUI::AddTranslateAccelerator(ITranslateAccelerator* accelerator) {
    return AddOnce(accelerators_, accelerator);
}
bool CPaintManagerUI::RemoveTranslateAccelerator(ITranslateAccelerator* accelerator) {
    return RemoveItem(accelerators_, accelerator);
}
bool CPaintManagerUI::AddPostPaint(CControlUI* control) { return AddOnce(postPaint_, control); }
bool CPaintManagerUI::RemovePostPaint(CControlUI* control) { return RemoveItem(postPaint_, control); }

void CPaintManagerUI::SetCapture() {
    ::SetCapture(window_);
    mouseCapture_ = true;
}

void CPaintManagerUI::ReleaseCapture() {
    ::ReleaseCapture();
    mouseCapture_ = false;
}

void CPaintManagerUI::SetInitSize(int cx, int cy) {
    initSize_ = SIZE{cx, cy};
    if (!root_ && window_)
        ::SetWindowPos(window_, nullptr, 0, 0, cx, cy, SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
}

void CPaintManagerUI::SetTransparent(int opacity) {
    opacity_ = std::clamp(opacity, 0, 255);
    if (!window_) return;
    using SetLayeredProc = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);
    HMODULE user32 = ::GetModuleHandleW(L"User32.dll");
    auto setLayered = user32 ? reinterpret_cast<SetLayeredProc>(reinterpret_cast<void*>(
                                   ::GetProcAddress(user32, "SetLayeredWindowAttributes")))
                             : nullptr;
    if (!setLayered) return;
    LONG_PTR style = ::GetWindowLongPtrW(window_, GWL_EXSTYLE);
    bool layered = opacity >= 0 && opacity <= 255;
    style = layered ? (style | WS_EX_LAYERED) : (style & ~static_cast<LONG_PTR>(WS_EX_LAYERED));
    ::SetWindowLongPtrW(window_, GWL_EXSTYLE, style);
    if (layered) setLayered(window_, 0, static_cast<BYTE>(opacity_), LWA_ALPHA);
}

bool CPaintManagerUI::ActivateShortcut(wchar_t ch) {
    if (!root_ || !ch) return false;
    const wchar_t wanted = static_cast<wchar_t>(std::towupper(ch));
    std::vector<CControlUI*> order;
    root_->FindControl(CollectControl, &order, UIFIND_VISIBLE | UIFIND_ENABLED | UIFIND_ME_FIRST);
    CControlUI* found = nullptr;
    bool labelMatched = false;
    for (CControlUI* control : order) {
        if (labelMatched) {
            if (!TakesShortcutOfLabel(control)) continue;
            found = control;
            break;
        }
        if (!control->GetShortcut() || static_cast<wchar_t>(std::towupper(control->GetShortcut())) != wanted) continue;
        if (control->HandsShortcutOn()) {
            labelMatched = true;
            continue;
        }
        found = control;
        break;
    }
    if (!found) return false;
    found->SetFocus();
    found->Activate();
    return true;
}

UiEvent CPaintManagerUI::MakeEvent(uint32_t type, CControlUI* sender) const {
    UiEvent event;
    event.Type = type;
    event.pSender = sender;
    event.ptMouse = lastMousePos_;
    event.dwTimestamp = ::GetTickCount();
    return event;
}

bool CPaintManagerUI::OfferToFilters(const CPtrArray<IMessageFilterUI*>& filters, UINT message, WPARAM wParam,
                                     LPARAM lParam, LRESULT& result) {
    // A filter may remove itself while it runs; walk a copy.
    CPtrArray<IMessageFilterUI*> snapshot = filters;
    for (size_t i = 0; i < snapshot.Count(); ++i) {
        bool handled = false;
        LRESULT answer = snapshot.GetAt(static_cast<int>(i))->MessageHandler(message, wParam, lParam, handled);
        if (handled) {
            result = answer;
            return true;
        }
    }
    return false;
}

bool CPaintManagerUI::MessageHandler(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    result = 0;
    if (!window_) return false;
    DeliverQueuedNotifications();
    if (OfferToFilters(messageFilters_, message, wParam, lParam, result)) return true;
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
    case WM_MOUSEMOVE:
        return OnMouseMove(lParam, wParam);
    case WM_MOUSEHOVER:
        return OnMouseHover(lParam);
    case WM_MOUSELEAVE:
        return OnMouseLeave();
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
    for (int round = 0; round < kMostRounds && (updateNeeded_ || focusNeeded_); ++round) {
        UpdateLayout(client);
        if (focusNeeded_ && !updateNeeded_) SetNextTabControl();
    }
}

void CPaintManagerUI::PaintOffscreen(HDC screen, const RECT& client, const RECT& area) {
    if (!HasOffscreenBand(screen, client)) {
        Paint(screen, client, area);
        return;
    }
    if (alphaBackground_) CaptureBackground(screen, client, area);
    for (LONG top = area.top; top < area.bottom; top += offscreen_.Height()) {
        const RECT band{area.left, top, area.right, std::min<LONG>(area.bottom, top + offscreen_.Height())};
        PaintBand(screen, client, band);
    }
    if (showUpdateRect_) {
        CSelectObject pen(screen, UpdatePen());
        CSelectObject brush(screen, ::GetStockObject(HOLLOW_BRUSH));
        ::Rectangle(screen, area.left, area.top, area.right, area.bottom);
    }
}

// The window is painted through a buffer a few rows high, as wide as the window: a buffer of the
// whole window would hold as much memory again as the window's pictures. A window paints as fast in
// bands of 32 rows as of 128, for a quarter of the memory.
bool CPaintManagerUI::HasOffscreenBand(HDC screen, const RECT& client) {
    constexpr int kBandRows = 32;
    const int width = client.right - client.left;
    const int rows = std::min<int>(kBandRows, client.bottom - client.top);
    if (!offscreen_.IsValid() || offscreen_.Width() != width || offscreen_.Height() != rows)
        offscreen_ = CDibSection(width, rows);
    if (!offscreenDC_) offscreenDC_ = std::make_unique<CMemoryDC>(screen);
    return offscreen_.IsValid() && *offscreenDC_;
}

// What lies behind a transparent skin is the window's screen content as first painted.
void CPaintManagerUI::CaptureBackground(HDC screen, const RECT& client, const RECT& area) {
    if (background_.IsValid()) return;
    background_ = CDibSection(client.right - client.left, client.bottom - client.top);
    backgroundDC_ = std::make_unique<CMemoryDC>(screen);
    if (!background_.IsValid() || !*backgroundDC_) return;
    CSelectObject into(backgroundDC_->Get(), background_.Get());
    ::BitBlt(backgroundDC_->Get(), area.left, area.top, area.right - area.left, area.bottom - area.top, screen,
             area.left, area.top, SRCCOPY);
}

void CPaintManagerUI::PaintBand(HDC screen, const RECT& client, const RECT& band) {
    const int width = band.right - band.left;
    const int height = band.bottom - band.top;
    HDC offscreen = offscreenDC_->Get();
    CSelectObject selected(offscreen, offscreen_.Get());
    {
        CSavedDCState state(offscreen);
        // The buffer's first row stands for the band's top row: controls paint in window coordinates.
        ::SetViewportOrgEx(offscreen, 0, -band.top, nullptr);
        if (background_.IsValid() && backgroundDC_) {
            CSelectObject from(backgroundDC_->Get(), background_.Get());
            ::BitBlt(offscreen, band.left, band.top, width, height, backgroundDC_->Get(), band.left, band.top,
                     SRCCOPY);
        }
        Paint(offscreen, client, band);
    }
    ::BitBlt(screen, band.left, band.top, width, height, offscreen, band.left, 0, SRCCOPY);
}

void CPaintManagerUI::PaintClientInto(HDC dc, LPARAM flags) {
    if (!root_ || !dc) return;
    RECT client{};
    ::GetClientRect(window_, &client);
    CSavedDCState state(dc);
    root_->DoPaint(dc, client);
    if (!(flags & PRF_CHILDREN)) return;
    for (HWND child = ::GetWindow(window_, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        RECT position{};
        ::GetWindowRect(child, &position);
        ::MapWindowPoints(HWND_DESKTOP, window_, reinterpret_cast<POINT*>(&position), 2);
        ::SetWindowOrgEx(dc, -position.left, -position.top, nullptr);
        ::SendMessageW(child, WM_PRINT, reinterpret_cast<WPARAM>(dc), flags | PRF_NONCLIENT);
    }
}

CPaintManagerUI::MessageResult CPaintManagerUI::OnSize() {
    if (focus_) {
        UiEvent event = MakeEvent(UIEVENT_WINDOWSIZE);
        focus_->Event(event);
    }
    if (root_) root_->NeedUpdate();
    updateNeeded_ = true;
    return {true, 0};
}

UINT CPaintManagerUI::HoverTime() const {
    if (!toolTip_) return kDefaultHoverTime;
    return static_cast<UINT>(::SendMessageW(toolTip_.Get(), TTM_GETDELAYTIME, TTDT_INITIAL, 0));
}

CPaintManagerUI::MessageResult CPaintManagerUI::OnMouseMove(LPARAM lParam, WPARAM wParam) {
    if (!mouseTracking_) {
        TRACKMOUSEEVENT track{sizeof(track), TME_HOVER | TME_LEAVE, window_, HoverTime()};
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
            HideToolTip();
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
    if (!control->GetToolTip().empty()) ShowToolTip(control);
    return {true, 0};
}

void CPaintManagerUI::ShowToolTip(CControlUI* control) {
    toolTipText_ = control->GetToolTip();
    toolInfo_ = TOOLINFOW{};
    toolInfo_.cbSize = TTTOOLINFOW_V2_SIZE;
    toolInfo_.uFlags = TTF_IDISHWND;
    toolInfo_.hwnd = window_;
    toolInfo_.uId = reinterpret_cast<UINT_PTR>(window_);
    toolInfo_.hinst = GetInstance();
    toolInfo_.lpszText = &toolTipText_[0];
    toolInfo_.rect = control->GetPos();
    if (!toolTip_) {
        if (!LoadToolTipClass()) return;
        toolTip_.Reset(::CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                                         CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window_, nullptr,
                                         GetInstance(), nullptr));
        if (!toolTip_) return;
        ::SendMessageW(toolTip_.Get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&toolInfo_));
    }
    ::SendMessageW(toolTip_.Get(), TTM_SETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&toolInfo_));
    ::SendMessageW(toolTip_.Get(), TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&toolInfo_));
}

void CPaintManagerUI::HideToolTip() {
    if (toolTip_) ::SendMessageW(toolTip_.Get(), TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&toolInfo_));
}

CPaintManagerUI::MessageResult CPaintManagerUI::OnMouseLeave() {
    HideToolTip();
    // The hover control learns that the mouse has gone through a move to nowhere.
    if (mouseTracking_) ::SendMessageW(window_, WM_MOUSEMOVE, 0, static_cast<LPARAM>(-1));
    mouseTracking_ = false;
    return {false, 0};
}

CPaintManagerUI::MessageResult CPaintManagerUI::OnButtonDown(UINT message, WPARAM wParam, LPARAM lParam) {
    // A pressed control's tooltip goes, so that it cannot lie over what the press opens.
    HideToolTip();
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
    CControlUI* control = fromKeyboard ? focus_ : click_;
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
    CControlUI* control = message == WM_KEYUP ? keyControl_ : focus_;
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

void CPaintManagerUI::AddTrayIconSoon(UINT id, HICON icon) {
    trayIcon_.Prepare(window_, id, icon);
    RunSoon([this] { trayIcon_.AddAgain(); });
}

void CPaintManagerUI::RunSoon(std::function<void()> task) {
    soonTasks_.push_back(std::move(task));
    // A timer message comes after every waiting paint; without a timer the task runs now.
    if (!::SetTimer(window_, kSoonTimer, USER_TIMER_MINIMUM, nullptr)) RunSoonTasks();
}

void CPaintManagerUI::RunSoonTasks() {
    ::KillTimer(window_, kSoonTimer);
    std::vector<std::function<void()>> tasks;
    tasks.swap(soonTasks_);
    for (auto& task : tasks) task();
}

CPaintManagerUI::MessageResult CPaintManagerUI::OnTimer(WPARAM wParam, LPARAM lParam) {
    if (wParam == kSoonTimer) {
        RunSoonTasks();
        return {true, 0};
    }
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
    if (!info) return {false, 0};
    if (minInfo_.cx > 0) info->ptMinTrackSize.x = minInfo_.cx;
    if (minInfo_.cy > 0) info->ptMinTrackSize.y = minInfo_.cy;
    if (maxInfo_.cx > 0) info->ptMaxTrackSize.x = maxInfo_.cx;
    if (maxInfo_.cy > 0) info->ptMaxTrackSize.y = maxInfo_.cy;
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
    if (OfferToFilters(preMessageFilters_, message, wParam, lParam, result)) return true;
    switch (message) {
    case WM_KEYDOWN:
        if (wParam != VK_TAB) return false;
        SetNextTabControl(::GetKeyState(VK_SHIFT) >= 0);
        return true;
    case WM_SYSCHAR:
        // An Alt+key that no control takes goes on to the system (Alt+Space: the window menu).
        return ActivateShortcut(static_cast<wchar_t>(wParam));
    case WM_SYSKEYDOWN:
        if (focus_) {
            UiEvent event = MakeEvent(UIEVENT_SYSKEY, focus_);
            event.chKey = static_cast<wchar_t>(wParam);
            event.wKeyState = CurrentKeyState();
            event.wParam = wParam;
            event.lParam = lParam;
            focus_->Event(event);
        }
        return false;
    default:
        return false;
    }
}

bool CPaintManagerUI::TranslateMessage(const MSG* msg) {
    if (!msg || !msg->hwnd) return false;
    CPaintManagerUI* manager = ManagerOfWindow(msg->hwnd);
    if (!manager) return false;
    // Each browser of the window answers for the keys of its own page: every one is asked, and the
    // first that takes the key ends it.
    for (size_t i = 0; i < manager->accelerators_.Count(); ++i)
        if (manager->accelerators_.GetAt(static_cast<int>(i))->TranslateAccelerator(const_cast<MSG*>(msg)) == 0)
            return true;
    LRESULT result = 0;
    return manager->PreMessageHandler(msg->message, msg->wParam, msg->lParam, result);
}

int CPaintManagerUI::MessageLoop() {
    MSG msg{};
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (TranslateMessage(&msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

}  // namespace UiLib
