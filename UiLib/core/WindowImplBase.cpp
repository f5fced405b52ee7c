#include "UiLib/core/WindowImplBase.h"

#include "UiLib/controls/UIControl.h"
#include "UiLib/core/UIDlgBuilder.h"
#include "UiLib/core/UIResource.h"

namespace UiLib {
namespace {

LRESULT PassOn(bool& handled) {
    handled = false;
    return 0;
}

POINT PointOf(LPARAM lParam) {
    return POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

}  // namespace

WindowImplBase::~WindowImplBase() {
    if (::IsWindow(window_)) ::DestroyWindow(window_);
}

const CNotifyPump::NotifyMap* WindowImplBase::GetNotifyMap() const {
    static const NotifyMap map{&CNotifyPump::kNotifyMap, {OnNotify(L"click", L"", &WindowImplBase::OnClick)}};
    return &map;
}

UINT WindowImplBase::GetClassStyle() const { return CS_DBLCLKS; }
void WindowImplBase::InitWindow() {}
UILIB_RESOURCETYPE WindowImplBase::GetResourceType() const { return UILIB_FILE; }
std::wstring WindowImplBase::GetZIPFileName() const { return std::wstring(); }
LPCWSTR WindowImplBase::GetResourceID() const { return nullptr; }
std::unique_ptr<CControlUI> WindowImplBase::CreateControlForTag(const wchar_t*) { return nullptr; }

void WindowImplBase::Notify(UiNotify& msg) { NotifyPump(msg); }

void WindowImplBase::OnClick(UiNotify& msg) {
    std::wstring name = msg.pSender ? msg.pSender->GetName() : std::wstring();
    if (name == L"closebtn") Close(kCloseButtonCode);
    else if (name == L"minbtn") ::SendMessageW(window_, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    else if (name == L"maxbtn") ::SendMessageW(window_, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    else if (name == L"restorebtn") ::SendMessageW(window_, WM_SYSCOMMAND, SC_RESTORE, 0);
}

LRESULT WindowImplBase::MessageHandler(UINT message, WPARAM wParam, LPARAM, bool& handled) {
    // Escape closes the window; the key still goes on to the controls.
    if (message == WM_KEYDOWN && wParam == VK_ESCAPE) Close(kEscapeCloseCode);
    handled = false;
    return 0;
}

LRESULT WindowImplBase::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    bool handled = true;
    LRESULT result = DispatchToHandler(message, wParam, lParam, handled);
    if (handled) return result;
    handled = true;
    result = HandleCustomMessage(message, wParam, lParam, handled);
    if (handled) return result;
    if (paintManager_.MessageHandler(message, wParam, lParam, result)) return result;
    return CWindowWnd::HandleMessage(message, wParam, lParam);
}

LRESULT WindowImplBase::DispatchToHandler(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
    switch (message) {
    case WM_CREATE: return OnCreate(message, wParam, lParam, handled);
    case WM_CLOSE: return OnClose(message, wParam, lParam, handled);
    case WM_DESTROY: return OnDestroy(message, wParam, lParam, handled);
    case WM_NCACTIVATE: return OnNcActivate(message, wParam, lParam, handled);
    case WM_NCCALCSIZE: return OnNcCalcSize(message, wParam, lParam, handled);
    case WM_NCPAINT: return OnNcPaint(message, wParam, lParam, handled);
    case WM_NCHITTEST: return OnNcHitTest(message, wParam, lParam, handled);
    case WM_GETMINMAXINFO: return OnGetMinMaxInfo(message, wParam, lParam, handled);
    case WM_MOUSEWHEEL: return OnMouseWheel(message, wParam, lParam, handled);
    case WM_MOUSEHOVER: return OnMouseHover(message, wParam, lParam, handled);
    case WM_SIZE: return OnSize(message, wParam, lParam, handled);
    case WM_CHAR: return OnChar(message, wParam, lParam, handled);
    case WM_SYSCOMMAND: return OnSysCommand(message, wParam, lParam, handled);
    case WM_KEYDOWN: return OnKeyDown(message, wParam, lParam, handled);
    case WM_KILLFOCUS: return OnKillFocus(message, wParam, lParam, handled);
    case WM_SETFOCUS: return OnSetFocus(message, wParam, lParam, handled);
    case WM_LBUTTONDOWN: return OnLButtonDown(message, wParam, lParam, handled);
    case WM_LBUTTONUP: return OnLButtonUp(message, wParam, lParam, handled);
    case WM_MOUSEMOVE: return OnMouseMove(message, wParam, lParam, handled);
    default:
        handled = false;
        return 0;
    }
}

// Handlers that only watch: the message goes on to the paint manager.
LRESULT WindowImplBase::OnClose(UINT, WPARAM, LPARAM, bool& handled) { return PassOn(handled); }
LRESULT WindowImplBase::OnDestroy(UINT, WPARAM, LPARAM, bool& handled) { return PassOn(handled); }
LRESULT WindowImplBase::OnMouseWheel(UINT, WPARAM, LPARAM, bool& handled) { return PassOn(handled); }
LRESULT WindowImplBase::OnMouseHover(UINT, WPARAM, LPARAM, bool& handled) { return PassOn(handled); }
LRESULT WindowImplBase::OnChar(UINT, WPARAM, LPARAM, bool& handled) { return PassOn(handled); }
LRESULT WindowImplBase::OnKeyDown(UINT, WPARAM, LPARAM, bool& handled) { return PassOn(handled); }
LRESULT WindowImplBase::OnKillFocus(UINT, WPARAM, LPARAM, bool& handled) { return PassOn(handled); }
LRESULT WindowImplBase::OnSetFocus(UINT, WPARAM, LPARAM, bool& handled) { return PassOn(handled); }
LRESULT WindowImplBase::OnLButtonDown(UINT, WPARAM, LPARAM, bool& handled) { return PassOn(handled); }
LRESULT WindowImplBase::OnLButtonUp(UINT, WPARAM, LPARAM, bool& handled) { return PassOn(handled); }
LRESULT WindowImplBase::OnMouseMove(UINT, WPARAM, LPARAM, bool& handled) { return PassOn(handled); }
LRESULT WindowImplBase::HandleCustomMessage(UINT, WPARAM, LPARAM, bool& handled) { return PassOn(handled); }

LRESULT WindowImplBase::OnNcActivate(UINT, WPARAM wParam, LPARAM, bool& handled) {
    if (::IsIconic(window_)) handled = false;
    return wParam == 0 ? TRUE : FALSE;
}

// The whole window is client area and no frame is drawn.
LRESULT WindowImplBase::OnNcCalcSize(UINT, WPARAM, LPARAM, bool&) { return 0; }
LRESULT WindowImplBase::OnNcPaint(UINT, WPARAM, LPARAM, bool&) { return 0; }

CaptionClicks WindowImplBase::GetCaptionClicks() const { return CaptionClicks::ButtonsOptionsAndText; }

LRESULT WindowImplBase::OnNcHitTest(UINT, WPARAM, LPARAM lParam, bool&) {
    return CaptionHitTest(window_, paintManager_, PointOf(lParam), GetCaptionClicks());
}

LRESULT WindowImplBase::OnGetMinMaxInfo(UINT, WPARAM, LPARAM lParam, bool& handled) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    ::GetMonitorInfoW(::MonitorFromWindow(window_, MONITOR_DEFAULTTONEAREST), &monitor);
    RECT work = monitor.rcWork;
    ::OffsetRect(&work, -monitor.rcMonitor.left, -monitor.rcMonitor.top);
    auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
    info->ptMaxPosition = POINT{work.left, work.top};
    info->ptMaxSize = POINT{work.right, work.bottom};
    // The paint manager adds the tracking sizes of the layout.
    handled = false;
    return 0;
}

LRESULT WindowImplBase::OnSize(UINT, WPARAM wParam, LPARAM, bool& handled) {
    SIZE corner = paintManager_.GetRoundCorner();
    if (wParam != SIZE_MINIMIZED && (corner.cx != 0 || corner.cy != 0)) {
        RECT window{};
        ::GetWindowRect(window_, &window);
        ::OffsetRect(&window, -window.left, -window.top);
        CRegionHandle region(
            ::CreateRoundRectRgn(window.left, window.top, window.right + 1, window.bottom + 1, corner.cx, corner.cy));
        // The system owns the region once the window has it.
        if (region && ::SetWindowRgn(window_, region.Get(), TRUE)) region.Release();
    }
    handled = false;
    return 0;
}

LRESULT WindowImplBase::OnSysCommand(UINT message, WPARAM wParam, LPARAM lParam, bool&) {
    if ((wParam & 0xFFF0) == SC_CLOSE) return ::SendMessageW(window_, WM_CLOSE, 0, 0);
    return CallPreviousProc(message, wParam, lParam);
}

LONG WindowImplBase::GetStyle() {
    LONG style = static_cast<LONG>(::GetWindowLongPtrW(window_, GWL_STYLE));
    style &= ~WS_CAPTION;
    return style | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
}

bool WindowImplBase::SelectSkinSource() {
    CPaintManagerUI::SetResourcePath((CPaintManagerUI::GetInstancePath() + GetSkinFolder()).c_str());
    switch (GetResourceType()) {
    case UILIB_ZIP:
        CPaintManagerUI::SetResourceZip(GetZIPFileName().c_str(), true);
        return true;
    case UILIB_ZIPRESOURCE: {
        LPCWSTR resource = GetResourceID();
        return resource && CResourceConfig::SetResourceZipFromModule(resource, L"ZIPRES");
    }
    case UILIB_FILE:
    case UILIB_RESOURCE:
    default:
        return true;
    }
}

std::unique_ptr<CControlUI> WindowImplBase::BuildLayout() {
    CDialogBuilder builder;
    std::wstring skinFile = GetSkinFile();
    if (GetResourceType() == UILIB_RESOURCE) {
        long id = std::wcstol(skinFile.c_str(), nullptr, 10);
        if (id <= 0) return nullptr;
        return builder.Create(CDialogBuilder::Layout(static_cast<UINT>(id)), L"xml", this, &paintManager_);
    }
    return builder.Create(CDialogBuilder::Layout(skinFile), nullptr, this, &paintManager_);
}

LRESULT WindowImplBase::OnCreate(UINT, WPARAM, LPARAM, bool&) {
    ::SetWindowLongPtrW(window_, GWL_STYLE, GetStyle());
    RECT client{};
    ::GetClientRect(window_, &client);
    // The frame change alone: a window being created is not activated or moved in the z-order.
    ::SetWindowPos(window_, nullptr, client.left, client.top, client.right - client.left, client.bottom - client.top,
                   SWP_FRAMECHANGED | SWP_NOZORDER | SWP_NOACTIVATE);
    paintManager_.Init(window_);
    paintManager_.AddPreMessageFilter(this);
    if (!SelectSkinSource()) return 0;
    std::unique_ptr<CControlUI> root = BuildLayout();
    if (!root) {
        ::MessageBoxW(window_, kLoadFailedText, kLoadFailedCaption, MB_ICONERROR);
        ::ExitProcess(1);
    }
    paintManager_.AttachDialog(std::move(root));
    paintManager_.AddNotifier(this);
    paintManager_.SetBackgroundTransparent(true);
    InitWindow();
    return 0;
}

void WindowImplBase::OnFinalMessage(HWND) {
    paintManager_.RemovePreMessageFilter(this);
    paintManager_.RemoveNotifier(this);
    if (CControlUI* root = paintManager_.GetRoot()) paintManager_.ReapObjects(root);
}

}  // namespace UiLib
