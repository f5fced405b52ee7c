#pragma once
#include <windows.h>
#include <commctrl.h>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "UiLib/Utils/PtrArray.h"
#include "UiLib/Utils/StringMap.h"
#include "UiLib/Utils/UiColor.h"
#include "UiLib/core/DibSection.h"
#include "UiLib/core/GdiObject.h"
#include "UiLib/core/ScopedDC.h"
#include "UiLib/core/ScopedWindow.h"
#include "UiLib/core/UIEvent.h"
#include "UiLib/core/UIImage.h"
#include "UiLib/core/UIMessageFilter.h"
#include "UiLib/core/UINotify.h"
#include "UiLib/core/UITrayIcon.h"
#include "UiLib/tree/ControlLookup.h"

namespace UiLib {

class CControlUI;
class CSkinArchive;

// One font of a window: the handle with its description and, once measured, its metrics.
struct TFontInfo {
    CFontHandle font;
    std::wstring faceName;
    int size = 0;
    bool bold = false;
    bool underline = false;
    bool italic = false;
    TEXTMETRICW tm{};
    bool measured = false;
};

// The manager of one skinned window: turns the window's messages into control events, lays the
// control tree out and paints it double-buffered, and keeps the name map, focus, notifications,
// fonts, default colours and attribute lists, the image cache, timers and the window attributes.
class CPaintManagerUI {
public:
    // Native timer identifiers start from this counter.
    static constexpr UINT kTimerCounterStart = 4096;
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
    static HINSTANCE GetInstance();
    static void SetInstance(HINSTANCE instance);
    static std::wstring GetInstancePath();
    static HINSTANCE GetResourceDll();
    static void SetResourceDll(HINSTANCE instance);
    static const std::wstring& GetResourcePath();
    static void SetResourcePath(const wchar_t* path);
    static const std::wstring& GetResourceZip();
    static void SetResourceZip(const wchar_t* name, bool cached = true);
    static void SetResourceZip(const void* data, size_t size);
    static bool IsCachedResourceZip();
    static CSkinArchive* GetResourceZipHandle();

    // Remembers the window, takes its DC and joins the process-wide list of managers.
    void Init(HWND window);
    HWND GetPaintWindow() const { return window_; }
    HDC GetPaintDC() const { return windowDC_ ? windowDC_->Get() : nullptr; }
    // The band of rows the window is double-buffered through (invalid before the first paint).
    const CDibSection& GetOffscreenSurface() const { return offscreen_; }
    bool IsOffscreenPaint() const { return offscreenPaint_; }
    void SetOffscreenPaint(bool on) { offscreenPaint_ = on; }
    HWND GetTooltipWindow() const { return toolTip_.Get(); }
    // Invalidates part of the window without erasing; nothing without a window.
    void Invalidate(const RECT& rect);

    // Takes the root of the control tree; the previous root goes to the delayed clean-up.
    bool AttachDialog(std::unique_ptr<CControlUI> root);
    CControlUI* GetRoot() const { return root_.get(); }
    // Gives a subtree this manager (initialising it) and enters its named controls.
    bool InitControls(CControlUI* control, CControlUI* parent = nullptr);
    // Forgets every reference to a control that is being destroyed.
    void ReapObjects(CControlUI* control);

    CControlUI* FindControl(const std::wstring& name);
    // The control of that name as a T; a missing name or another type is reported as a miss.
    template <typename T>
    T* FindControl(const std::wstring& name) {
        return ControlAs<T>(FindControl(name), name);
    }
    CControlUI* FindControl(POINT point) const;
    CControlUI* FindSubControlByName(CControlUI* parent, const std::wstring& name) const;

    // Layout state: a control asks for a layout pass; UpdateLayout runs it.
    void NeedUpdate() { updateNeeded_ = true; }
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
    static const std::vector<CPaintManagerUI*>& GetPaintManagers();

    CControlUI* GetFocus() const { return focus_; }
    void SetFocus(CControlUI* control);
    bool IsFocusNeeded() const { return focusNeeded_; }
    // Moves the focus to the next (or previous) tab stop; wraps forward to the first one.
    bool SetNextTabControl(bool forward = true);

    // Activates the visible, enabled control whose shortcut is `ch`; a matching label hands the
    // match on to the next control after it.
    bool ActivateShortcut(wchar_t ch);

    void SetCapture();
    void ReleaseCapture();
    bool IsCaptured() const { return mouseCapture_; }

    bool SetTimer(CControlUI* control, UINT timerId, UINT elapse);
    bool KillTimer(CControlUI* control, UINT timerId);
    void KillTimers(CControlUI* control);
    void RemoveAllTimers();
    // The control and local identifier of a native timer of this window.
    bool FindTimer(UINT nativeId, CControlUI*& control, UINT& timerId) const;

    bool AddNotifier(INotifyUI* notifier);
    bool RemoveNotifier(INotifyUI* notifier);
    bool AddPreMessageFilter(IMessageFilterUI* filter);
    bool RemovePreMessageFilter(IMessageFilterUI* filter);
    bool AddMessageFilter(IMessageFilterUI* filter);
    bool RemoveMessageFilter(IMessageFilterUI* filter);
    bool AddTranslateAccelerator(ITranslateAccelerator* accelerator);
    bool RemoveTranslateAccelerator(ITranslateAccelerator* accelerator);
    // Controls whose post-paint runs after the whole tree has been painted.
    bool AddPostPaint(CControlUI* control);
    bool RemovePostPaint(CControlUI* control);
    void SendNotify(CControlUI* sender, const wchar_t* type, WPARAM wParam = 0, LPARAM lParam = 0,
                    bool async = false);
    void SendNotify(UiNotify& msg, bool async = false);
    // Hands every queued notification to its receivers, oldest first.
    void DeliverQueuedNotifications();
    void UsedVirtualWnd(bool used) { usedVirtualWnd_ = used; }
    POINT GetMousePos() const { return lastMousePos_; }
    void SetMousePos(POINT point) { lastMousePos_ = point; }

    // Detaches a control and deletes it when the window handles the clean-up message.
    void AddDelayedCleanup(std::unique_ptr<CControlUI> control);
    void RunDelayedCleanup();
    size_t DelayedCleanupCount() const { return delayedCleanup_.Count(); }

    // The manager whose default font, fonts and default attribute lists serve this one where it
    // has none of its own (a pop-up menu takes its window's).
    CPaintManagerUI* GetResourceParent() const { return resourceParent_; }
    void SetResourceParent(CPaintManagerUI* parent);

    HFONT AddFont(const std::wstring& face, int size, bool bold, bool underline, bool italic);
    // The custom font of that index, or for an index out of range the default font of the topmost
    // resource parent.
    HFONT GetFont(int index);
    HFONT FindFont(const std::wstring& face, int size, bool bold, bool underline, bool italic) const;
    int FontCount() const { return static_cast<int>(fonts_.size()); }
    const TFontInfo& GetFontInfo(int index);
    const TFontInfo& GetFontInfo(HFONT font);
    const TFontInfo& GetDefaultFontInfo();
    void SetDefaultFont(const std::wstring& face, int size, bool bold, bool underline, bool italic);

    UiColor GetDefaultDisabledColor() const { return disabledColor_; }
    void SetDefaultDisabledColor(UiColor color) { disabledColor_ = color; }
    UiColor GetDefaultFontColor() const { return fontColor_; }
    void SetDefaultFontColor(UiColor color) { fontColor_ = color; }
    UiColor GetDefaultLinkFontColor() const { return linkColor_; }
    void SetDefaultLinkFontColor(UiColor color) { linkColor_ = color; }
    UiColor GetDefaultLinkHoverFontColor() const { return linkHoverColor_; }
    void SetDefaultLinkHoverFontColor(UiColor color) { linkHoverColor_ = color; }
    UiColor GetDefaultSelectedBkColor() const { return selectedColor_; }
    void SetDefaultSelectedBkColor(UiColor color) { selectedColor_ = color; }

    // The image cache, keyed by the name as the skin writes it.
    const TImageInfo* GetImage(const std::wstring& name);
    const TImageInfo* GetImageEx(const std::wstring& name, const std::wstring& resourceType = std::wstring(),
                                 UiColor mask = 0);
    const TImageInfo* AddImage(const std::wstring& name, const std::wstring& resourceType = std::wstring(),
                               UiColor mask = 0);
    void RemoveAllImages();

    // Option groups: the options sharing a group name, in the order they joined. Adding an option
    // that is already in the group fails; a group that loses its last option is dropped.
    bool AddOptionGroup(const std::wstring& group, CControlUI* option);
    const CPtrArray<CControlUI*>* GetOptionGroup(const std::wstring& group);
    void RemoveOptionGroup(const std::wstring& group, CControlUI* option);
    void RemoveAllOptionGroups();

    void AddDefaultAttributeList(const std::wstring& controlName, const std::wstring& list);
    std::wstring GetDefaultAttributeList(const std::wstring& controlName);

    // Window attributes of the layout, read by the window base class and the message handler.
    SIZE GetInitSize() const { return initSize_; }
    // Stores the initial size; a window without a root control yet is resized at once.
    void SetInitSize(int cx, int cy);
    RECT GetSizeBox() const { return sizeBox_; }
    void SetSizeBox(const RECT& sizeBox) { sizeBox_ = sizeBox; }
    RECT GetCaptionRect() const { return caption_; }
    void SetCaptionRect(const RECT& caption) { caption_ = caption; }
    SIZE GetRoundCorner() const { return roundCorner_; }
    void SetRoundCorner(int cx, int cy) { roundCorner_ = SIZE{cx, cy}; }
    SIZE GetMinInfo() const { return minInfo_; }
    void SetMinInfo(int cx, int cy) { minInfo_ = SIZE{cx, cy}; }
    SIZE GetMaxInfo() const { return maxInfo_; }
    void SetMaxInfo(int cx, int cy) { maxInfo_ = SIZE{cx, cy}; }
    bool IsShowUpdateRect() const { return showUpdateRect_; }
    void SetShowUpdateRect(bool show) { showUpdateRect_ = show; }
    bool IsBackgroundTransparent() const { return alphaBackground_; }
    void SetBackgroundTransparent(bool on) { alphaBackground_ = on; }
    int GetTransparent() const { return opacity_; }
    // Whole-window opacity: 0..255 makes the window layered with that alpha, anything else plain.
    void SetTransparent(int opacity);

    // The window's notification-area icon; it goes when the manager goes.
    CTrayIcon& GetTrayIcon() { return trayIcon_; }
    // Adds the tray icon soon (see RunSoon): asking the shell takes long enough to hold up the
    // first paint.
    void AddTrayIconSoon(UINT id, HICON icon);
    // Runs `task` on the window's thread once nothing more urgent waits: after the paints that are
    // due, at once for a hidden window. Tasks of a window destroyed first never run.
    void RunSoon(std::function<void()> task);

private:
    struct TimerInfo {
        CControlUI* sender;
        UINT localId;
        HWND window;
        UINT nativeId;
        bool killed;
    };

    using MessageResult = std::pair<bool, LRESULT>;

    void DeliverNotification(UiNotify& msg);
    bool OfferToFilters(const CPtrArray<IMessageFilterUI*>& filters, UINT message, WPARAM wParam, LPARAM lParam,
                        LRESULT& result);
    UiEvent MakeEvent(uint32_t type, CControlUI* sender = nullptr) const;
    MessageResult OnPaint();
    void RunSoonTasks();
    void LayOutAndFocus(const RECT& client);
    void PaintOffscreen(HDC screen, const RECT& client, const RECT& area);
    bool HasOffscreenBand(HDC screen, const RECT& client);
    void CaptureBackground(HDC screen, const RECT& client, const RECT& area);
    void PaintBand(HDC screen, const RECT& client, const RECT& band);
    void PaintClientInto(HDC dc, LPARAM flags);
    MessageResult OnSize();
    MessageResult OnMouseMove(LPARAM lParam, WPARAM wParam);
    MessageResult OnMouseHover(LPARAM lParam);
    MessageResult OnMouseLeave();
    MessageResult OnButtonDown(UINT message, WPARAM wParam, LPARAM lParam);
    MessageResult OnButtonUp(WPARAM wParam, LPARAM lParam);
    MessageResult OnContextMenu(WPARAM wParam, LPARAM lParam);
    MessageResult OnMouseWheel(WPARAM wParam, LPARAM lParam);
    MessageResult OnSetCursor(WPARAM wParam, LPARAM lParam);
    MessageResult OnKey(UINT message, WPARAM wParam, LPARAM lParam);
    MessageResult OnTimer(WPARAM wParam, LPARAM lParam);
    MessageResult OnGetMinMaxInfo(LPARAM lParam);
    MessageResult OnClose();
    MessageResult OnStyleChanged();
    MessageResult Reflect(UINT message, WPARAM wParam, LPARAM lParam);
    MessageResult Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    void ShowToolTip(CControlUI* control);
    void HideToolTip();
    UINT HoverTime() const;
    UINT NextTimerId();
    TFontInfo& MeasuredFont(TFontInfo& info);
    static std::unique_ptr<TFontInfo> CreateFontInfo(const std::wstring& face, int size, bool bold, bool underline,
                                                     bool italic);

    HWND window_ = nullptr;
    CPaintManagerUI* resourceParent_ = nullptr;
    std::unique_ptr<CWindowDC> windowDC_;
    std::unique_ptr<CMemoryDC> offscreenDC_;
    CDibSection offscreen_;
    std::unique_ptr<CMemoryDC> backgroundDC_;
    CDibSection background_;
    bool offscreenPaint_ = true;
    bool alphaBackground_ = false;
    bool showUpdateRect_ = false;
    int opacity_ = 255;

    CScopedWindow toolTip_;
    TOOLINFOW toolInfo_{};
    std::wstring toolTipText_;
    bool mouseTracking_ = false;
    bool mouseCapture_ = false;

    SIZE initSize_{};
    SIZE minInfo_{};
    SIZE maxInfo_{};
    RECT sizeBox_{};
    RECT caption_{};
    SIZE roundCorner_{};

    std::unique_ptr<CControlUI> root_;
    CControlUI* focus_ = nullptr;
    CControlUI* hover_ = nullptr;
    CControlUI* click_ = nullptr;
    CControlUI* keyControl_ = nullptr;
    POINT lastMousePos_{-1, -1};
    bool firstLayout_ = true;
    bool updateNeeded_ = false;
    bool focusNeeded_ = false;
    bool usedVirtualWnd_ = false;
    UINT timerCounter_ = kTimerCounterStart;

    CStringMap<CControlUI*> nameMap_;
    CStringMap<std::unique_ptr<TImageInfo>> images_;
    CStringMap<std::wstring> defaultAttributes_;
    CStringMap<CPtrArray<CControlUI*>> optionGroups_;
    std::vector<TimerInfo> timers_;
    CPtrArray<INotifyUI*> notifiers_;
    CPtrArray<IMessageFilterUI*> preMessageFilters_;
    CPtrArray<IMessageFilterUI*> messageFilters_;
    CPtrArray<ITranslateAccelerator*> accelerators_;
    CPtrArray<CControlUI*> postPaint_;
    std::deque<UiNotify> asyncNotify_;
    CPtrArray<std::unique_ptr<CControlUI>> delayedCleanup_;
    std::vector<std::unique_ptr<TFontInfo>> fonts_;
    std::unique_ptr<TFontInfo> defaultFont_;

    CTrayIcon trayIcon_;
    std::vector<std::function<void()>> soonTasks_;

    UiColor disabledColor_ = 0xFFA7A6AA;
    UiColor fontColor_ = 0xFF000000;
    UiColor linkColor_ = 0xFF0000FF;
    UiColor linkHoverColor_ = 0xFFD3215F;
    UiColor selectedColor_ = 0xFFBAE4FF;
};

}  // namespace UiLib
