#include "UiLib/tree/UIWindowWnd.h"

#include "UiLib/render/UIResource.h"

namespace UiLib {
namespace {

// The window property that ties a superclassed window to its object.
constexpr const wchar_t* kObjectProperty = L"WndX";

bool RegisteredOrExisting(ATOM atom) { return atom != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS; }

CWindowWnd::MessageTranslator& Translator() {
    static CWindowWnd::MessageTranslator translator = nullptr;
    return translator;
}

}  // namespace

HINSTANCE CWindowWnd::ModuleInstance() {
    HINSTANCE instance = CResourceConfig::GetInstance();
    return instance ? instance : ::GetModuleHandleW(nullptr);
}

CWindowWnd::~CWindowWnd() {
    tasks_->Detach();
    if (!::IsWindow(window_)) return;
    if (subclassed_) {
        Unsubclass();
        return;
    }
    ::RemovePropW(window_, kObjectProperty);
    if (reinterpret_cast<CWindowWnd*>(::GetWindowLongPtrW(window_, GWLP_USERDATA)) == this)
        ::SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
}

const wchar_t* CWindowWnd::GetSuperClassName() const { return nullptr; }
UINT CWindowWnd::GetClassStyle() const { return 0; }
LRESULT CWindowWnd::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return CallPreviousProc(message, wParam, lParam);
}
void CWindowWnd::OnFinalMessage(HWND) {}

LRESULT CWindowWnd::CallPreviousProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::CallWindowProcW(previousProc_, window_, message, wParam, lParam);
}

bool CWindowWnd::RegisterWindowClass() {
    WNDCLASSW windowClass{};
    windowClass.style = GetClassStyle();
    windowClass.lpfnWndProc = &CWindowWnd::WindowProc;
    windowClass.hInstance = ModuleInstance();
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = GetWindowClassName();
    return RegisteredOrExisting(::RegisterClassW(&windowClass));
}

bool CWindowWnd::RegisterSuperclass() {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    // System classes first, then the program's own.
    if (!::GetClassInfoExW(nullptr, GetSuperClassName(), &windowClass) &&
        !::GetClassInfoExW(ModuleInstance(), GetSuperClassName(), &windowClass))
        return false;
    previousProc_ = windowClass.lpfnWndProc;
    windowClass.lpfnWndProc = &CWindowWnd::ControlProc;
    windowClass.hInstance = ModuleInstance();
    windowClass.lpszClassName = GetWindowClassName();
    return RegisteredOrExisting(::RegisterClassExW(&windowClass));
}

HWND CWindowWnd::Create(HWND parent, const wchar_t* title, DWORD style, DWORD exStyle, const RECT& rect, HMENU menu) {
    return Create(parent, title, style, exStyle, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                  menu);
}

HWND CWindowWnd::Create(HWND parent, const wchar_t* title, DWORD style, DWORD exStyle, int x, int y, int cx, int cy,
                        HMENU menu) {
    bool registered = GetSuperClassName() ? RegisterSuperclass() : RegisterWindowClass();
    if (!registered) return nullptr;
    // A window that owns this object and failed after WM_NCCREATE has deleted it already.
    return ::CreateWindowExW(exStyle, GetWindowClassName(), title, style, x, y, cx, cy, parent, menu, ModuleInstance(),
                             this);
}

HWND CWindowWnd::Subclass(HWND window) {
    if (!::IsWindow(window) || subclassed_) return nullptr;
    window_ = window;
    tasks_->Attach(window);
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    previousProc_ = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWindowWnd::WindowProc)));
    subclassed_ = true;
    return window_;
}

void CWindowWnd::Unsubclass() {
    if (!subclassed_) return;
    if (::IsWindow(window_)) {
        ::SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previousProc_));
        ::SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    }
    tasks_->Detach();
    previousProc_ = ::DefWindowProcW;
    subclassed_ = false;
    window_ = nullptr;
}

void CWindowWnd::TakeOwnershipFromCreator() {
    if (!pendingOwner_) return;
    pendingOwner_->release();
    pendingOwner_ = nullptr;
    ownedByWindow_ = true;
}

LRESULT CWindowWnd::FinishWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    tasks_->Detach();
    LRESULT result = ::CallWindowProcW(previousProc_, window, message, wParam, lParam);
    if (subclassed_) Unsubclass();
    window_ = nullptr;
    // Read first: a window that owns itself in its own way may delete this in OnFinalMessage.
    const bool owned = ownedByWindow_;
    OnFinalMessage(window);
    if (owned) delete this;
    return result;
}

LRESULT CALLBACK CWindowWnd::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    CWindowWnd* self = nullptr;
    if (message == WM_NCCREATE) {
        self = static_cast<CWindowWnd*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->window_ = window;
        self->tasks_->Attach(window);
        self->TakeOwnershipFromCreator();
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<CWindowWnd*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self && message == WM_NCDESTROY) {
            ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            return self->FinishWindow(window, message, wParam, lParam);
        }
    }
    if (!self) return ::DefWindowProcW(window, message, wParam, lParam);
    if (RunTasks(self, message)) return 0;
    return self->HandleMessage(message, wParam, lParam);
}

LRESULT CALLBACK CWindowWnd::ControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    CWindowWnd* self = nullptr;
    if (message == WM_NCCREATE) {
        self = static_cast<CWindowWnd*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->window_ = window;
        self->tasks_->Attach(window);
        self->TakeOwnershipFromCreator();
        ::SetPropW(window, kObjectProperty, self);
    } else {
        self = static_cast<CWindowWnd*>(::GetPropW(window, kObjectProperty));
        if (self && message == WM_NCDESTROY) {
            ::RemovePropW(window, kObjectProperty);
            return self->FinishWindow(window, message, wParam, lParam);
        }
    }
    if (!self) return ::DefWindowProcW(window, message, wParam, lParam);
    if (RunTasks(self, message)) return 0;
    return self->HandleMessage(message, wParam, lParam);
}

bool CWindowWnd::RunTasks(CWindowWnd* self, UINT message) {
    if (message != CWindowTasks::WakeMessage()) return false;
    std::shared_ptr<CWindowTasks> tasks = self->tasks_;
    tasks->RunPending();
    return true;
}

void CWindowWnd::ShowWindow(bool show, bool takeFocus) {
    if (!::IsWindow(window_)) return;
    ::ShowWindow(window_, show ? (takeFocus ? SW_SHOWNORMAL : SW_SHOWNOACTIVATE) : SW_HIDE);
}

UINT CWindowWnd::ShowModal() {
    if (!::IsWindow(window_)) return 0;
    HWND self = window_;
    HWND owner = ::GetWindow(self, GW_OWNER);
    // An owner that an outer dialog holds disabled stays so until that dialog ends too.
    const bool ownerWasEnabled = owner && ::IsWindowEnabled(owner);
    auto releaseOwner = [owner, ownerWasEnabled] {
        if (!ownerWasEnabled) return;
        ::EnableWindow(owner, TRUE);
        ::SetFocus(owner);
    };
    ::ShowWindow(self, SW_SHOWNORMAL);
    if (owner) ::EnableWindow(owner, FALSE);
    UINT result = 0;
    MSG msg{};
    bool quit = false;
    while (::IsWindow(self)) {
        if (::GetMessageW(&msg, nullptr, 0, 0) <= 0) {
            quit = true;
            break;
        }
        if (msg.message == WM_CLOSE && msg.hwnd == self) {
            result = static_cast<UINT>(msg.wParam);
            // The owner takes the focus back before this window goes, so it does not flicker away.
            releaseOwner();
        }
        const MessageTranslator translate = Translator();
        if (!translate || !translate(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    releaseOwner();
    if (quit) ::PostQuitMessage(static_cast<int>(msg.wParam));
    return result;
}

void CWindowWnd::SetMessageTranslator(MessageTranslator translator) { Translator() = translator; }

void CWindowWnd::Close(UINT result) {
    if (::IsWindow(window_)) ::PostMessageW(window_, WM_CLOSE, result, 0);
}

void CWindowWnd::CenterWindow() {
    if (!::IsWindow(window_)) return;
    RECT window{};
    ::GetWindowRect(window_, &window);
    HWND owner = ::GetWindow(window_, GW_OWNER);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    ::GetMonitorInfoW(::MonitorFromWindow(owner ? owner : window_, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT& area = monitor.rcWork;
    RECT centre = area;
    if (owner) ::GetWindowRect(owner, &centre);
    int width = window.right - window.left;
    int height = window.bottom - window.top;
    int x = (centre.left + centre.right) / 2 - width / 2;
    int y = (centre.top + centre.bottom) / 2 - height / 2;
    if (x < area.left) x = area.left;
    else if (x + width > area.right) x = area.right - width;
    if (y < area.top) y = area.top;
    else if (y + height > area.bottom) y = area.bottom - height;
    ::SetWindowPos(window_, nullptr, x, y, -1, -1, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CWindowWnd::SetIcon(UINT resourceId) {
    HINSTANCE instance = ModuleInstance();
    auto load = [&](int cxMetric, int cyMetric) {
        return static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(resourceId), IMAGE_ICON,
                                               ::GetSystemMetrics(cxMetric), ::GetSystemMetrics(cyMetric),
                                               LR_DEFAULTCOLOR | LR_SHARED));
    };
    ::SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(load(SM_CXICON, SM_CYICON)));
    ::SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(load(SM_CXSMICON, SM_CYSMICON)));
}

void CWindowWnd::ResizeClient(int cx, int cy) {
    RECT client{};
    if (!::GetClientRect(window_, &client)) return;
    if (cx != -1) client.right = cx;
    if (cy != -1) client.bottom = cy;
    DWORD style = static_cast<DWORD>(::GetWindowLongPtrW(window_, GWL_STYLE));
    DWORD exStyle = static_cast<DWORD>(::GetWindowLongPtrW(window_, GWL_EXSTYLE));
    if (!::AdjustWindowRectEx(&client, style, ::GetMenu(window_) != nullptr, exStyle)) return;
    ::SetWindowPos(window_, nullptr, 0, 0, client.right - client.left, client.bottom - client.top,
                   SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
}

}  // namespace UiLib
