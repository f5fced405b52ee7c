#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "UiLib/Utils/Signal.h"
#include "UiLib/core/SkinnedWindow.h"
#include "UiLib/tree/UIMessageFilter.h"
#include "shared/MyMessageBox.h"

class GameList;
class IGameButtonHost;

namespace UiLib {
class CEditUI;
}  // namespace UiLib

// The modal dialog in which the user adds a game by hand: an executable and a name. On "ok" it
// checks both, stores the game in the game list, gives it a button on the my-games tab and
// closes. The object deletes itself once its native window is gone.
class AddGameManualWnd : public UiLib::CSkinnedWindow, public UiLib::IMessageFilterUI {
public:
    static constexpr const wchar_t* kWindowClassName = L"AddGameManualWnd";
    static constexpr const wchar_t* kLayout = L"AddGameManualUI.xml";
    static constexpr DWORD kCreateStyle = WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_CAPTION |
                                          WS_SYSMENU;

    // Tells the user something: parent, first line, second line, caption, icon (2: error).
    using MessageFunction = std::function<int(HWND, const std::wstring&, const std::wstring&, const std::wstring&, int)>;
    // Asks for an executable; the full path, or empty when the user cancelled.
    using ChooseFileFunction = std::function<std::wstring(HWND owner)>;

    // `tab` may be null: the game is then stored without a button.
    AddGameManualWnd(GameList& games, IGameButtonHost* tab);

    // Opens the dialog over `owner` (the main window) and runs it modally.
    static void ShowModalOver(HWND owner, GameList& games, IGameButtonHost* tab);

    // The system's open-file dialog for one ".exe" file.
    static std::wstring ChooseExeFile(HWND owner);
    // The name a chosen file suggests: its file name without the last four characters (".exe").
    static std::wstring GameNameFromExePath(const std::wstring& path);

    // Replaceable before the window is created; tests put their own in.
    MessageFunction showMessage = &ShowMyMessageBox;
    ChooseFileFunction chooseFile = &AddGameManualWnd::ChooseExeFile;

    LRESULT MessageHandler(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

protected:
    const wchar_t* GetWindowClassName() const override { return kWindowClassName; }
    void InitWindow() override;

private:
    void OnButtonClick(const wchar_t* name, std::function<void()> handler);
    void OnBrowse();
    void OnOk();

    GameList& games_;
    IGameButtonHost* tab_;
    UiLib::CEditUI* gameName_ = nullptr;
    UiLib::CEditUI* exePath_ = nullptr;
    std::vector<UiLib::CSubscription> buttonClicks_;
};
