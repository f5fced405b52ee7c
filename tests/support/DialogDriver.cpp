#include "tests/support/DialogDriver.h"

#include <deque>
#include <utility>

#include "UiLib/controls/UIEdit.h"
#include "UiLib/core/UIManager.h"
#include "UiLib/tree/UIControl.h"
#include "tests/support/WindowPixels.h"

namespace {

std::deque<DialogStep> g_steps;
std::wstring g_className;
DWORD g_giveUpAt = 0;
constexpr DWORD kGiveUpAfterLastStep = 5000;

void CALLBACK RunNextStep(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND window = ::FindWindowW(g_className.c_str(), nullptr);
    if (!g_steps.empty()) {
        DialogStep step = std::move(g_steps.front());
        g_steps.pop_front();
        if (window) step(window);
        if (g_steps.empty()) g_giveUpAt = ::GetTickCount() + kGiveUpAfterLastStep;
        return;
    }
    if (!window) {
        ::KillTimer(nullptr, timer);
    } else if (static_cast<LONG>(::GetTickCount() - g_giveUpAt) >= 0) {
        ::KillTimer(nullptr, timer);
        ::DestroyWindow(window);
    }
}

LPARAM ClientPoint(POINT point) { return MAKELPARAM(point.x, point.y); }

}  // namespace

void DialogDriver::Settle() {
    ::RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

UiLib::CControlUI* DialogDriver::Find(const wchar_t* name) { return manager_.FindControl(name); }

void DialogDriver::Click(const wchar_t* name) {
    Settle();
    UiLib::CControlUI* control = Find(name);
    if (!control) return;
    RECT rect = control->GetPos();
    POINT centre{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    ::SendMessageW(window_, WM_MOUSEMOVE, 0, ClientPoint(centre));
    ::SendMessageW(window_, WM_LBUTTONDOWN, MK_LBUTTON, ClientPoint(centre));
    ::SendMessageW(window_, WM_LBUTTONUP, 0, ClientPoint(centre));
}

void DialogDriver::Type(const wchar_t* name, const std::wstring& text) {
    Click(name);
    auto* edit = dynamic_cast<UiLib::CEditUI*>(Find(name));
    HWND native = edit ? edit->GetNativeWindow() : nullptr;
    if (!native) return;
    for (wchar_t ch : text) ::SendMessageW(native, WM_CHAR, ch, 1);
}

void DialogDriver::PostKey(WPARAM key) {
    HWND focus = ::GetFocus();
    HWND target = focus && (focus == window_ || ::IsChild(window_, focus)) ? focus : window_;
    ::PostMessageW(target, WM_KEYDOWN, key, 1);
    ::PostMessageW(target, WM_KEYUP, key, 0xC0000001);
}

uint32_t DialogDriver::PixelAt(int x, int y) {
    Settle();
    return ClientRgb(window_, x, y);
}

OwnerWindow::OwnerWindow() {
    window_ = ::CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP | WS_VISIBLE, 100, 100, 700, 500, nullptr, nullptr,
                                ::GetModuleHandleW(nullptr), nullptr);
}

OwnerWindow::~OwnerWindow() { ::DestroyWindow(window_); }

void RunInModalLoop(const wchar_t* className, std::vector<DialogStep> steps) {
    g_className = className;
    g_steps.assign(steps.begin(), steps.end());
    g_giveUpAt = ::GetTickCount() + kGiveUpAfterLastStep;
    ::SetTimer(nullptr, 0, 30, &RunNextStep);
}

void PumpMessages(DWORD milliseconds) {
    DWORD end = ::GetTickCount() + milliseconds;
    MSG msg;
    do {
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (UiLib::CPaintManagerUI::TranslateMessage(&msg)) continue;
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        ::Sleep(1);
    } while (static_cast<LONG>(::GetTickCount() - end) < 0);
}
