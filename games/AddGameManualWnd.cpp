#include "games/AddGameManualWnd.h"

#include <commdlg.h>

#include <cwchar>
#include <memory>

#include "UiLib/Utils/LibraryFunction.h"
#include "UiLib/controls/UIButton.h"
#include "UiLib/controls/UIEdit.h"
#include "games/GameButtonHost.h"
#include "games/GameList.h"
#include "shared/SkinnedDialogFrame.h"
#include "shared/TextConvert.h"

using namespace UiLib;

namespace {

constexpr UINT kResultOk = 1;
constexpr UINT kResultCancel = 2;
constexpr int kErrorIcon = 2;

std::wstring TextOf(const CEditUI* edit) { return edit ? edit->GetText() : std::wstring(); }

// A path as typed or pasted: without the blanks around it and without the quotes that copying a
// path from the file manager puts around it.
std::wstring PlainPath(const std::wstring& typed) {
    std::wstring path = TrimBlanks(typed);
    if (path.size() >= 2 && path.front() == L'"' && path.back() == L'"') path = path.substr(1, path.size() - 2);
    return path;
}

// The common dialogs are loaded when the player first picks a file: loading them at start held
// up every start for a dialog most starts never open.
bool ShowOpenFileDialog(OPENFILENAMEW& request) {
    using OpenFunction = BOOL(WINAPI*)(OPENFILENAMEW*);
    static const auto open = LibraryFunction<OpenFunction>(L"comdlg32.dll", "GetOpenFileNameW");
    return open && open(&request);
}

}  // namespace

AddGameManualWnd::AddGameManualWnd(GameList& games, IGameButtonHost* tab)
    : CSkinnedWindow(SkinnedDialogFrame::ProgramDialog(kLayout, WS_CAPTION, CaptionClicks::ButtonsOptionsAndText)),
      games_(games),
      tab_(tab) {
    Options().preMessageFilter = this;
}

void AddGameManualWnd::ShowModalOver(HWND owner, GameList& games, IGameButtonHost* tab) {
    SkinnedDialogFrame::RunModal(std::make_unique<AddGameManualWnd>(games, tab), owner, kCreateStyle);
}

void AddGameManualWnd::InitWindow() {
    gameName_ = paintManager_.FindControl<CEditUI>(L"gamename");
    exePath_ = paintManager_.FindControl<CEditUI>(L"exepath");
    OnButtonClick(L"browser", [this] { OnBrowse(); });
    OnButtonClick(L"ok", [this] { OnOk(); });
    for (const wchar_t* name : {L"close", L"cancel"}) OnButtonClick(name, [this] { Close(kResultCancel); });
}

void AddGameManualWnd::OnButtonClick(const wchar_t* name, std::function<void()> handler) {
    if (auto* button = paintManager_.FindControl<CButtonUI>(name)) buttonClicks_.push_back(button->OnClick(std::move(handler)));
}

LRESULT AddGameManualWnd::MessageHandler(UINT message, WPARAM wParam, LPARAM, bool&) {
    // Escape closes; every key still goes on to the controls.
    if (message == WM_KEYDOWN && wParam == VK_ESCAPE) Close(kResultCancel);
    return 0;
}

void AddGameManualWnd::OnBrowse() {
    std::wstring path = chooseFile ? chooseFile(window_) : std::wstring();
    if (path.empty()) return;
    if (exePath_) exePath_->SetText(path);
    if (gameName_) gameName_->SetText(GameNameFromExePath(path));
}

void AddGameManualWnd::OnOk() {
    auto tell = [this](const wchar_t* text1, const wchar_t* text2, const wchar_t* caption) {
        if (showMessage) showMessage(window_, text1, text2, caption, kErrorIcon);
    };
    GameRecord record;
    record.path = PlainPath(TextOf(exePath_));
    record.name = TextOf(gameName_);
    if (record.path.empty()) {
        tell(L"请指定游戏执行文件!", L"", L"错误");
        return;
    }
    if (games_.FindByName(record.name)) {
        tell(L"游戏名称已存在.", L"请重新输入游戏名称!", L"提示");
        return;
    }
    if (!games_.AddUserGame(record)) {
        ::MessageBoxW(nullptr, L"配置文件读取错误，请重启软件再尝试！", L"错误", MB_OK);
    } else if (tab_) {
        tab_->AddGameButton(record);
    }
    Close(kResultOk);
}

std::wstring AddGameManualWnd::ChooseExeFile(HWND owner) {
    wchar_t file[MAX_PATH] = {};
    OPENFILENAMEW request{};
    request.lStructSize = sizeof(request);
    request.hwndOwner = owner;
    request.lpstrFilter = L"Exe文件(*.exe)\0*.exe\0";
    request.nFilterIndex = 0;
    request.lpstrFile = file;
    request.nMaxFile = MAX_PATH;
    request.lpstrInitialDir = L"D:\\Program Files";
    // The program's current folder stays where it is: the game's folder must not be held open.
    request.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
    if (!ShowOpenFileDialog(request)) return std::wstring();
    return file;
}

std::wstring AddGameManualWnd::GameNameFromExePath(const std::wstring& path) {
    size_t slash = path.rfind(L'\\');
    std::wstring fileName = slash == std::wstring::npos ? path : path.substr(slash + 1);
    // A name too short to carry ".exe" is kept whole rather than cut to nothing.
    return fileName.size() > 4 ? fileName.substr(0, fileName.size() - 4) : fileName;
}

