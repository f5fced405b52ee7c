#include "app/MainFrame.h"

#include <algorithm>

#include "BuildConfig.h"
#include "UiLib/controls/UIButton.h"
#include "UiLib/controls/UIOption.h"
#include "UiLib/core/UIDlgBuilder.h"
#include "UiLib/layouts/UITabLayout.h"
#include "UiLib/menu/MenuWnd.h"
#include "UiLib/render/UIResource.h"
#include "UiLib/tree/UIControl.h"
#include "app/SystemMenuUI.h"
#include "app/SystemSetUI.h"
#include "app/TrayMenuUI.h"
#include "games/MyGameWndUI.h"
#include "online/ManagementService.h"
#include "online/MiniInformationWndUI.h"
#include "online/MyIEWndUI.h"
#include "online/PopWndUI.h"
#include "shared/MyMessageBox.h"

using namespace UiLib;

namespace {

// The web pages of tab pages 1 to 4, in this order.
const wchar_t* const kWebPages[] = {
    L"http://" LUDORA_PORTAL1_HOST L"/hezi/tj.htm",
    L"http://" LUDORA_PORTAL1_HOST L"/hezi/",
    L"http://" LUDORA_PORTAL2_HOST L"/hezi/",
    L"http://" LUDORA_PORTAL2_HOST3 L"/hezi.htm",
};

// The automatic update check starts this long after the first paint.
constexpr UINT_PTR kAutoUpdateTimer = 0x4C55;
constexpr UINT kAutoUpdateDelayMs = 2000;
// The news and advert pop-ups wait for their delays on these.
constexpr UINT_PTR kNewsTimer = 0x4C56;
constexpr UINT_PTR kAdvertTimer = 0x4C57;
// The next news request starts on this.
constexpr UINT_PTR kNewsFetchTimer = 0x4C58;

// The navigation option of the my-games page, which shares its name with the page.
CControlUI* CALLBACK MatchGamesOption(CControlUI* control, void*) {
    return control->GetName() == L"mygame" && dynamic_cast<COptionUI*>(control) ? control : nullptr;
}

// The skin draws the caption; the window has no maximise box.
constexpr LONG kRemovedStyle = static_cast<LONG>(~0xFF3EFFFFu);

// The update checks' view of the main window, used on their threads: the label and the boxes are
// handed to the window's thread. The frame is touched only by tasks, which run while its window
// exists.
class MainWindowUpdateHost final : public IUpdateHost {
public:
    MainWindowUpdateHost(std::shared_ptr<CWindowTasks> tasks, MainFrame* frame)
        : tasks_(std::move(tasks)), frame_(frame) {}

    void SetVersionLabel(const std::wstring& text) override {
        tasks_->Post([frame = frame_, text] { frame->ShowVersionLabel(text); });
    }

    void ShowUpdateMessage(const std::wstring& text, const std::wstring& secondText, const std::wstring& caption,
                           int icon) override {
        // The result is not used: these boxes only tell.
        tasks_->Call([=, frame = frame_] { ShowMyMessageBox(frame->GetHWND(), text, secondText, caption, icon); });
    }

private:
    std::shared_ptr<CWindowTasks> tasks_;
    MainFrame* frame_;
};

}  // namespace

MainFrame::MainFrame(GameList& games, PlayHistory& history, std::shared_ptr<SysSettings> settings,
                     DataFolder dataFolder, std::wstring commandLine)
    : CSkinnedWindow(WindowOptions(*this)),
      history_(history),
      gamesRestored_(games.RestoredFromCopy()),
      settings_(std::move(settings)),
      dataFolder_(std::move(dataFolder)),
      commandLine_(std::move(commandLine)),
      myGames_(games, history, Tasks()) {}

// Without its skin the window stays empty but the program goes on.
SkinnedWindowOptions MainFrame::WindowOptions(MainFrame& frame) {
    SkinnedWindowOptions options;
    options.layout = CDialogBuilder::Layout(L"MainFrame.xml");
    options.classStyle = CS_DBLCLKS;
    options.removedStyle = kRemovedStyle;
    options.captionClicks = CaptionClicks::ButtonsAndOptions;
    options.selectSkin = [] {
        CPaintManagerUI::SetResourcePath((CPaintManagerUI::GetInstancePath() + L"skin\\").c_str());
        return CResourceConfig::SetResourceZipFromModule(MAKEINTRESOURCEW(SkinnedDialogFrame::kProgramSkinResource),
                                                         L"ZIPRES");
    };
    options.notifier = &frame;
    return options;
}

MainFrame::~MainFrame() = default;

HWND MainFrame::CreateMainWindow() {
    HWND window = Create(nullptr, kWindowTitle, WS_OVERLAPPEDWINDOW, 0, 0, 0, 970, 660);
    if (window != nullptr) CenterWindow();
    return window;
}

void MainFrame::InitWindow() {
    FindControls();
    ShowVersionLabel(VersionText());
    myGames_.LoadGames();
    if (myGamePage_) myGamePage_->Bind(myGames_);
}

void MainFrame::OnCreated() {
    // The workers compete with the first paint for the processor; they start right after it. The
    // window's icons, which the window system converts for the task bar, come with them.
    paintManager_.RunSoon([this] {
        SetWindowIcons();
        StartWorkers();
        // Queued, so that the message box's own loop holds up none of the tasks after the paint.
        Tasks()->Post([this] { TellRestoredFiles(); });
    });
}

// Once a start: what came back from a good copy may lack the last change made before the damage.
void MainFrame::TellRestoredFiles() {
    const bool list = gamesRestored_, history = history_.RestoredFromCopy();
    if (!list && !history) return;
    const std::wstring what = list && history ? L"游戏数据" : list ? L"游戏列表" : L"游戏记录";
    ShowMyMessageBox(window_, what + L"已从备份恢复。", L"最近一次改动可能丢失。", L"提示",
                     CMyMessageBox::kIconWarning);
}

void MainFrame::StartWorkers() {
    // Its thread would only wait through start-up: it starts when the timer comes.
    ::SetTimer(window_, kAutoUpdateTimer, kAutoUpdateDelayMs, nullptr);
    StartFetchThread(ServiceFetches());
    myGames_.ResumeRunningGames();
}

FetchEnvironment MainFrame::ServiceFetches() {
    FetchEnvironment fetch = ServiceFetchEnvironment();
    fetch.settings = [settings = settings_] { return settings->Snapshot(); };
    fetch.deliver = [tasks = Tasks(), frame = this](UINT message, std::wstring reply) {
        tasks->Post([frame, message, reply = std::move(reply)] { frame->OnServiceReply(message, reply); });
    };
    fetch.askNewsAgain = [tasks = Tasks(), frame = this](unsigned long milliseconds) {
        tasks->Post([frame, milliseconds] { frame->AskNewsAgainAfter(milliseconds); });
    };
    return fetch;
}

// The window's timer waits for the next news request, not a thread of its own.
void MainFrame::AskNewsAgainAfter(unsigned long milliseconds) {
    ::SetTimer(window_, kNewsFetchTimer, static_cast<UINT>(std::min<unsigned long>(milliseconds, USER_TIMER_MAXIMUM)),
               nullptr);
}

UpdateEnvironment MainFrame::UpdateChecks() {
    UpdateEnvironment environment;
    environment.serviceHost = ManagementServiceHost();
    environment.dataFolder = dataFolder_.path;
    environment.busy = updateBusy_;
    environment.host = std::make_shared<MainWindowUpdateHost>(Tasks(), this);
    environment.autoDownload = [settings = settings_] { return ReplyNumber(settings->Snapshot().UpdateType) != 0; };
    environment.handOff = [dataFolder = dataFolder_.path, commandLine = commandLine_,
                           tasks = Tasks()](HANDLE /*package*/) {
        return HandOffToUpdater(dataFolder, commandLine, [tasks] { tasks->Post([] { PostQuitMessage(0); }); });
    };
    return environment;
}

void MainFrame::OnServiceReply(UINT message, const std::wstring& reply) {
    if (!IsSuccessfulReply(reply)) return;
    const PopupReply popup = ParsePopupReply(reply);
    if (message == WM_POP_NEWS) RaiseWhenDue(kNewsTimer, pendingNews_, popup);
    else if (message == WM_POP_AD) RaiseWhenDue(kAdvertTimer, pendingAdvert_, popup);
    else if (message == WM_TODAY_NEWS) OnTodayNews(popup);
}

// A newer reply of the same kind takes the place of one still waiting.
void MainFrame::RaiseWhenDue(UINT_PTR timer, PopupReply& pending, const PopupReply& reply) {
    pending = reply;
    ::SetTimer(window_, timer, DelayMilliseconds(reply.delaySeconds), nullptr);
}

void MainFrame::RaiseDue(UINT_PTR timer) {
    ::KillTimer(window_, timer);
    if (timer == kNewsTimer) OnPopNews(pendingNews_);
    else OnPopAd(pendingAdvert_);
}

void MainFrame::OnPopNews(const PopupReply& news) {
    // This news page was shown already.
    if (news.url == settings_->Snapshot().NewsUrl) return;
    RaisePopup(std::make_unique<CPopWndUI>(*settings_, news.url, PopupDisplayMilliseconds(news.showSeconds)), news,
               HWND_TOPMOST);
}

void MainFrame::OnPopAd(const PopupReply& advert) {
    RaisePopup(std::make_unique<CPopIEWndUI>(*settings_, PopupDisplayMilliseconds(advert.showSeconds)), advert,
               HWND_TOP);
}

// Created hidden in the bottom-right corner of the work area; it shows itself after its delay.
void MainFrame::RaisePopup(std::unique_ptr<CPopupWnd> popup, const PopupReply& reply, HWND insertAfter) {
    CPopupWnd* raised = CreateOwned(std::move(popup), [](CPopupWnd& created) {
        return created.Create(nullptr, L"", CPopupWnd::kCreateStyle, 0, 0, 0, 0, 0);
    });
    if (!raised) return;
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    RECT place = PopupPlacement(work, reply.width, reply.height, WindowDpiScale(raised->GetHWND()));
    SetWindowPos(raised->GetHWND(), insertAfter, place.left, place.top, place.right - place.left,
                 place.bottom - place.top, SWP_NOACTIVATE);
    raised->Navigate(CWebPopupWnd::kBlankPage);
    raised->Navigate(reply.url);
    ::ShowWindow(raised->GetHWND(), SW_HIDE);
}

void MainFrame::OnTodayNews(const PopupReply& news) {
    CMiniInformationWndUI* window =
        CreateOwned(std::make_unique<CMiniInformationWndUI>(*settings_), [](CMiniInformationWndUI& created) {
            return created.Create(nullptr, CMiniInformationWndUI::kWindowTitle, WS_OVERLAPPEDWINDOW, 0, 0, 0, 970,
                                  660);
        });
    if (!window) return;
    window->NavigateInfo(CWebPopupWnd::kBlankPage);
    window->NavigateInfo(news.url);
    ::ShowWindow(window->GetHWND(), SW_HIDE);
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
    menuButton_ = paintManager_.FindControl<CButtonUI>(L"menubtn");
    versionLabelControl_ = paintManager_.FindControl(L"vertext");
    // The option "mygame" shares the page's name; the page is the one that knows its interface.
    tabs_ = paintManager_.FindControl<CTabLayoutUI>(L"tabswitch");
    CControlUI* firstPage = tabs_ && tabs_->GetCount() > 0 ? tabs_->GetItemAt(0) : nullptr;
    myGamePage_ = firstPage ? static_cast<CMyGameWndUI*>(firstPage->GetInterface(L"MyGameWnd")) : nullptr;
    SubscribeToControls();
}

void MainFrame::SubscribeToControls() {
    auto onClick = [this](const wchar_t* name, std::function<void()> handler) {
        if (auto* button = paintManager_.FindControl<CButtonUI>(name))
            controlSubscriptions_.push_back(button->OnClick(std::move(handler)));
    };
    onClick(L"closebtn", [this] { OnCloseButton(); });
    onClick(L"minbtn", [this] { SendMessageW(window_, WM_SYSCOMMAND, SC_MINIMIZE, 0); });
    onClick(L"moregame", [this] { ShowHotGames(); });
    onClick(L"menubtn", [this] { OpenSystemMenu(); });
    if (tabs_) controlSubscriptions_.push_back(tabs_->OnTabSelected([this](int tab) { OpenWebPageOfTab(tab); }));
}

void MainFrame::AddWebPages() {
    if (tabs_ == nullptr) return;
    for (const wchar_t* page : kWebPages) {
        auto webPage = std::make_unique<CMyIEWndUI>();
        CMyIEWndUI* added = webPage.get();
        if (!tabs_->Add(std::move(webPage))) continue;
        added->SetStartPage(page);
        webPages_.push_back(added);
    }
}

// Tab 0 is the my-games page; tabs 1 to 4 are the web pages.
void MainFrame::OpenWebPageOfTab(int tab) {
    if (tab >= 1 && static_cast<size_t>(tab) <= webPages_.size()) webPages_[tab - 1]->OpenStartPageOnce();
}

void MainFrame::ShowVersionLabel(const std::wstring& text) {
    if (versionLabelControl_ != nullptr) versionLabelControl_->SetText(text);
}

void MainFrame::Notify(UiNotify& msg) {
    if (msg.sType == L"windowinit") {
        // The hidden web pages and the browsers wait until the window has been painted once: the
        // game page's browser comes next, a web page's when its tab is first shown.
        paintManager_.RunSoon([this] {
            AddWebPages();
            if (myGamePage_) myGamePage_->AddBrowser();
        });
    }
}

void MainFrame::ShowHotGames() {
    if (auto* hot = paintManager_.FindControl<COptionUI>(L"hotgame")) hot->Selected(true);
    if (tabs_) tabs_->SelectItem(1);
}

void MainFrame::ShowGameList() {
    CControlUI* root = paintManager_.GetRoot();
    if (CControlUI* option = root ? root->FindControl(&MatchGamesOption, nullptr, UIFIND_ALL) : nullptr)
        static_cast<COptionUI*>(option)->Selected(true);
    if (tabs_) tabs_->SelectItem(0);
}

void MainFrame::StartGameNamed(const std::wstring& name) {
    if (myGames_.StartByName(name)) return;
    ::ShowWindow(window_, SW_SHOWNORMAL);
    ::SetForegroundWindow(window_);
    ShowGameList();
    ShowMyMessageBox(window_, L"找不到游戏“" + name + L"”。", L"请在游戏列表中选择要启动的游戏.", L"提示",
                     CMyMessageBox::kIconWarning);
}

void MainFrame::OnCloseButton() {
    // Read at every click, so that a change in the settings window counts at once.
    if (settings_->Snapshot().IsColse == L"1") PostMessageW(window_, WM_CLOSE, 1, 0);
    else ::ShowWindow(window_, SW_HIDE);
}

void MainFrame::OpenSystemMenu() {
    // Just below the button, which touches the top edge.
    RECT button = menuButton_->GetPos();
    POINT base{button.left, button.bottom - button.top};
    ClientToScreen(window_, &base);
    CWindowWnd::CreateOwned(std::make_unique<CMenuWnd>(window_), [&](CMenuWnd& menu) {
        systemMenuClicks_ = menu.OnItemClicked([this](const std::wstring& item) { RunSystemMenuItem(*this, item); });
        return menu.Init(nullptr, kSystemMenuLayout, L"xml", CMenuWnd::kDefaultAlignment, base);
    });
}

void MainFrame::OpenTrayMenu() {
    POINT cursor{};
    GetCursorPos(&cursor);
    CWindowWnd::CreateOwned(std::make_unique<CMenuWnd>(window_), [&](CMenuWnd& menu) {
        trayMenuClicks_ = menu.OnItemClicked([this](const std::wstring& item) { RunTrayMenuItem(*this, item); });
        return menu.Init(nullptr, kTrayMenuLayout, L"xml", CMenuWnd::kAlignRight | CMenuWnd::kAlignBottom, cursor);
    });
}

void MainFrame::ShowSettings() {
    const GameOrder order = history_.Order();
    const HWND self = window_;
    CSystemSetUI::ShowModalOver(window_, *settings_, history_);
    // "Quit" from the tray while the dialog was open ends the main window, and this object with it.
    if (!::IsWindow(self)) return;
    if (history_.Order() != order) myGames_.ReorderColumn();
}

// The check reports by itself; the menu returns at once. The player who asks is told why there
// is none.
void MainFrame::CheckForUpdates() {
    if (dataFolder_.safe) StartManualUpdate(UpdateChecks());
    else TellUpdatesAreOff();
}

// Reinstalling makes the folder safe again.
void MainFrame::TellUpdatesAreOff() {
    ShowMyMessageBox(window_, L"数据文件夹不安全，已停用更新.", L"请重新安装软件后再试！", L"提示", CMyMessageBox::kIconWarning);
}

void MainFrame::ShowMainWindow() {
    if (::IsWindow(window_)) ::ShowWindow(window_, SW_SHOWNORMAL);
}

void MainFrame::Quit() {
    if (::IsWindow(window_)) ::PostMessageW(window_, WM_CLOSE, 1, 0);
}

void MainFrame::OnTrayNotify(WPARAM wParam, LPARAM lParam) {
    // The system's own message of this number (WM_ACTIVATEAPP) carries 0 or 1 here.
    if (wParam != kTrayIconId) return;
    // A dialog over the window holds it: the tray only brings that dialog forward.
    if (!::IsWindowEnabled(window_)) {
        if (lParam == WM_LBUTTONDOWN || lParam == WM_RBUTTONUP) ::SetForegroundWindow(::GetLastActivePopup(window_));
        return;
    }
    if (lParam == WM_LBUTTONDOWN && !IsWindowVisible(window_)) ::ShowWindow(window_, SW_SHOWNORMAL);
    else if (lParam == WM_RBUTTONUP) OpenTrayMenu();
}

void MainFrame::FillMaximizedSize(MINMAXINFO& info) const {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromWindow(window_, MONITOR_DEFAULTTOPRIMARY), &monitor);
    info.ptMaxPosition = POINT{0, 0};
    info.ptMaxSize = POINT{monitor.rcWork.right - monitor.rcWork.left, monitor.rcWork.bottom - monitor.rcWork.top};
}

LRESULT MainFrame::HandleCustomMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
    if (message == WM_GETMINMAXINFO) {
        // The paint manager adds the tracking sizes of the layout.
        FillMaximizedSize(*reinterpret_cast<MINMAXINFO*>(lParam));
        handled = false;
        return 0;
    }
    // Alt+F4 and the taskbar's close end the program whatever the close button does.
    if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_CLOSE) {
        PostQuitMessage(0);
        return 0;
    }
    if (message == WM_TIMER && wParam == kAutoUpdateTimer) {
        ::KillTimer(window_, kAutoUpdateTimer);
        // Without a safe folder the player is told once, when the check would have run.
        if (dataFolder_.safe) StartAutoUpdate(UpdateChecks());
        else TellUpdatesAreOff();
        return 0;
    }
    if (message == WM_TIMER && wParam == kNewsFetchTimer) {
        ::KillTimer(window_, kNewsFetchTimer);
        StartNewsFetchThread(ServiceFetches());
        return 0;
    }
    if (message == WM_TIMER && (wParam == kNewsTimer || wParam == kAdvertTimer)) {
        RaiseDue(wParam);
        return 0;
    }
    if (message != CTrayIcon::kCallbackMessage) {
        handled = false;
        return 0;
    }
    OnTrayNotify(wParam, lParam);
    return 0;
}

void MainFrame::OnFinalMessage(HWND window) {
    CSkinnedWindow::OnFinalMessage(window);
    // The window that owns this object deletes it next; the program ends with it.
    PostQuitMessage(0);
}
