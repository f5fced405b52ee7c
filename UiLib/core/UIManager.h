#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "UiLib/Utils/PtrArray.h"
#include "UiLib/Utils/StringMap.h"
#include "UiLib/Utils/UiColor.h"
#include "UiLib/core/AccessibleWindow.h"
#include "UiLib/core/BandedPaint.h"
#include "UiLib/core/DeferredWork.h"
#include "UiLib/core/FocusIndicator.h"
#include "UiLib/core/FocusNavigator.h"
#include "UiLib/core/MessageFilters.h"
#include "UiLib/core/MessageLoop.h"
#include "UiLib/core/Notifications.h"
#include "UiLib/core/OptionGroups.h"
#include "UiLib/core/TimerTable.h"
#include "UiLib/core/ToolTip.h"
#include "UiLib/core/UITrayIcon.h"
#include "UiLib/core/WindowChrome.h"
#include "UiLib/render/DibSection.h"
#include "UiLib/render/GdiObject.h"
#include "UiLib/render/ScopedDC.h"
#include "UiLib/render/SkinResources.h"
#include "UiLib/render/UIImage.h"
#include "UiLib/render/UIResource.h"
#include "UiLib/tree/ControlHost.h"
#include "UiLib/tree/ControlLookup.h"
#include "UiLib/tree/UIEvent.h"
#include "UiLib/tree/UIMessageFilter.h"
#include "UiLib/tree/UINotify.h"

namespace UiLib {

class CControlUI;
class CSkinArchive;

// The manager of one skinned window: the host of its control tree. It turns the window's messages
// into control events (hover, capture, wheel, cursor, keys), keeps the name map, lays the tree out
// and paints it; focus, timers, notifications, the tooltip, the window's chrome, filters and the
// message loop are its collaborators' (their functions here forward to them). It draws with the
// resources of its skin, which the windows of one skin share.
class CPaintManagerUI : public CControlHost {
public:
    // Native timer identifiers start from this counter.
    static constexpr UINT kTimerCounterStart = CTimerTable::kCounterStart;
    // Posted to the window to delete controls whose removal was deferred.
    static constexpr UINT kDelayedCleanupMessage = WM_APP + 1;
    // Posted by the dialog builder when a style set becomes active: every control re-applies its style.
    static constexpr UINT kStyleChangedMessage = WM_USER + 1681;
    // Accepted and ignored.
    static constexpr UINT kIgnoredMessage = WM_USER + 1680;

    CPaintManagerUI();
    ~CPaintManagerUI();
    CPaintManagerUI(const CPaintManagerUI&) = delete;
    CPaintManagerUI& operator=(const CPaintManagerUI&) = delete;

    // The process-wide resource configuration shared by every window.
    static HINSTANCE GetInstance() { return CResourceConfig::GetInstance(); }
    static void SetInstance(HINSTANCE instance) { CResourceConfig::SetInstance(instance); }
    static std::wstring GetInstancePath() { return CResourceConfig::GetInstancePath(); }
    static HINSTANCE GetResourceDll() { return CResourceConfig::GetResourceInstance(); }
    static void SetResourceDll(HINSTANCE instance) { CResourceConfig::SetResourceInstance(instance); }
    static const std::wstring& GetResourcePath() { return CResourceConfig::GetResourcePath(); }
    static void SetResourcePath(const wchar_t* path) { CResourceConfig::SetResourcePath(path); }
    static const std::wstring& GetResourceZip() { return CResourceConfig::GetResourceZip(); }
    static void SetResourceZip(const wchar_t* name, bool cached = true) {
        CResourceConfig::SetResourceZip(name, cached);
    }
    static void SetResourceZip(const void* data, size_t size) { CResourceConfig::SetResourceZip(data, size); }
    static bool IsCachedResourceZip() { return CResourceConfig::IsCachedResourceZip(); }
    static CSkinArchive* GetResourceZipHandle() { return CResourceConfig::GetResourceZipHandle(); }

    // Remembers the window and its DPI, takes its DC and joins the process-wide list of managers.
    void Init(HWND window);
    HWND GetPaintWindow() const override { return window_; }
    CDpiScale GetDpiScale() const override { return dpiScale_; }
    // The skin's lengths and fonts are drawn for that DPI from the next layout on; resources shared
    // with a window of another DPI are left to it and this window draws with a copy.
    void SetDpiScale(CDpiScale scale);
    HDC GetPaintDC() const { return windowDC_ ? windowDC_->Get() : nullptr; }
    // The band of rows the window is double-buffered through (invalid before the first paint).
    const CDibSection& GetOffscreenSurface() const { return bands_.Surface(); }
    bool IsOffscreenPaint() const { return offscreenPaint_; }
    void SetOffscreenPaint(bool on) { offscreenPaint_ = on; }
    HWND GetTooltipWindow() const { return toolTip_.Window(); }
    // Invalidates part of the window without erasing; nothing without a window.
    void Invalidate(const RECT& rect) override;

    // Takes the root of the control tree; the previous root goes to the delayed clean-up.
    bool AttachDialog(std::unique_ptr<CControlUI> root);
    CControlUI* GetRoot() const { return root_.get(); }
    // Gives a subtree this manager (initialising it) and enters its named controls.
    bool InitControls(CControlUI* control, CControlUI* parent = nullptr) override;
    // Forgets every reference to a control that is being destroyed.
    void ReapObjects(CControlUI* control) override;

    CControlUI* FindControl(const std::wstring& name) override;
    // The control of that name as a T; a missing name or another type is reported as a miss.
    template <typename T>
    T* FindControl(const std::wstring& name) {
        return ControlAs<T>(FindControl(name), name);
    }
    CControlUI* FindControl(POINT point) const;
    CControlUI* FindSubControlByName(CControlUI* parent, const std::wstring& name) const;

    // Layout state: a control asks for a layout pass; UpdateLayout runs it.
    void NeedUpdate() override { updateNeeded_ = true; }
    bool IsUpdateNeeded() const { return updateNeeded_; }
    // Lays the tree out if needed: the root gets `client` when it needs it (and the paint surfaces
    // start afresh), otherwise every control that still needs an update is laid out again in its
    // place. The first layout sends "windowinit".
    void UpdateLayout(const RECT& client);
    // Lays out as needed, then paints the tree and the post-paint controls into `dc` within `paint`.
    void Paint(HDC dc, const RECT& client, const RECT& paint);

    // Turns one window message into control events; true when it was handled, with `result`.
    bool MessageHandler(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // Runs before a message is dispatched: filters, Tab navigation and Alt shortcuts.
    bool PreMessageHandler(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // Offers a message to the manager of its window before dispatch; true when it was consumed.
    static bool TranslateMessage(const MSG* msg);
    // The process-wide message loop; returns the exit code of WM_QUIT.
    static int MessageLoop();
    // The managers of every window that exists, in the order they were initialised.
    static const std::vector<CPaintManagerUI*>& GetPaintManagers() { return CMessageLoop::Managers(); }

    CControlUI* GetFocus() const override { return focus_.GetFocus(); }
    void SetFocus(CControlUI* control) override { focus_.SetFocus(control); }
    bool IsFocusNeeded() const { return focus_.IsFocusNeeded(); }
    // Moves the focus to the next (or previous) tab stop; wraps forward to the first one.
    bool SetNextTabControl(bool forward = true) override { return focus_.SetNextTabControl(forward); }
    // Whether and how the focused control is marked (the window's focus cues).
    CFocusIndicator& GetFocusIndicator() { return focusIndicator_; }
    const CFocusIndicator& GetFocusIndicator() const { return focusIndicator_; }

    // Activates the visible, enabled control whose shortcut is `ch`; a matching label hands the
    // match on to the next control after it.
    bool ActivateShortcut(wchar_t ch) { return focus_.ActivateShortcut(ch); }

    void SetCapture();
    void ReleaseCapture();
    bool IsCaptured() const { return mouseCapture_; }

    bool SetTimer(CControlUI* control, UINT timerId, UINT elapse) override {
        return timers_.Set(control, timerId, elapse);
    }
    bool KillTimer(CControlUI* control, UINT timerId) override { return timers_.Kill(control, timerId); }
    void KillTimers(CControlUI* control) { timers_.KillAll(control); }
    void RemoveAllTimers() { timers_.RemoveAll(); }
    // The control and local identifier of a native timer of this window.
    bool FindTimer(UINT nativeId, CControlUI*& control, UINT& timerId) const {
        return timers_.Find(nativeId, control, timerId);
    }

    bool AddNotifier(INotifyUI* notifier) { return notifications_.AddNotifier(notifier); }
    bool RemoveNotifier(INotifyUI* notifier) { return notifications_.RemoveNotifier(notifier); }
    bool AddPreMessageFilter(IMessageFilterUI* filter) override { return filters_.AddPreMessageFilter(filter); }
    bool RemovePreMessageFilter(IMessageFilterUI* filter) override { return filters_.RemovePreMessageFilter(filter); }
    bool AddMessageFilter(IMessageFilterUI* filter) override { return filters_.AddMessageFilter(filter); }
    bool RemoveMessageFilter(IMessageFilterUI* filter) override { return filters_.RemoveMessageFilter(filter); }
    bool AddTranslateAccelerator(ITranslateAccelerator* accelerator) override {
        return filters_.AddTranslateAccelerator(accelerator);
    }
    bool RemoveTranslateAccelerator(ITranslateAccelerator* accelerator) override {
        return filters_.RemoveTranslateAccelerator(accelerator);
    }
    // Controls whose post-paint runs after the whole tree has been painted.
    bool AddPostPaint(CControlUI* control);
    bool RemovePostPaint(CControlUI* control);
    void SendNotify(CControlUI* sender, const wchar_t* type, WPARAM wParam = 0, LPARAM lParam = 0,
                    bool async = false) override;
    void SendNotify(UiNotify& msg, bool async = false) override;
    // Hands every queued notification to its receivers, oldest first.
    void DeliverQueuedNotifications() { notifications_.DeliverQueued(); }
    void UsedVirtualWnd(bool used) override { usedVirtualWnd_ = used; }
    POINT GetMousePos() const override { return lastMousePos_; }
    void SetMousePos(POINT point) { lastMousePos_ = point; }

    // Detaches a control and deletes it when the window handles the clean-up message.
    void AddDelayedCleanup(std::unique_ptr<CControlUI> control) override;
    void RunDelayedCleanup() { delayedCleanup_.Run(); }
    size_t DelayedCleanupCount() const { return delayedCleanup_.Count(); }

    // The skin's fonts, images, default attribute lists and colours: a window's own until it shares
    // another's (a pop-up menu shares its window's, when both are on one DPI).
    CSkinResources& GetResources() override { return *resources_; }
    const std::shared_ptr<CSkinResources>& GetSharedResources() const { return resources_; }
    void ShareResources(std::shared_ptr<CSkinResources> resources);

    // Forwards to the skin's resources.
    HFONT AddFont(const std::wstring& face, int size, bool bold, bool underline, bool italic) {
        return resources_->AddFont(face, size, bold, underline, italic);
    }
    HFONT GetFont(int index) { return resources_->GetFont(index); }
    HFONT FindFont(const std::wstring& face, int size, bool bold, bool underline, bool italic) const {
        return resources_->FindFont(face, size, bold, underline, italic);
    }
    int FontCount() const { return resources_->FontCount(); }
    const TFontInfo& GetFontInfo(int index) { return resources_->GetFontInfo(index); }
    const TFontInfo& GetFontInfo(HFONT font) { return resources_->GetFontInfo(font); }
    const TFontInfo& GetDefaultFontInfo() { return resources_->GetDefaultFontInfo(); }
    void SetDefaultFont(const std::wstring& face, int size, bool bold, bool underline, bool italic) {
        resources_->SetDefaultFont(face, size, bold, underline, italic);
    }
    UiColor GetDefaultDisabledColor() const { return resources_->GetDefaultDisabledColor(); }
    void SetDefaultDisabledColor(UiColor color) { resources_->SetDefaultDisabledColor(color); }
    UiColor GetDefaultFontColor() const { return resources_->GetDefaultFontColor(); }
    void SetDefaultFontColor(UiColor color) { resources_->SetDefaultFontColor(color); }
    UiColor GetDefaultLinkFontColor() const { return resources_->GetDefaultLinkFontColor(); }
    void SetDefaultLinkFontColor(UiColor color) { resources_->SetDefaultLinkFontColor(color); }
    UiColor GetDefaultLinkHoverFontColor() const { return resources_->GetDefaultLinkHoverFontColor(); }
    void SetDefaultLinkHoverFontColor(UiColor color) { resources_->SetDefaultLinkHoverFontColor(color); }
    UiColor GetDefaultSelectedBkColor() const { return resources_->GetDefaultSelectedBkColor(); }
    void SetDefaultSelectedBkColor(UiColor color) { resources_->SetDefaultSelectedBkColor(color); }
    const TImageInfo* GetImage(const std::wstring& name) { return resources_->GetImage(name); }
    const TImageInfo* GetImageEx(const std::wstring& name, const std::wstring& resourceType = std::wstring(),
                                 UiColor mask = 0) {
        return resources_->GetImageEx(name, resourceType, mask);
    }
    const TImageInfo* AddImage(const std::wstring& name, const std::wstring& resourceType = std::wstring(),
                               UiColor mask = 0) {
        return resources_->AddImage(name, resourceType, mask);
    }
    void RemoveAllImages() { resources_->RemoveAllImages(); }
    void AddDefaultAttributeList(const std::wstring& controlName, const std::wstring& list) {
        resources_->AddDefaultAttributeList(controlName, list);
    }
    std::wstring GetDefaultAttributeList(const std::wstring& controlName) {
        return resources_->GetDefaultAttributeList(controlName);
    }

    // Option groups: the options sharing a group name, in the order they joined. Adding an option
    // that is already in the group fails; a group that loses its last option is dropped.
    bool AddOptionGroup(const std::wstring& group, CControlUI* option) override {
        return optionGroups_.Add(group, option);
    }
    const CPtrArray<CControlUI*>* GetOptionGroup(const std::wstring& group) override {
        return optionGroups_.Find(group);
    }
    void RemoveOptionGroup(const std::wstring& group, CControlUI* option) override {
        optionGroups_.Remove(group, option);
    }
    void RemoveAllOptionGroups() { optionGroups_.RemoveAll(); }

    // Window attributes of the layout, read by the window base class and the message handler.
    SIZE GetInitSize() const { return chrome_.GetInitSize(); }
    // Stores the initial size; a window without a root control yet is resized at once.
    void SetInitSize(int cx, int cy) { chrome_.SetInitSize(window_, cx, cy, !root_); }
    RECT GetSizeBox() const { return chrome_.GetSizeBox(); }
    void SetSizeBox(const RECT& sizeBox) { chrome_.SetSizeBox(sizeBox); }
    RECT GetCaptionRect() const { return chrome_.GetCaptionRect(); }
    void SetCaptionRect(const RECT& caption) { chrome_.SetCaptionRect(caption); }
    SIZE GetRoundCorner() const { return chrome_.GetRoundCorner(); }
    void SetRoundCorner(int cx, int cy) { chrome_.SetRoundCorner(cx, cy); }
    SIZE GetMinInfo() const { return chrome_.GetMinInfo(); }
    void SetMinInfo(int cx, int cy) { chrome_.SetMinInfo(cx, cy); }
    SIZE GetMaxInfo() const { return chrome_.GetMaxInfo(); }
    void SetMaxInfo(int cx, int cy) { chrome_.SetMaxInfo(cx, cy); }
    bool IsShowUpdateRect() const { return showUpdateRect_; }
    void SetShowUpdateRect(bool show) { showUpdateRect_ = show; }
    bool IsBackgroundTransparent() const { return chrome_.IsBackgroundTransparent(); }
    void SetBackgroundTransparent(bool on) { chrome_.SetBackgroundTransparent(on); }
    int GetTransparent() const { return chrome_.GetTransparent(); }
    // Whole-window opacity: 0..255 makes the window layered with that alpha, anything else plain.
    void SetTransparent(int opacity) { chrome_.SetTransparent(window_, opacity); }

    // The window's notification-area icon; it goes when the manager goes.
    CTrayIcon& GetTrayIcon() { return trayIcon_; }
    // Adds the tray icon soon (see RunSoon): asking the shell takes long enough to hold up the
    // first paint.
    void AddTrayIconSoon(UINT id, CIconHandle icon);
    // Runs `task` on the window's thread once nothing more urgent waits: after the paints that are
    // due, at once for a hidden window. Tasks of a window destroyed first never run.
    void RunSoon(std::function<void()> task) override;
    // Only while the window is shown: a window being built tells no one.
    void AnnounceAccessibleEvent(DWORD event, CControlUI* control) override;
    void SetWindowAttribute(const std::wstring& name, const wchar_t* value) override;

    // Who sees the window's messages before its controls (the message loop asks them).
    const CMessageFilters& Filters() const { return filters_; }

private:
    using MessageResult = std::pair<bool, LRESULT>;

    UiEvent MakeEvent(uint32_t type, CControlUI* sender = nullptr) const;
    MessageResult OnPaint();
    void LayOutAndFocus(const RECT& client);
    void SettleBeforeKey();
    void PaintOffscreen(HDC screen, const RECT& client, const RECT& area);
    void PaintClientInto(HDC dc, LPARAM flags);
    MessageResult OnDpiChanged(WPARAM wParam, LPARAM lParam);
    MessageResult OnSize();
    MessageResult OnMouseMove(LPARAM lParam, WPARAM wParam);
    MessageResult OnMouseHover(LPARAM lParam);
    MessageResult OnMouseLeave();
    MessageResult OnMenuLoop(bool entering);
    MessageResult OnButtonDown(UINT message, WPARAM wParam, LPARAM lParam);
    MessageResult OnButtonUp(WPARAM wParam, LPARAM lParam);
    MessageResult OnContextMenu(WPARAM wParam, LPARAM lParam);
    MessageResult OnMouseWheel(WPARAM wParam, LPARAM lParam);
    MessageResult OnSetCursor(WPARAM wParam, LPARAM lParam);
    MessageResult OnKey(UINT message, WPARAM wParam, LPARAM lParam);
    void OnSysKey(WPARAM wParam, LPARAM lParam);
    MessageResult OnTimer(WPARAM wParam, LPARAM lParam);
    MessageResult OnGetMinMaxInfo(LPARAM lParam);
    MessageResult OnClose();
    MessageResult OnStyleChanged();
    MessageResult OnGetObject(WPARAM wParam, LPARAM lParam);
    MessageResult OnUpdateUiState(WPARAM wParam);
    void PaintFocusIndicator(HDC dc, const RECT& paint) const;
    MessageResult Reflect(UINT message, WPARAM wParam, LPARAM lParam);
    MessageResult Dispatch(UINT message, WPARAM wParam, LPARAM lParam);

    HWND window_ = nullptr;
    CDpiScale dpiScale_;
    std::unique_ptr<CWindowDC> windowDC_;
    CBandedPaint bands_;
    bool offscreenPaint_ = true;
    bool showUpdateRect_ = false;
    CWindowChrome chrome_;

    CToolTip toolTip_;
    // Menus open from this window: a tooltip shown meanwhile would lie over them.
    int openMenus_ = 0;
    bool mouseTracking_ = false;
    bool mouseCapture_ = false;

    std::unique_ptr<CControlUI> root_;
    CFocusNavigator focus_{*this};
    CFocusIndicator focusIndicator_;
    CControlUI* hover_ = nullptr;
    CControlUI* click_ = nullptr;
    CControlUI* keyControl_ = nullptr;
    POINT lastMousePos_{-1, -1};
    bool firstLayout_ = true;
    bool updateNeeded_ = false;
    bool usedVirtualWnd_ = false;

    CStringMap<CControlUI*> nameMap_;
    COptionGroups optionGroups_;
    CTimerTable timers_;
    CNotifications notifications_;
    CMessageFilters filters_;
    CPtrArray<CControlUI*> postPaint_;
    CDelayedCleanup delayedCleanup_;

    CTrayIcon trayIcon_;
    CSoonTasks soonTasks_;

    std::shared_ptr<CSkinResources> resources_ = std::make_shared<CSkinResources>();
    // Made on a screen reader's first request; disconnected before the rest of the window goes.
    AccessibleWindowPtr accessible_;
};

}  // namespace UiLib
