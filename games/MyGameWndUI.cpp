#include "games/MyGameWndUI.h"

#include <algorithm>

#include "UiLib/controls/UIButton.h"
#include "UiLib/controls/UIEdit.h"
#include "UiLib/controls/UILabel.h"
#include "UiLib/controls/UIWebBrowser.h"
#include "UiLib/core/UIDlgBuilder.h"
#include "UiLib/core/UIManager.h"
#include "UiLib/tree/ControlLookup.h"
#include "UiLib/tree/ControlRegistry.h"
#include "games/AddGameManualWnd.h"
#include "games/GameActions.h"
#include "games/GameButtonUI.h"
#include "games/GameColumnUI.h"
#include "games/MyGameMenuUI.h"
#include "games/MyGamesController.h"
#include "games/PlayHistory.h"
#include "shared/MyMessageBox.h"

using namespace UiLib;

UILIB_REGISTER_CONTROL(L"MyGameWnd", CMyGameWndUI);

namespace {

const wchar_t kGameButtonAttributes[] =
    L"float=\"false\" width=\"170\" height=\"30\" selectedimage=\"btn_bj3.png\" normalimage=\"btn_bj1.png\" "
    L"hotimage=\"btn_bj2.png\" pushedimage=\"btn_bj3.png\" menu=\"true\" group=\"gamebtn\" "
    // The name starts after the icon; a long one ends in an ellipsis inside the button.
    L"align=\"left\" endellipsis=\"true\" textpadding=\"36,0,8,0\" "
    // Only the focused button has a border: where the keyboard is.
    L"bordersize=\"2\" focusbordercolor=\"#FF1E88E5\"";

CControlUI* CALLBACK MatchName(CControlUI* control, void* name) {
    return control->GetName() == static_cast<const wchar_t*>(name) ? control : nullptr;
}

}  // namespace

CMyGameWndUI::~CMyGameWndUI() {
    if (GetManager()) GetManager()->RemovePreMessageFilter(this);
    // The browser, a child, closes after this page's handler part is gone: it reports no more.
    if (browser_) browser_->SetWebBrowserEventHandler(nullptr);
}

void* CMyGameWndUI::GetInterface(const std::wstring& name) {
    if (name == L"MyGameWnd") return this;
    return CContainerUI::GetInterface(name);
}

// The content is built with the window's fonts and images, once the page is in the window.
void CMyGameWndUI::DoInit() {
    if (content_ || !GetManager()) return;
    CDialogBuilder builder;
    std::unique_ptr<CControlUI> content = builder.Create(kLayout, nullptr, nullptr, GetManager());
    if (!content) return;
    content_ = content.get();
    Add(std::move(content));
    column_ = FindSubControl<CGameColumnUI>(L"gamebtnlayout");
    gameName_ = FindSubControl<CLabelUI>(L"gamename");
    startButton_ = FindSubControl<CButtonUI>(L"startgame");
    search_ = FindSubControl<CEditUI>(L"gamesearch");
    lastPlayed_ = FindSubControl<CLabelUI>(L"lastplayed");
    playedTime_ = FindSubControl<CLabelUI>(L"playedtime");
    lastSession_ = FindSubControl<CLabelUI>(L"lastsession");
    if (startButton_) startButton_->SetEnabled(false);
    if (column_) column_->SetRows(this);
    SubscribeToControls();
    GetManager()->AddPreMessageFilter(this);
}

template <typename T>
T* CMyGameWndUI::FindSubControl(const wchar_t* name) const {
    CControlUI* found = content_ ? content_->FindControl(&MatchName, const_cast<wchar_t*>(name), UIFIND_ALL)
                                 : nullptr;
    return ControlAs<T>(found, name);
}

void CMyGameWndUI::SubscribeToControls() {
    if (auto* add = FindSubControl<CButtonUI>(L"addgamebtn"))
        controlSubscriptions_.push_back(add->OnClick([this] { OnAddGame(); }));
    if (startButton_)
        controlSubscriptions_.push_back(startButton_->OnClick([this] {
            if (controller_) controller_->StartSelected();
        }));
    if (column_)
        controlSubscriptions_.push_back(column_->OnKey([this](UINT key) { OnGameKey(SelectedRow(), key); }));
    if (!search_) return;
    controlSubscriptions_.push_back(search_->OnTextChanged([this](const std::wstring& text) {
        if (controller_) controller_->Search(text);
    }));
    controlSubscriptions_.push_back(search_->OnKeyPress([this](UINT key) { OnSearchKey(key); }));
}

void CMyGameWndUI::Bind(MyGamesController& controller) {
    controller_ = &controller;
    Subscribe();
    OrderRows();
    // The icons are read once the window has first been painted, which they are no part of.
    // They are read at the size the window's DPI calls for, not stretched from the 96-DPI one.
    if (CControlHost* manager = GetManager())
        manager->RunSoon([this] {
            iconSize_ = DpiScale().Scale(CGameButtonUI::kIconSize);
            LoadIconsInView();
        });
}

void CMyGameWndUI::SetPos(RECT rect) {
    CContainerUI::SetPos(rect);
    const int size = DpiScale().Scale(CGameButtonUI::kIconSize);
    if (!controller_ || iconSize_ == 0 || size == iconSize_) return;
    iconSize_ = size;
    LoadIconsInView();
}

void CMyGameWndUI::Subscribe() {
    MyGamesController& controller = *controller_;
    subscriptions_.clear();
    subscriptions_.push_back(controller.OnGameAdded([this](const GameRecord&) { OrderRows(); }));
    subscriptions_.push_back(controller.OnGameRemoved([this](const GameRecord&) { OrderRows(); }));
    subscriptions_.push_back(controller.OnSelectionChanged([this] { ShowSelection(); }));
    subscriptions_.push_back(controller.OnPlayHistoryChanged([this] { ShowPlayHistory(); }));
    subscriptions_.push_back(controller.OnSearchChanged([this] { ListRows(); }));
    subscriptions_.push_back(controller.OnOrderChanged([this] { OrderRows(); }));
    subscriptions_.push_back(controller.OnIconLoaded([this](const std::wstring& path) { ShowIconsOf(path); }));
    subscriptions_.push_back(controller.OnStrategyPage(
        [this](const std::wstring& url, const NetworkLaneHold& hold) { Navigate(url, hold); }));
    subscriptions_.push_back(controller.OnProblem([this](GameProblem problem) { Tell(problem); }));
    subscriptions_.push_back(
        controller.OnShortcut([this](const GameRecord& game, bool made) { TellShortcut(game, made); }));
}

void CMyGameWndUI::OrderRows() {
    order_ = controller_ ? controller_->ColumnOrder() : std::vector<size_t>();
    ListRows();
}

void CMyGameWndUI::ListRows() {
    rows_.clear();
    if (controller_) {
        const std::vector<GameRecord>& games = controller_->Games();
        for (size_t index : order_)
            if (index < games.size() && controller_->Matches(index)) rows_.push_back(index);
    }
    if (column_) column_->RowsChanged();
}

const GameRecord& CMyGameWndUI::GameAt(int row) const { return controller_->Games()[rows_[static_cast<size_t>(row)]]; }

int CMyGameWndUI::SelectedRow() const {
    const std::optional<GameRecord>& selected = controller_ ? controller_->Selected() : std::nullopt;
    if (!selected) return -1;
    for (int row = 0; row < RowCount(); ++row)
        if (SameGame(GameAt(row), *selected)) return row;
    return -1;
}

std::unique_ptr<CGameButtonUI> CMyGameWndUI::MakeGameButton() {
    buttonSubscriptions_.erase(
        std::remove_if(buttonSubscriptions_.begin(), buttonSubscriptions_.end(),
                       [this](const auto& entry) {
                           return column_->GetItemIndex(const_cast<CGameButtonUI*>(entry.first)) < 0;
                       }),
        buttonSubscriptions_.end());
    auto button = std::make_unique<CGameButtonUI>();
    CGameButtonUI* made = button.get();
    made->ApplyAttributeList(kGameButtonAttributes);
    made->SetName(L"gamebtn");
    buttonSubscriptions_.emplace_back(made, made->OnSelectedChanged([this, made](bool) { OnGameSelected(made); }));
    buttonSubscriptions_.emplace_back(made, made->OnMenuRequest([this, made](POINT at) { OpenGameMenu(made, at); }));
    buttonSubscriptions_.emplace_back(
        made, made->OnGameKey([this, made](UINT key) { OnGameKey(column_->RowOf(made), key); }));
    return button;
}

void CMyGameWndUI::ShowRow(CGameButtonUI& button, int row) {
    const GameRecord& game = GameAt(row);
    button.SetText(game.name);
    button.SetTag(static_cast<UINT_PTR>(game.id));
    // The path alone: a comma in a folder name must not cut it.
    button.SetUserData(game.path);
    button.SetFavourite(controller_->IsFavourite(game));
    ShowIcon(button, game);
    showingRow_ = true;
    button.Selected(IsRowSelected(row));
    showingRow_ = false;
}

bool CMyGameWndUI::IsRowSelected(int row) const {
    const std::optional<GameRecord>& selected = controller_->Selected();
    return selected && SameGame(*selected, GameAt(row));
}

void CMyGameWndUI::RowsShown() { LoadIconsInView(); }

void CMyGameWndUI::LoadIconsInView() {
    if (!controller_ || !column_ || iconSize_ == 0) return;
    std::vector<std::wstring> paths;
    for (const CGameButtonUI* button : column_->Buttons()) paths.push_back(GameAt(column_->RowOf(button)).path);
    controller_->LoadIcons(iconSize_, paths);
}

void CMyGameWndUI::ShowIcon(CGameButtonUI& button, const GameRecord& game) const {
    if (controller_) button.SetIcon(controller_->Icon(game.path), controller_->IsIconKnown(game.path));
}

void CMyGameWndUI::ShowIconsOf(const std::wstring& path) {
    if (!column_) return;
    const std::wstring loaded = PathKey(path);
    for (CGameButtonUI* button : column_->Buttons()) {
        const GameRecord& game = GameAt(column_->RowOf(button));
        if (PathKey(game.path) == loaded) ShowIcon(*button, game);
    }
}

std::optional<GameRecord> CMyGameWndUI::GameOf(const CControlUI* button) const {
    const int row = column_ ? column_->RowOf(button) : -1;
    if (row < 0) return std::nullopt;
    return GameAt(row);
}

void CMyGameWndUI::ShowSelection() {
    const std::optional<GameRecord>& game = controller_->Selected();
    if (startButton_) {
        startButton_->SetEnabled(game.has_value());
        if (game) startButton_->SetUserData(game->path);
    }
    if (gameName_) gameName_->SetText(game ? game->name : std::wstring());
    ShowPlayHistory();
}

void CMyGameWndUI::ShowPlayHistory() {
    const bool shown = controller_->Selected().has_value();
    const PlayRecord record = controller_->SelectedPlay();
    if (lastPlayed_) lastPlayed_->SetText(shown ? LastPlayedText(LocalStartTime(record)) : std::wstring());
    if (playedTime_) playedTime_->SetText(shown ? PlayedTimeText(record) : std::wstring());
    if (lastSession_) lastSession_->SetText(shown ? LastSessionText(record) : std::wstring());
}

void CMyGameWndUI::Tell(GameProblem problem) {
    if (problem == GameProblem::FileMissing)
        ShowMyMessageBox(GetManager()->GetPaintWindow(), L"找不到文件.", L"应用程序可能被移动或删除!", L"提示",
                         CMyMessageBox::kIconError);
    else
        ShowMyMessageBox(GetManager()->GetPaintWindow(), L"启动卸载失败.", L"请检查游戏设置稍后重试!", L"提示",
                         CMyMessageBox::kIconError);
}

void CMyGameWndUI::TellShortcut(const GameRecord& game, bool made) {
    const HWND window = GetManager()->GetPaintWindow();
    if (made)
        ShowMyMessageBox(window, L"已在桌面创建“" + game.name + L"”的快捷方式.", L"双击它启动游戏, 游戏时长照常记录.",
                         L"提示", CMyMessageBox::kIconWarning);
    else
        ShowMyMessageBox(window, L"创建桌面快捷方式失败.", L"请检查桌面文件夹后重试!", L"提示", CMyMessageBox::kIconError);
}

void CMyGameWndUI::AddBrowser() {
    auto* container = FindSubControl<CContainerUI>(L"gameweblayout");
    if (!container) return;
    auto browser = std::make_unique<CWebBrowserUI>();
    CWebBrowserUI* added = browser.get();
    browser->SetName(L"ie7");
    if (!container->Add(std::move(browser))) return;
    browser_ = added;
    Navigate(L"about:blank");
    if (controller_) controller_->ShowNoGamePage();
}

void CMyGameWndUI::Navigate(const std::wstring& url, NetworkLaneHold heldWhileLoading) {
    if (browser_) browser_->Navigate(url, this, std::move(heldWhileLoading));
}

void CMyGameWndUI::MoveSelection(int from, UINT key) {
    if (!column_ || rows_.empty()) return;
    const int last = RowCount() - 1;
    const int page = column_->RowsPerPage();
    int next = from;
    switch (key) {
    case VK_UP: next = from - 1; break;
    case VK_DOWN: next = from + 1; break;
    case VK_HOME: next = 0; break;
    case VK_END: next = last; break;
    case VK_PRIOR: next = std::max(0, from - page); break;
    case VK_NEXT: next = std::min(last, std::max(0, from + page)); break;
    default: return;
    }
    if (next < 0 || next > last) return;
    // The first and the last game show with the column's top and end, as the scroll bar's ends do.
    if (key == VK_HOME) column_->HomeUp();
    else if (key == VK_END) column_->EndDown();
    CGameButtonUI* button = column_->ScrollToRow(next);
    if (!button) return;
    button->Selected(true);
    button->SetFocus();
}

void CMyGameWndUI::OpenGameMenu(const CControlUI* button, POINT at) {
    std::optional<GameRecord> game = GameOf(button);
    if (!game || !controller_) return;
    const HWND window = GetManager()->GetPaintWindow();
    POINT cursor = at;
    ::ClientToScreen(window, &cursor);
    CWindowWnd::CreateOwned(std::make_unique<CMyGameMenuUI>(window, *controller_, *game), [&](CMyGameMenuUI& menu) {
        menu.Init(nullptr, CMyGameMenuUI::kLayout, L"xml", CMenuWnd::kDefaultAlignment, cursor);
        return menu.GetHWND();
    });
}

void CMyGameWndUI::OnAddGame() {
    if (controller_)
        AddGameManualWnd::ShowModalOver(GetManager()->GetPaintWindow(), controller_->Library(), controller_);
}

void CMyGameWndUI::OnSearchKey(UINT key) {
    if (key == VK_ESCAPE) {
        search_->SetText(L"");
        if (controller_) controller_->Search(L"");
    } else if (key == VK_DOWN) {
        MoveSelection(-1, VK_DOWN);
    }
}

void CMyGameWndUI::OnGameSelected(const CGameButtonUI* button) {
    if (showingRow_) return;
    std::optional<GameRecord> game = GameOf(button);
    if (game && controller_) controller_->Select(*game);
}

void CMyGameWndUI::OnGameKey(int row, UINT key) {
    if (!controller_) return;
    if (key != VK_RETURN) MoveSelection(row, key);
    else if (row >= 0) controller_->Start(GameAt(row));
}

LRESULT CMyGameWndUI::MessageHandler(UINT message, WPARAM wParam, LPARAM, bool& handled) {
    const bool controlF = message == WM_KEYDOWN && wParam == 'F' && ::GetKeyState(VK_CONTROL) < 0;
    if (controlF && search_ && search_->IsVisible()) {
        search_->SetFocus();
        handled = true;
    }
    return 0;
}
