#include "UiLib/core/SkinnedWindow.h"

#include "UiLib/render/GdiObject.h"
#include "UiLib/tree/UIControl.h"
#include "UiLib/tree/UIMessageFilter.h"
#include "UiLib/tree/UINotify.h"

namespace UiLib {

CSubscription RegisterNotifier(CPaintManagerUI& manager, INotifyUI* notifier) {
    manager.AddNotifier(notifier);
    return CSubscription([&manager, notifier] { manager.RemoveNotifier(notifier); });
}

CSubscription RegisterPreMessageFilter(CPaintManagerUI& manager, IMessageFilterUI* filter) {
    manager.AddPreMessageFilter(filter);
    return CSubscription([&manager, filter] { manager.RemovePreMessageFilter(filter); });
}

CSubscription RegisterMessageFilter(CPaintManagerUI& manager, IMessageFilterUI* filter) {
    manager.AddMessageFilter(filter);
    return CSubscription([&manager, filter] { manager.RemoveMessageFilter(filter); });
}

CSkinnedWindow::CSkinnedWindow(SkinnedWindowOptions options) : options_(std::move(options)) {}

CSkinnedWindow::~CSkinnedWindow() {
    if (::IsWindow(window_)) ::DestroyWindow(window_);
}

UINT CSkinnedWindow::GetClassStyle() const { return options_.classStyle; }

LRESULT CSkinnedWindow::HandleCustomMessage(UINT, WPARAM, LPARAM, bool& handled) {
    handled = false;
    return 0;
}

void CSkinnedWindow::InitWindow() {}
void CSkinnedWindow::OnCreated() {}

std::unique_ptr<CControlUI> CSkinnedWindow::BuildLayout() {
    CDialogBuilder builder;
    return builder.Create(options_.layout, options_.resourceType, options_.builderCallback, &paintManager_);
}

LRESULT CSkinnedWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE) return OnCreate();
    bool handled = true;
    LRESULT result = HandleCustomMessage(message, wParam, lParam, handled);
    if (handled) return result;
    if (HandleFrameMessage(message, wParam, lParam, result)) return result;
    if (paintManager_.MessageHandler(message, wParam, lParam, result)) return result;
    return CWindowWnd::HandleMessage(message, wParam, lParam);
}

LRESULT CSkinnedWindow::OnCreate() {
    ApplyFrameStyle();
    paintManager_.Init(window_);
    if (options_.preMessageFilter)
        preMessageFilterRegistration_ = RegisterPreMessageFilter(paintManager_, options_.preMessageFilter);
    if (!options_.selectSkin || options_.selectSkin()) {
        if (std::unique_ptr<CControlUI> root = BuildLayout()) {
            paintManager_.AttachDialog(std::move(root));
            if (options_.notifier) notifierRegistration_ = RegisterNotifier(paintManager_, options_.notifier);
            if (options_.transparentBackground) paintManager_.SetBackgroundTransparent(true);
            InitWindow();
        } else {
            OnLayoutMissing();
        }
    }
    OnCreated();
    return 0;
}

void CSkinnedWindow::ApplyFrameStyle() {
    if (!options_.removedStyle) return;
    LONG style = static_cast<LONG>(::GetWindowLongPtrW(window_, GWL_STYLE));
    ::SetWindowLongPtrW(window_, GWL_STYLE, (style & ~*options_.removedStyle) | WS_CLIPSIBLINGS | WS_CLIPCHILDREN);
    // The frame change alone: a window being created is not activated or moved in the z-order.
    const UINT frameChange = SWP_FRAMECHANGED | SWP_NOZORDER | SWP_NOACTIVATE;
    if (options_.refresh == FrameRefresh::InPlace) {
        ::SetWindowPos(window_, nullptr, 0, 0, 0, 0, frameChange | SWP_NOMOVE | SWP_NOSIZE);
    } else if (options_.refresh == FrameRefresh::FitToClient) {
        RECT client{};
        ::GetClientRect(window_, &client);
        ::SetWindowPos(window_, nullptr, client.left, client.top, client.right - client.left,
                       client.bottom - client.top, frameChange);
    }
}

void CSkinnedWindow::OnLayoutMissing() {
    switch (options_.missingLayout) {
    case MissingLayout::EmptyWindow: break;
    case MissingLayout::CloseWindow: ::PostMessageW(window_, WM_CLOSE, 1, 0); break;
    case MissingLayout::EndProcess:
        ::MessageBoxW(window_, kLoadFailedText, kLoadFailedCaption, MB_ICONERROR);
        ::ExitProcess(1);
    }
}

bool CSkinnedWindow::HandleFrameMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (options_.frame == FrameKind::Native) return false;
    const bool maximizable = options_.frame == FrameKind::SkinnedMaximizable;
    result = 0;
    switch (message) {
    case WM_SIZE:
        if (wParam != SIZE_MINIMIZED) ApplyRoundCorners();
        return false;
    // The whole window is client area and no frame is drawn.
    case WM_NCCALCSIZE:
    case WM_NCPAINT:
        return true;
    case WM_NCHITTEST:
        result = CaptionHitTest(window_, paintManager_,
                                POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))},
                                options_.captionClicks);
        return true;
    case WM_NCACTIVATE:
        if (::IsIconic(window_)) return false;
        result = wParam == 0 ? TRUE : FALSE;
        return true;
    case WM_GETMINMAXINFO:
        // The paint manager adds the tracking sizes of the layout.
        if (maximizable) FillWorkArea(*reinterpret_cast<MINMAXINFO*>(lParam));
        return false;
    case WM_SYSCOMMAND:
        if (!maximizable) return false;
        result = (wParam & 0xFFF0) == SC_CLOSE ? ::SendMessageW(window_, WM_CLOSE, 0, 0)
                                               : CallPreviousProc(message, wParam, lParam);
        return true;
    default:
        return false;
    }
}

void CSkinnedWindow::ApplyRoundCorners() {
    SIZE corner = paintManager_.GetRoundCorner();
    if (corner.cx == 0 && corner.cy == 0) return;
    RECT bounds{};
    ::GetWindowRect(window_, &bounds);
    ::OffsetRect(&bounds, -bounds.left, -bounds.top);
    CRegionHandle region(::CreateRoundRectRgn(0, 0, bounds.right + 1, bounds.bottom + 1, corner.cx, corner.cy));
    // The system owns the region once the window has it.
    if (region && ::SetWindowRgn(window_, region.Get(), TRUE)) region.Release();
}

void CSkinnedWindow::FillWorkArea(MINMAXINFO& info) const {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    ::GetMonitorInfoW(::MonitorFromWindow(window_, MONITOR_DEFAULTTONEAREST), &monitor);
    RECT work = monitor.rcWork;
    ::OffsetRect(&work, -monitor.rcMonitor.left, -monitor.rcMonitor.top);
    info.ptMaxPosition = POINT{work.left, work.top};
    info.ptMaxSize = POINT{work.right, work.bottom};
}

void CSkinnedWindow::OnFinalMessage(HWND) {
    notifierRegistration_.Reset();
    preMessageFilterRegistration_.Reset();
    if (CControlUI* root = paintManager_.GetRoot()) paintManager_.ReapObjects(root);
}

}  // namespace UiLib
