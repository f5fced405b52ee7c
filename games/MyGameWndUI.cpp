#include "games/MyGameWndUI.h"

#include <thread>

#include "UiLib/controls/UIEdit.h"
#include "UiLib/controls/UIWebBrowser.h"
#include "UiLib/core/UIDlgBuilder.h"
#include "UiLib/core/UIManager.h"
#include "UiLib/core/UINotify.h"
#include "games/AddGameManualWnd.h"
#include "games/GameActions.h"
#include "games/GameButtonUI.h"
#include "games/GameList.h"
#include "games/GameSearch.h"
#include "games/PlayHistory.h"
#include "games/PlaySession.h"
#include "online/ManagementService.h"
#include "shared/BackgroundWork.h"
#include "shared/MyMessageBox.h"

using namespace UiLib;

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

bool IsClick(void* param) { return static_cast<UiNotify*>(param)->sType == L"click"; }

// Two records name the same game when they agree on every field the player can see or use.
bool SameGame(const GameRecord& a, const GameRecord& b) {
    return a.name == b.name && a.path == b.path && a.uninstallString == b.uninstallString && a.id == b.id;
}

}  // namespace

CMyGameWndUI::CMyGameWndUI(CPaintManagerUI* manager, GameList& games, PlayHistory& history,
                           std::shared_ptr<CWindowTasks> windowTasks)
    : games_(games),
      history_(history),
      windowTasks_(windowTasks),
      icons_(std::move(windowTasks), CGameButtonUI::kIconSize) {
    CDialogBuilder builder;
    std::unique_ptr<CControlUI> content = builder.Create(kLayout, nullptr, nullptr, manager);
    if (!content) return;
    content_ = content.get();
    Add(std::move(content));
    column_ = static_cast<CContainerUI*>(
        FindSubControl(L"gamebtnlayout") ? FindSubControl(L"gamebtnlayout")->GetInterface(L"Container") : nullptr);
    gameName_ = FindSubControl(L"gamename");
    startButton_ = FindSubControl(L"startgame");
    lastPlayed_ = FindSubControl(L"lastplayed");
    playedTime_ = FindSubControl(L"playedtime");
    if (CControlUI* add = FindSubControl(L"addgamebtn")) add->OnNotify += MakeDelegate(this, &CMyGameWndUI::OnAddGame);
    if (startButton_) {
        startButton_->OnNotify += MakeDelegate(this, &CMyGameWndUI::OnStartGame);
        startButton_->SetEnabled(false);
    }
    CControlUI* search = FindSubControl(L"gamesearch");
    search_ = search ? static_cast<CEditUI*>(search->GetInterface(L"Edit")) : nullptr;
    if (search_) search_->OnNotify += MakeDelegate(this, &CMyGameWndUI::OnSearchNotify);
    if (manager) manager->AddPreMessageFilter(this);
}

CMyGameWndUI::~CMyGameWndUI() {
    if (GetManager()) GetManager()->RemovePreMessageFilter(this);
    // The browser, a child, closes after this page's handler part is gone: it reports no more.
    if (CWebBrowserUI* browser = Browser()) browser->SetWebBrowserEventHandler(nullptr);
}

void* CMyGameWndUI::GetInterface(const std::wstring& name) {
    if (name == L"MyGameWnd") return this;
    return CContainerUI::GetInterface(name);
}

CControlUI* CMyGameWndUI::FindSubControl(const wchar_t* name) const {
    if (!content_) return nullptr;
    return content_->FindControl(&MatchName, const_cast<wchar_t*>(name), UIFIND_ALL);
}

void CMyGameWndUI::BuildGameButtons() {
    std::vector<std::wstring> paths;
    for (const GameRecord& game : games_.games) {
        AppendButton(game);
        paths.push_back(game.path);
    }
    FilterGames();
    ArrangeGameButtons();
    // The icons are read once the window has first been painted, which they are no part of.
    if (CControlHost* manager = GetManager()) manager->RunSoon([this, paths] { LoadIcons(paths); });
}

void CMyGameWndUI::ArrangeGameButtons() {
    if (!column_) return;
    // `buttons_` stays in list order; only the column's order changes.
    std::vector<GameRecord> listed;
    for (const GameButton& entry : buttons_) listed.push_back(entry.game);
    for (size_t index : ColumnOrder(listed, history_)) {
        // Out and back in just above "moregame": the button keeps its state and its selection.
        if (std::unique_ptr<CControlUI> button = column_->Remove(buttons_[index].button))
            column_->AddAt(std::move(button), column_->GetCount() - 2);
    }
}

void CMyGameWndUI::AddGameButton(GameRecord record) {
    const std::wstring path = record.path;
    if (!AppendButton(std::move(record))) return;
    FilterGames();
    LoadIcons({path});
}

CGameButtonUI* CMyGameWndUI::AppendButton(GameRecord record) {
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
    added->OnNotify += MakeDelegate(this, &CMyGameWndUI::OnGameButtonNotify);
    buttons_.push_back(GameButton{added, std::move(record)});
    ShowIcon(buttons_.back());
    return added;
}

void CMyGameWndUI::ShowIcon(GameButton& entry) const {
    entry.button->SetIcon(icons_.Find(entry.game.path), icons_.IsKnown(entry.game.path));
}

void CMyGameWndUI::LoadIcons(const std::vector<std::wstring>& paths) {
    icons_.Load(paths, [this](const std::wstring& path) {
        const std::wstring loaded = PathKey(path);
        for (GameButton& entry : buttons_) {
            if (PathKey(entry.game.path) == loaded) ShowIcon(entry);
        }
    });
}

void CMyGameWndUI::FilterGames() {
    const std::wstring query = search_ ? search_->GetText() : std::wstring();
    for (GameButton& entry : buttons_) entry.button->SetVisible(GameNameMatches(entry.game.name, query));
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

void CMyGameWndUI::RemoveGameButton(const GameRecord& game) {
    for (auto entry = buttons_.begin(); entry != buttons_.end(); ++entry) {
        if (!SameGame(entry->game, game)) continue;
        COptionUI* button = entry->button;
        const bool shown = StartAreaShows(game.path);
        buttons_.erase(entry);
        // The button may be the sender of the notification being handled: it goes after it.
        if (std::unique_ptr<CControlUI> removed = column_->Remove(button)) GetManager()->AddDelayedCleanup(std::move(removed));
        if (column_->IsVisible()) column_->NeedUpdate();
        // The start area shows the selected game; another game's going leaves it as it is.
        if (!shown) return;
        if (startButton_) startButton_->SetEnabled(false);
        if (gameName_) gameName_->SetText(L"");
        ShowPlayHistory(std::wstring());
        return;
    }
}

std::optional<GameRecord> CMyGameWndUI::GameOf(const CControlUI* button) const {
    for (const GameButton& entry : buttons_)
        if (entry.button == button) return entry.game;
    return std::nullopt;
}

void CMyGameWndUI::AddBrowser() {
    CControlUI* layout = FindSubControl(L"gameweblayout");
    auto* container = layout ? static_cast<CContainerUI*>(layout->GetInterface(L"Container")) : nullptr;
    if (!container) return;
    auto browser = std::make_unique<CWebBrowserUI>();
    browser->SetName(L"ie7");
    if (!container->Add(std::move(browser))) return;
    Navigate(L"about:blank");
    ShowSelectedGame(nullptr);
}

CWebBrowserUI* CMyGameWndUI::Browser() const {
    CControlUI* control = FindSubControl(L"ie7");
    return control ? static_cast<CWebBrowserUI*>(control->GetInterface(L"WebBrowser")) : nullptr;
}

void CMyGameWndUI::Navigate(const std::wstring& url, NetworkLaneHold heldWhileLoading) {
    if (CWebBrowserUI* browser = Browser()) browser->Navigate(url, this, std::move(heldWhileLoading));
}

void CMyGameWndUI::ShowSelectedGame(CControlUI* button) {
    std::optional<GameRecord> game = GameOf(button);
    if (game) {
        if (startButton_) {
            startButton_->SetEnabled(true);
            startButton_->SetUserData(game->path);
        }
        if (gameName_) gameName_->SetText(game->name);
        ShowPlayHistory(game->path);
    }
    ShowStrategyPage(game ? game->id : 0);
}

void CMyGameWndUI::ShowStrategyPage(int gameId) {
    const unsigned selection = ++selection_;
    RunPlayersJobInBackground(BackgroundLane::Network, [tasks = windowTasks_, page = this, selection, gameId] {
        std::wstring url = StrategyPageAddress(ManagementServiceHost(), gameId);
        if (url.empty()) return;
        // The page keeps this job's turn on the lane while it downloads.
        tasks->Post([page, selection, url, hold = HoldNetworkLane()] {
            if (page->selection_ == selection) page->Navigate(url, hold);
        });
    });
}

void CMyGameWndUI::TellFileMissing() {
    ShowMyMessageBox(GetManager()->GetPaintWindow(), L"找不到文件.", L"应用程序可能被移动或删除!", L"提示",
                     CMyMessageBox::kIconError);
}

void CMyGameWndUI::RunGame(const GameRecord& game) {
    if (!PlayGame(game.path)) TellFileMissing();
}

bool CMyGameWndUI::PlayGame(std::wstring path) {
    const bool found =
        StartRecordedGame(path, history_, windowTasks_, [page = this, path] { page->RefreshPlayHistory(path); });
    RefreshPlayHistory(path);
    return found;
}

bool CMyGameWndUI::StartAreaShows(const std::wstring& path) const {
    return startButton_ && startButton_->IsEnabled() && startButton_->GetUserData() == path;
}

void CMyGameWndUI::RefreshPlayHistory(const std::wstring& path) {
    // Only while the start area shows that game: another may be selected by now.
    if (StartAreaShows(path)) ShowPlayHistory(path);
}

void CMyGameWndUI::ShowPlayHistory(const std::wstring& path) {
    const PlayRecord record = history_.Find(path);
    if (lastPlayed_) lastPlayed_->SetText(path.empty() ? std::wstring() : LastPlayedText(LocalStartTime(record)));
    if (playedTime_) playedTime_->SetText(path.empty() ? std::wstring() : PlayedTimeText(record.secondsPlayed));
}

void CMyGameWndUI::OpenFolder(const GameRecord& game) {
    if (!OpenGameFolder(game.path)) TellFileMissing();
}

void CMyGameWndUI::DeleteGame(const GameRecord& game) {
    if (game.uninstallString.empty()) {
        games_.RemoveUserGame(game);
        RemoveGameButton(game);
        return;
    }
    bool missing = false;
    ScopedHandle uninstaller = StartUninstaller(game.uninstallString, missing);
    if (missing) {
        TellFileMissing();
    } else if (!uninstaller) {
        ShowMyMessageBox(GetManager()->GetPaintWindow(), L"启动卸载失败.", L"请检查游戏设置稍后重试!", L"提示",
                         CMyMessageBox::kIconError);
    } else {
        UninstallWaitThread(uninstaller.release(), game);
    }
}

void CMyGameWndUI::UninstallWaitThread(HANDLE uninstaller, const GameRecord& game) {
    // Each uninstall has its own wait, which owns the process handle.
    std::thread([process = ScopedHandle(uninstaller), tasks = windowTasks_, page = this, game] {
        if (!::WaitForUninstall(process.get())) return;
        if (!GameFilesGone(game.path, game.uninstallString)) return;
        tasks->Post([page, game] { page->ForgetUninstalledGame(game); });
    }).detach();
}

void CMyGameWndUI::ForgetUninstalledGame(const GameRecord& game) {
    RemoveGameButton(game);
    games_.ForgetInstalledGame(game);
}

bool CMyGameWndUI::OnAddGame(void* param) {
    if (IsClick(param)) AddGameManualWnd::ShowModalOver(GetManager()->GetPaintWindow(), games_, this);
    return true;
}

bool CMyGameWndUI::OnSearchNotify(void* param) {
    const auto* msg = static_cast<UiNotify*>(param);
    if (msg->sType == L"textchanged") {
        FilterGames();
    } else if (msg->sType == L"keypress" && msg->wParam == VK_ESCAPE) {
        search_->SetText(L"");
        FilterGames();
    } else if (msg->sType == L"keypress" && msg->wParam == VK_DOWN) {
        MoveSelection(nullptr, 1);
    }
    return false;
}

bool CMyGameWndUI::OnGameButtonNotify(void* param) {
    const auto* msg = static_cast<UiNotify*>(param);
    if (msg->sType != L"gamekey") return false;
    if (msg->wParam == VK_RETURN) {
        if (std::optional<GameRecord> game = GameOf(msg->pSender)) RunGame(*game);
    } else {
        MoveSelection(msg->pSender, msg->wParam == VK_UP ? -1 : 1);
    }
    return true;
}

LRESULT CMyGameWndUI::MessageHandler(UINT message, WPARAM wParam, LPARAM, bool& handled) {
    const bool controlF = message == WM_KEYDOWN && wParam == 'F' && ::GetKeyState(VK_CONTROL) < 0;
    if (controlF && search_ && search_->IsVisible()) {
        search_->SetFocus();
        handled = true;
    }
    return 0;
}

bool CMyGameWndUI::OnStartGame(void* param) {
    if (IsClick(param) && startButton_ && !PlayGame(startButton_->GetUserData())) TellFileMissing();
    return true;
}
