#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <optional>

#include "UiLib/Utils/Signal.h"
#include "UiLib/core/CaptionHitTest.h"
#include "UiLib/core/UIDlgBuilder.h"
#include "UiLib/core/UIManager.h"
#include "UiLib/tree/UIWindowWnd.h"

namespace UiLib {

class IDialogBuilderCallback;
class IMessageFilterUI;
class INotifyUI;

// Which non-client messages the window answers itself.
enum class FrameKind {
    Native,              // none: the system's frame handling stays (pop-up menus)
    Skinned,             // the skin draws it all: no native frame, the caption band drags, round corners
    SkinnedMaximizable,  // as Skinned; maximised it fills the work area, the system's close becomes WM_CLOSE
};

// How the window learns that its frame changed once the native frame bits are gone.
enum class FrameRefresh {
    None,
    InPlace,      // same place and size
    FitToClient,  // to the client rectangle it had with the native frame
};

// What a window does when its skin is there but its layout cannot be built.
enum class MissingLayout {
    EmptyWindow,  // the window stays, empty
    CloseWindow,  // the window closes at once (close code 1)
    EndProcess,   // the player is told and the process ends with exit code 1
};

// Everything in which one skinned window differs from another. The callback, notifier and filter
// are not owned: they live as long as the window (most often they are the window object itself).
struct SkinnedWindowOptions {
    CDialogBuilder::Layout layout = CDialogBuilder::Layout(L"");
    // The module resource type of a numbered layout (null: the builder's default).
    const wchar_t* resourceType = nullptr;
    IDialogBuilderCallback* builderCallback = nullptr;
    UINT classStyle = 0;
    FrameKind frame = FrameKind::Skinned;
    // The native frame bits the skin replaces; the clip styles come instead. Without a value the
    // created style stays.
    std::optional<LONG> removedStyle;
    FrameRefresh refresh = FrameRefresh::None;
    CaptionClicks captionClicks = CaptionClicks::Buttons;
    // Points the resource configuration at the window's skin; false when the skin is missing, and
    // the window then stays empty. Without it the configuration stays as it is.
    std::function<bool()> selectSkin;
    MissingLayout missingLayout = MissingLayout::EmptyWindow;
    // The window shows what lies behind it where its layout is transparent, whatever the layout says.
    bool transparentBackground = false;
    // Registered with the paint manager: the notifier once the layout is attached, the
    // pre-message filter as soon as the manager has the window.
    INotifyUI* notifier = nullptr;
    IMessageFilterUI* preMessageFilter = nullptr;
};

// One native window drawn by a paint manager from a skin layout, built the same way for every
// window: frame style, paint manager, skin, layout, attach, registrations. The registrations
// undo themselves when the window goes.
class CSkinnedWindow : public CWindowWnd {
public:
    // Shown when a window that ends the process cannot build its layout.
    static constexpr const wchar_t* kLoadFailedText = L"加载资源文件失败";
    static constexpr const wchar_t* kLoadFailedCaption = L"UiLib";

    explicit CSkinnedWindow(SkinnedWindowOptions options);
    // A window still open when its object goes is destroyed with it.
    ~CSkinnedWindow() override;

    CPaintManagerUI& GetPaintManager() { return paintManager_; }
    // False when the window was created without a layout.
    bool HasLayout() const { return paintManager_.GetRoot() != nullptr; }

protected:
    // May still change until the window is created.
    SkinnedWindowOptions& Options() { return options_; }

    UINT GetClassStyle() const override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    // Undoes the registrations; a derived window calls it from its own.
    void OnFinalMessage(HWND window) override;

    // Messages of the derived window, before the frame and the paint manager see them; nothing is
    // handled here.
    virtual LRESULT HandleCustomMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    // The layout of the window, built into its paint manager; null when it cannot be built.
    virtual std::unique_ptr<CControlUI> BuildLayout();
    // The layout is attached.
    virtual void InitWindow();
    // The end of WM_CREATE, whatever the skin did.
    virtual void OnCreated();

    CPaintManagerUI paintManager_;

private:
    LRESULT OnCreate();
    void ApplyFrameStyle();
    void OnLayoutMissing();
    bool HandleFrameMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    void ApplyRoundCorners();
    void FillWorkArea(MINMAXINFO& info) const;

    SkinnedWindowOptions options_;
    CSubscription preMessageFilterRegistration_;
    CSubscription notifierRegistration_;
};

// Registrations with a paint manager that are undone when the subscription goes.
CSubscription RegisterNotifier(CPaintManagerUI& manager, INotifyUI* notifier);
CSubscription RegisterPreMessageFilter(CPaintManagerUI& manager, IMessageFilterUI* filter);
CSubscription RegisterMessageFilter(CPaintManagerUI& manager, IMessageFilterUI* filter);

}  // namespace UiLib
