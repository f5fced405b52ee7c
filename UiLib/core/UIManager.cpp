#include "UiLib/core/UIManager.h"

#include <algorithm>
#include <cwctype>

#include "UiLib/controls/UIControl.h"
#include "UiLib/core/ScopedDC.h"
#include "UiLib/core/UIResource.h"

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

}  // namespace

CPaintManagerUI::CPaintManagerUI() {
    LOGFONTW logFont{};
    ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(logFont), &logFont);
    std::wstring face = CResourceConfig::GetDefaultFontName();
    if (face.empty()) face = logFont.lfFaceName;
    int size = logFont.lfHeight < 0 ? -logFont.lfHeight : logFont.lfHeight;
    defaultFont_ = CreateFontInfo(face, size, logFont.lfWeight >= FW_BOLD, logFont.lfUnderline != 0,
                                  logFont.lfItalic != 0);
}

CPaintManagerUI::~CPaintManagerUI() {
    RemoveAllTimers();
    // The tree goes first: its controls still reach the manager while they are destroyed.
    root_.reset();
    RunDelayedCleanup();
    RemoveAllOptionGroups();
    asyncNotify_.clear();
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

void CPaintManagerUI::Init(HWND window) { window_ = window; }

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
    if (root_) root_->DoPaint(dc, paint);
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
    timerCounter_ = (timerCounter_ + 1) % 255;
    if (!::SetTimer(window_, timerCounter_, elapse, nullptr)) return false;
    timers_.push_back(TimerInfo{control, timerId, window_, timerCounter_, false});
    return true;
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

std::unique_ptr<TFontInfo> CPaintManagerUI::CreateFontInfo(const std::wstring& face, int size, bool bold,
                                                            bool underline, bool italic) {
    LOGFONTW logFont{};
    ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(logFont), &logFont);
    lstrcpynW(logFont.lfFaceName, face.c_str(), LF_FACESIZE);
    logFont.lfCharSet = DEFAULT_CHARSET;
    logFont.lfHeight = -size;
    if (bold) logFont.lfWeight += FW_BOLD;
    logFont.lfUnderline = underline ? TRUE : FALSE;
    logFont.lfItalic = italic ? TRUE : FALSE;
    auto info = std::make_unique<TFontInfo>();
    info->font.Reset(::CreateFontIndirectW(&logFont));
    info->faceName = face;
    info->size = size;
    info->bold = bold;
    info->underline = underline;
    info->italic = italic;
    return info;
}

HFONT CPaintManagerUI::AddFont(const std::wstring& face, int size, bool bold, bool underline, bool italic) {
    std::unique_ptr<TFontInfo> info = CreateFontInfo(face, size, bold, underline, italic);
    HFONT font = info->font.Get();
    if (!font) return nullptr;
    fonts_.push_back(std::move(info));
    return font;
}

HFONT CPaintManagerUI::GetFont(int index) {
    if (index >= 0 && index < FontCount()) return fonts_[index]->font.Get();
    return defaultFont_->font.Get();
}

HFONT CPaintManagerUI::FindFont(const std::wstring& face, int size, bool bold, bool underline, bool italic) const {
    for (const auto& info : fonts_) {
        if (info->size == size && info->bold == bold && info->underline == underline && info->italic == italic &&
            lstrcmpiW(info->faceName.c_str(), face.c_str()) == 0)
            return info->font.Get();
    }
    return nullptr;
}

TFontInfo& CPaintManagerUI::MeasuredFont(TFontInfo& info) {
    if (info.measured) return info;
    CWindowDC dc(window_);
    CSelectObject select(dc.Get(), info.font.Get());
    ::GetTextMetricsW(dc.Get(), &info.tm);
    info.measured = true;
    return info;
}

const TFontInfo& CPaintManagerUI::GetFontInfo(int index) {
    if (index >= 0 && index < FontCount()) return MeasuredFont(*fonts_[index]);
    return GetDefaultFontInfo();
}

const TFontInfo& CPaintManagerUI::GetFontInfo(HFONT font) {
    for (auto& info : fonts_)
        if (info->font.Get() == font) return MeasuredFont(*info);
    return GetDefaultFontInfo();
}

const TFontInfo& CPaintManagerUI::GetDefaultFontInfo() { return MeasuredFont(*defaultFont_); }

void CPaintManagerUI::SetDefaultFont(const std::wstring& face, int size, bool bold, bool underline, bool italic) {
    std::unique_ptr<TFontInfo> info = CreateFontInfo(face, size, bold, underline, italic);
    if (info->font) defaultFont_ = std::move(info);
}

const TImageInfo* CPaintManagerUI::GetImage(const std::wstring& name) {
    std::unique_ptr<TImageInfo>* entry = images_.Find(name);
    return entry ? entry->get() : nullptr;
}

const TImageInfo* CPaintManagerUI::GetImageEx(const std::wstring& name, const std::wstring& resourceType,
                                              UiColor mask) {
    if (const TImageInfo* image = GetImage(name)) return image;
    return AddImage(name, resourceType, mask);
}

const TImageInfo* CPaintManagerUI::AddImage(const std::wstring& name, const std::wstring& resourceType,
                                            UiColor mask) {
    if (name.empty()) return nullptr;
    std::unique_ptr<TImageInfo> image =
        LoadImageRecord(name, resourceType.empty() ? nullptr : resourceType.c_str(), mask);
    if (!image) return nullptr;
    image->resourceType = resourceType;
    image->mask = mask;
    if (const TImageInfo* existing = GetImage(name)) return existing;
    const TImageInfo* added = image.get();
    images_.Insert(name, std::move(image));
    return added;
}

void CPaintManagerUI::RemoveAllImages() { images_.RemoveAll(); }

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

void CPaintManagerUI::AddDefaultAttributeList(const std::wstring& controlName, const std::wstring& list) {
    defaultAttributes_.Insert(controlName, list);
}

std::wstring CPaintManagerUI::GetDefaultAttributeList(const std::wstring& controlName) {
    const std::wstring* list = defaultAttributes_.Find(controlName);
    return list ? *list : std::wstring();
}

}  // namespace UiLib
