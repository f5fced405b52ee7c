#include "app/MainFrame.h"

#include "BuildConfig.h"
#include "UiLib/controls/UIControl.h"
#include "UiLib/core/UIDlgBuilder.h"
#include "UiLib/core/UIResource.h"
#include "UiLib/layouts/UITabLayout.h"
#include "app/DataFolder.h"
#include "app/DialogBuilderCallbackEx.h"
#include "app/SystemMenuUI.h"
#include "app/TrayMenuUI.h"
#include "games/MyGameWndUI.h"
#include "online/MyIEWndUI.h"
#include "online/MyMessageBox.h"
#include "online/ReplyMessages.h"
#include "online/SelfUpdate.h"

using namespace UiLib;

MainFrame* g_mainFrame = nullptr;

namespace {

// The web pages of tab pages 1 to 4, in this order.
const wchar_t* const kWebPages[] = {
    L"http://" LUDORA_PORTAL1_HOST L"/hezi/tj.htm",
    L"http://" LUDORA_PORTAL1_HOST L"/hezi/",
    L"http://" LUDORA_PORTAL2_HOST L"/hezi/",
    L"http://" LUDORA_PORTAL2_HOST3 L"/hezi.htm",
};

// Without its caption and maximise box; children and siblings are not painted over.
constexpr LONG kRemovedStyle = static_cast<LONG>(~0xFF3EFFFFu);
constexpr LONG kAddedStyle = 0x06000000;

bool IsNamed(const CControlUI* control, const wchar_t* name) { return control && control->GetName() == name; }

}  // namespace

MainFrame::MainFrame() : dataFolder_(GetDataFolder()), versionLabel_(VersionText()) {
    gameList_.Load(dataFolder_);
    settings_.LoadSettings(dataFolder_);
}

MainFrame::~MainFrame() {
    PostQuitMessage(0);
    if (g_mainFrame == this) g_mainFrame = nullptr;
}

HWND MainFrame::CreateMainWindow() {
    HWND window = Create(nullptr, kWindowTitle, WS_OVERLAPPEDWINDOW, 0, 0, 0, 970, 660);
    if (window != nullptr) CenterWindow();
    return window;
}

LRESULT MainFrame::OnCreate(UINT, WPARAM, LPARAM, bool&) {
    LONG style = static_cast<LONG>(GetWindowLongPtrW(window_, GWL_STYLE));
    SetWindowLongPtrW(window_, GWL_STYLE, (style & ~kRemovedStyle) | kAddedStyle);
    paintManager_.Init(window_);
    // Without its skin the window stays empty but the program goes on.
    if (CResourceConfig::SetResourceZipFromModule(GetResourceID(), L"ZIPRES")) {
        CDialogBuilderCallbackEx callback(&paintManager_);
        CDialogBuilder builder;
        if (std::unique_ptr<CControlUI> root =
                builder.Create(CDialogBuilder::Layout(GetSkinFile()), nullptr, &callback, &paintManager_)) {
            paintManager_.AttachDialog(std::move(root));
            paintManager_.AddNotifier(this);
            SetWindowIcons();
            FindControls();
            ShowVersionLabel();
        }
    }
    workers_.Start();
    return 0;
}

void MainFrame::SetWindowIcons() {
    HINSTANCE instance = CPaintManagerUI::GetInstance();
    // Icons loaded from a module resource are shared and never destroyed.
    auto load = [instance](int widthMetric, int heightMetric) {
        return static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(kTrayIconId), IMAGE_ICON,
                                             GetSystemMetrics(widthMetric), GetSystemMetrics(heightMetric),
                                             LR_DEFAULTCOLOR | LR_SHARED));
    };
    if (HICON big = load(SM_CXICON, SM_CYICON)) SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    if (HICON small = load(SM_CXSMICON, SM_CYSMICON))
        SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
}

void MainFrame::FindControls() {
    closeButton_ = paintManager_.FindControl(L"closebtn");
    minButton_ = paintManager_.FindControl(L"minbtn");
    menuButton_ = paintManager_.FindControl(L"menubtn");
    if (menuButton_ != nullptr) menuButton_->OnNotify += MakeDelegate(this, &MainFrame::OnMenuButtonClick);
    versionLabelControl_ = paintManager_.FindControl(L"vertext");
    // The option "mygame" shares the page's name; the page is the one that knows its interface.
    CControlUI* tabs = paintManager_.FindControl(L"tabswitch");
    auto* tabLayout = tabs ? static_cast<CTabLayoutUI*>(tabs->GetInterface(L"TabLayout")) : nullptr;
    CControlUI* firstPage = tabLayout && tabLayout->GetCount() > 0 ? tabLayout->GetItemAt(0) : nullptr;
    myGamePage_ = firstPage ? static_cast<CMyGameWndUI*>(firstPage->GetInterface(L"MyGameWnd")) : nullptr;
}

void MainFrame::AddWebPages() {
    CControlUI* tabs = paintManager_.FindControl(L"tabswitch");
    auto* tabLayout = tabs ? static_cast<CTabLayoutUI*>(tabs->GetInterface(L"TabLayout")) : nullptr;
    if (tabLayout == nullptr) return;
    for (const wchar_t* page : kWebPages) {
        auto webPage = std::make_unique<CMyIEWndUI>(&paintManager_);
        CMyIEWndUI* added = webPage.get();
        if (!tabLayout->Add(std::move(webPage))) continue;
        added->NavigateTab(L"about:blank");
        added->NavigateTab(page);
    }
}

void MainFrame::SetVersionLabel(const std::wstring& text) {
    {
        std::lock_guard<std::mutex> hold(versionLabelLock_);
        versionLabel_ = text;
    }
    // The label itself is only touched on the window's thread.
    if (IsWindow(window_)) PostMessageW(window_, kVersionLabelChanged, 0, 0);
}

std::wstring MainFrame::VersionLabel() const {
    std::lock_guard<std::mutex> hold(versionLabelLock_);
    return versionLabel_;
}

void MainFrame::ShowVersionLabel() {
    if (versionLabelControl_ != nullptr) versionLabelControl_->SetText(VersionLabel());
}

void MainFrame::ShowUpdateMessage(const std::wstring& text, const std::wstring& secondText, const std::wstring& caption,
                                  int icon) {
    // The result is not used: these boxes only tell.
    ShowMyMessageBox(window_, text, secondText, caption, icon);
}

void MainFrame::Notify(UiNotify& msg) {
    if (msg.sType == L"windowinit") {
        AddWebPages();
    } else if (msg.sType == L"click") {
        if (IsNamed(msg.pSender, L"closebtn")) OnCloseButton();
        else if (IsNamed(msg.pSender, L"minbtn")) SendMessageW(window_, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    }
}

void MainFrame::OnCloseButton() {
    // Read at every click, so that a change in the settings window counts at once.
    if (settings_.IsColse == L"1") PostMessageW(window_, WM_CLOSE, 1, 0);
    else ::ShowWindow(window_, SW_HIDE);
}

bool MainFrame::OnMenuButtonClick(void* param) {
    auto* msg = static_cast<UiNotify*>(param);
    if (msg == nullptr || msg->sType != L"click") return true;
    // Just below the button, which touches the top edge.
    RECT button = menuButton_->GetPos();
    POINT base{button.left, button.bottom - button.top};
    ClientToScreen(window_, &base);
    CWindowWnd::CreateOwned(std::make_unique<CSystemMenuUI>(window_), [&](CSystemMenuUI& menu) {
        return menu.Init(nullptr, CSystemMenuUI::kLayout, L"xml", CMenuWnd::kDefaultAlignment, base);
    });
    return true;
}

void MainFrame::OpenTrayMenu() {
    POINT cursor{};
    GetCursorPos(&cursor);
    CWindowWnd::CreateOwned(std::make_unique<CTrayMenuUI>(window_), [&](CTrayMenuUI& menu) {
        return menu.Init(nullptr, CTrayMenuUI::kLayout, L"xml", CMenuWnd::kAlignRight | CMenuWnd::kAlignBottom, cursor);
    });
}

LRESULT MainFrame::OnTrayNotify(UINT, WPARAM wParam, LPARAM lParam, bool&) {
    // The system's own message of this number (WM_ACTIVATEAPP) carries 0 or 1 here.
    if (wParam != kTrayIconId) return 0;
    if (lParam == WM_LBUTTONDOWN && !IsWindowVisible(window_)) ::ShowWindow(window_, SW_SHOWNORMAL);
    else if (lParam == WM_RBUTTONUP) OpenTrayMenu();
    return 0;
}

LRESULT MainFrame::OnNcHitTest(UINT, WPARAM, LPARAM lParam, bool&) {
    POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    ScreenToClient(window_, &point);
    RECT client{};
    GetClientRect(window_, &client);
    RECT caption = paintManager_.GetCaptionRect();
    bool inBand = point.x >= client.left + caption.left && point.x < client.right - caption.right &&
                  point.y >= caption.top && point.y < caption.bottom;
    if (!inBand) return HTCLIENT;
    CControlUI* control = paintManager_.FindControl(point);
    if (control == nullptr) return HTCLIENT;
    std::wstring className = control->GetClass();
    return className == L"ButtonUI" || className == L"OptionUI" ? HTCLIENT : HTCAPTION;
}

LRESULT MainFrame::OnGetMinMaxInfo(UINT, WPARAM, LPARAM lParam, bool& handled) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromWindow(window_, MONITOR_DEFAULTTOPRIMARY), &monitor);
    auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
    info->ptMaxPosition = POINT{0, 0};
    info->ptMaxSize = POINT{monitor.rcWork.right - monitor.rcWork.left, monitor.rcWork.bottom - monitor.rcWork.top};
    handled = false;
    return 0;
}

LRESULT MainFrame::OnSysCommand(UINT, WPARAM wParam, LPARAM, bool& handled) {
    // Alt+F4 and the taskbar's close end the program whatever the close button does.
    if ((wParam & 0xFFF0) == SC_CLOSE) {
        PostQuitMessage(0);
        return 0;
    }
    handled = false;
    return 0;
}

LRESULT MainFrame::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    // Message boxes asked for by other threads run here, on the window's own thread.
    LRESULT answer = 0;
    if (AnswerMyMessageBoxRequest(window_, message, lParam, answer)) return answer;
    // The pop-ups are not built yet: the reply is taken and dropped.
    if (IsReplyMessage(message)) {
        TakeReply(wParam);
        return 0;
    }
    bool handled = true;
    LRESULT result = 0;
    switch (message) {
    case WM_CREATE: result = OnCreate(message, wParam, lParam, handled); break;
    case WM_SIZE: result = OnSize(message, wParam, lParam, handled); break;
    case CTrayIcon::kCallbackMessage: result = OnTrayNotify(message, wParam, lParam, handled); break;
    case WM_GETMINMAXINFO: result = OnGetMinMaxInfo(message, wParam, lParam, handled); break;
    case WM_NCCALCSIZE: result = OnNcCalcSize(message, wParam, lParam, handled); break;
    case WM_NCPAINT: result = OnNcPaint(message, wParam, lParam, handled); break;
    case WM_NCACTIVATE: result = OnNcActivate(message, wParam, lParam, handled); break;
    case WM_NCHITTEST: result = OnNcHitTest(message, wParam, lParam, handled); break;
    case WM_SYSCOMMAND: result = OnSysCommand(message, wParam, lParam, handled); break;
    case kVersionLabelChanged: ShowVersionLabel(); break;
    default: handled = false;
    }
    if (handled) return result;
    if (paintManager_.MessageHandler(message, wParam, lParam, result)) return result;
    return DefWindowProcW(window_, message, wParam, lParam);
}

void MainFrame::OnFinalMessage(HWND window) {
    WindowImplBase::OnFinalMessage(window);
    delete this;
}
