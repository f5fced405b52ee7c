#include "app/MainFrame.h"

#include "app/DataFolder.h"
#include "online/MyMessageBox.h"
#include "online/ReplyMessages.h"
#include "online/SelfUpdate.h"

MainFrame* g_mainFrame = nullptr;

MainFrame::MainFrame() : dataFolder_(GetDataFolder()), versionLabel_(VersionText()) {
    gameList_.Load(dataFolder_);
    settings_.LoadSettings(dataFolder_);
}

MainFrame::~MainFrame() {
    PostQuitMessage(0);
    if (g_mainFrame == this) g_mainFrame = nullptr;
}

HWND MainFrame::Create(HINSTANCE instance) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = &MainFrame::WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(101));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = kWindowClassName;
    RegisterClassExW(&windowClass);

    CreateWindowExW(0, kWindowClassName, kWindowTitle, WS_OVERLAPPEDWINDOW, 0, 0, 970, 660, nullptr, nullptr,
                    instance, this);
    if (hwnd_ != nullptr) CenterWindow();
    return hwnd_;
}

void MainFrame::CenterWindow() {
    RECT window{}, work{};
    GetWindowRect(hwnd_, &window);
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    int width = window.right - window.left, height = window.bottom - window.top;
    int x = work.left + (work.right - work.left - width) / 2;
    int y = work.top + (work.bottom - work.top - height) / 2;
    SetWindowPos(hwnd_, nullptr, x < work.left ? work.left : x, y < work.top ? work.top : y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CALLBACK MainFrame::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* frame = static_cast<MainFrame*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        frame->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(frame));
    }
    auto* frame = reinterpret_cast<MainFrame*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (frame == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        frame->hwnd_ = nullptr;
        delete frame;
        return 0;
    }
    return frame->HandleMessage(message, wParam, lParam);
}

void MainFrame::SetVersionLabel(const std::wstring& text) {
    std::lock_guard<std::mutex> hold(versionLabelLock_);
    versionLabel_ = text;
}

std::wstring MainFrame::VersionLabel() const {
    std::lock_guard<std::mutex> hold(versionLabelLock_);
    return versionLabel_;
}

void MainFrame::ShowUpdateMessage(const std::wstring& text, const std::wstring& secondText, const std::wstring& caption,
                                  int icon) {
    // The result is not used: these boxes only tell.
    ShowMyMessageBox(hwnd_, text, secondText, caption, icon);
}

LRESULT MainFrame::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE) workers_.Start();
    // Message boxes asked for by other threads run here, on the window's own thread.
    LRESULT answer = 0;
    if (AnswerMyMessageBoxRequest(hwnd_, message, lParam, answer)) return answer;
    // The pop-ups are not built yet: the reply is taken and dropped.
    if (IsReplyMessage(message)) {
        TakeReply(wParam);
        return 0;
    }
    if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_CLOSE) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}
