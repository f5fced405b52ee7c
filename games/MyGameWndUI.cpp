#include "games/MyGameWndUI.h"

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
    column_ = FindSubControl<CContainerUI>(L"gamebtnlayout");
    gameName_ = FindSubControl<CLabelUI>(L"gamename");
    startButton_ = FindSubControl<CButtonUI>(L"startgame");
    search_ = FindSubControl<CEditUI>(L"gamesearch");
    lastPlayed_ = FindSubControl<CLabelUI>(L"lastplayed");
    playedTime_ = FindSubControl<CLabelUI>(L"playedtime");
    if (startButton_) startButton_->SetEnabled(false);
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
    if (!search_) return;
    controlSubscriptions_.push_back(search_->OnTextChanged([this](const std::wstring& text) {
        if (controller_) controller_->Search(text);
    }));
    controlSubscriptions_.push_back(search_->OnKeyPress([this](UINT key) { OnSearchKey(key); }));
}

void CMyGameWndUI::Bind(MyGamesController& controller) {
    controller_ = &controller;
    Subscribe();
    for (const GameRecord& game : controller.Games()) AppendButton(game);
    FilterGames();
    ArrangeGameButtons();
    // The icons are read once the window has first been painted, which they are no part of.
    // They are read at the size the window's DPI calls for, not stretched from the 96-DPI one.
    iconSize_ = DpiScale().Scale(CGameButtonUI::kIconSize);
    if (CControlHost* manager = GetManager())
        manager->RunSoon([controller = controller_, size = iconSize_] { controller->LoadIcons(size); });
}

void CMyGameWndUI::SetPos(RECT rect) {
    CContainerUI::SetPos(rect);
    const int size = DpiScale().Scale(CGameButtonUI::kIconSize);
    if (!controller_ || iconSize_ == 0 || size == iconSize_) return;
    iconSize_ = size;
    controller_->LoadIcons(size);
}

void CMyGameWndUI::Subscribe() {
    MyGamesController& controller = *controller_;
    subscriptions_.clear();
    subscriptions_.push_back(controller.OnGameAdded([this](const GameRecord& game) {
        if (!AppendButton(game)) return;
        FilterGames();
        ArrangeGameButtons();
    }));
    subscriptions_.push_back(controller.OnGameRemoved([this](const GameRecord& game) { RemoveGameButton(game); }));
    subscriptions_.push_back(controller.OnSelectionChanged([this] { ShowSelection(); }));
    subscriptions_.push_back(controller.OnPlayHistoryChanged([this] { ShowPlayHistory(); }));
    subscriptions_.push_back(controller.OnSearchChanged([this] { FilterGames(); }));
    subscriptions_.push_back(controller.OnOrderChanged([this] { ArrangeGameButtons(); }));
    subscriptions_.push_back(controller.OnIconLoaded([this](const std::wstring& path) { ShowIconsOf(path); }));
    subscriptions_.push_back(controller.OnStrategyPage(
        [this](const std::wstring& url, const NetworkLaneHold& hold) { Navigate(url, hold); }));
    subscriptions_.push_back(controller.OnProblem([this](GameProblem problem) { Tell(problem); }));
}

void CMyGameWndUI::ArrangeGameButtons() {
    if (!column_ || !controller_) return;
    for (GameButton& entry : buttons_) entry.button->SetFavourite(controller_->IsFavourite(entry.game));
    for (size_t index : controller_->ColumnOrder()) {
        if (index >= buttons_.size()) continue;
        // Out and back in just above "moregame": the button keeps its state and its selection.
        if (std::unique_ptr<CControlUI> button = column_->Remove(buttons_[index].button))
            column_->AddAt(std::move(button), column_->GetCount() - 2);
    }
}

CGameButtonUI* CMyGameWndUI::AppendButton(const GameRecord& record) {
    if (!column_) return nullptr;
    auto button = std::make_unique<CGameButtonUI>();
    CGameButtonUI* added = button.get();
    // Just above "moregame" and the bottom spacer.
    if (!column_->AddAt(std::move(button), column_->GetCount() - 2)) return nullptr;
    added->ApplyAttributeList(kGameButtonAttributes);
    added->SetText(record.name);
    added->SetTag(static_cast<UINT_PTR>(record.id));
    added->SetName(L"gamebtn");
    // The path alone: a comma in a folder name must not cut it.
    added->SetUserData(record.path);
    std::vector<CSubscription> subscriptions;
    subscriptions.push_back(added->OnSelectedChanged([this, added](bool) { OnGameSelected(added); }));
    subscriptions.push_back(added->OnMenuRequest([this, added](POINT at) { OpenGameMenu(added, at); }));
    subscriptions.push_back(added->OnGameKey([this, added](UINT key) { OnGameKey(added, key); }));
    buttons_.push_back(GameButton{added, record, std::move(subscriptions)});
    ShowIcon(buttons_.back());
    return added;
}

void CMyGameWndUI::RemoveGameButton(const GameRecord& game) {
    for (auto entry = buttons_.begin(); entry != buttons_.end(); ++entry) {
        if (!SameGame(entry->game, game)) continue;
        CGameButtonUI* button = entry->button;
        buttons_.erase(entry);
        // The button may be the sender of the notification being handled: it goes after it.
        if (std::unique_ptr<CControlUI> removed = column_->Remove(button)) GetManager()->AddDelayedCleanup(std::move(removed));
        if (column_->IsVisible()) column_->NeedUpdate();
        return;
    }
}

void CMyGameWndUI::ShowIcon(GameButton& entry) const {
    if (controller_)
        entry.button->SetIcon(controller_->Icon(entry.game.path), controller_->IsIconKnown(entry.game.path));
}

void CMyGameWndUI::ShowIconsOf(const std::wstring& path) {
    const std::wstring loaded = PathKey(path);
    for (GameButton& entry : buttons_) {
        if (PathKey(entry.game.path) == loaded) ShowIcon(entry);
    }
}

std::optional<GameRecord> CMyGameWndUI::GameOf(const CControlUI* button) const {
    for (const GameButton& entry : buttons_)
        if (entry.button == button) return entry.game;
    return std::nullopt;
}

void CMyGameWndUI::FilterGames() {
    if (!controller_) return;
    // The buttons stand in the controller's list order.
    for (size_t index = 0; index < buttons_.size(); ++index) buttons_[index].button->SetVisible(controller_->Matches(index));
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
    if (playedTime_) playedTime_->SetText(shown ? PlayedTimeText(record.secondsPlayed) : std::wstring());
}

void CMyGameWndUI::Tell(GameProblem problem) {
    if (problem == GameProblem::FileMissing)
        ShowMyMessageBox(GetManager()->GetPaintWindow(), L"找不到文件.", L"应用程序可能被移动或删除!", L"提示",
                         CMyMessageBox::kIconError);
    else
        ShowMyMessageBox(GetManager()->GetPaintWindow(), L"启动卸载失败.", L"请检查游戏设置稍后重试!", L"提示",
                         CMyMessageBox::kIconError);
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

void CMyGameWndUI::MoveSelection(const CControlUI* from, int step) {
    if (!column_) return;
    // In the column's order, which may be the history's rather than the list's.
    std::vector<CGameButtonUI*> shown;
    int current = step > 0 ? -1 : 0;
    for (int index = 0; index < column_->GetCount(); ++index) {
        CControlUI* item = column_->GetItemAt(index);
        if (!item->IsVisible() || !GameOf(item)) continue;
        if (item == from) current = static_cast<int>(shown.size());
        shown.push_back(static_cast<CGameButtonUI*>(item));
    }
    const int next = current + step;
    if (next < 0 || next >= static_cast<int>(shown.size())) return;
    shown[next]->Selected(true);
    shown[next]->SetFocus();
    column_->ScrollIntoView(shown[next]);
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
        MoveSelection(nullptr, 1);
    }
}

void CMyGameWndUI::OnGameSelected(const CGameButtonUI* button) {
    std::optional<GameRecord> game = GameOf(button);
    if (game && controller_) controller_->Select(*game);
}

void CMyGameWndUI::OnGameKey(const CGameButtonUI* button, UINT key) {
    std::optional<GameRecord> game = GameOf(button);
    if (!game || !controller_) return;
    if (key == VK_RETURN) controller_->Start(*game);
    else MoveSelection(button, key == VK_UP ? -1 : 1);
}

LRESULT CMyGameWndUI::MessageHandler(UINT message, WPARAM wParam, LPARAM, bool& handled) {
    const bool controlF = message == WM_KEYDOWN && wParam == 'F' && ::GetKeyState(VK_CONTROL) < 0;
    if (controlF && search_ && search_->IsVisible()) {
        search_->SetFocus();
        handled = true;
    }
    return 0;
}
