#include "app/Application.h"

#include <windows.h>
#include <ole2.h>

#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

#include "UiLib/core/UIManager.h"
#include "app/ApplyMode.h"
#include "app/ControlChannel.h"
#include "app/Firewall.h"
#include "app/MainFrame.h"
#include "app/StartMode.h"
#include "games/PlayHistory.h"
#include "games/StartLink.h"
#include "online/ManagementService.h"
#include "online/SelfUpdate.h"
#include "shared/DataFolder.h"
#include "shared/TextConvert.h"

namespace {

const wchar_t kProductName[] = L"Ludora";

std::wstring ProgramPath() {
    wchar_t path[256] = {};
    GetModuleFileNameW(nullptr, path, 256);
    return path;
}

int RunApplyModeProcess() {
    ApplyModeRequest request{ArgumentsAfterProgramName(GetCommandLineW()), PackagePath(GetDataFolder()),
                             InstalledProgramPath()};
    RunApplyMode(request, DefaultApplyModeHooks());
    return 0;
}

// A second instance asks the first to show itself, or to start the game asked for, and leaves
// through the C runtime's exit. A second start with Windows asks nothing: it comes from the other
// of the two ways the program is started at logon, and the first is meant to stay in the tray.
void ExitIfAlreadyRunning(const std::wstring& arguments, const StartRequest& request) {
    HANDLE mutex = CreateMutexW(nullptr, FALSE, kProductName);
    if (GetLastError() != ERROR_ALREADY_EXISTS) return;
    if (request.kind == StartRequest::Kind::Game) AskRunningInstanceToStart(request.name);
    else if (!StartsHidden(arguments)) NotifyRunningInstance();
    if (mutex != nullptr) ReleaseMutex(mutex);
    std::exit(0);
}

// Hands off to a package downloaded earlier; the instance then ends once its loop runs.
void StartupUpdateCheck(const std::wstring& dataFolder, const std::wstring& commandLine) {
    UpdateEnvironment environment;
    environment.serviceHost = ManagementServiceHost();
    environment.dataFolder = dataFolder;
    environment.handOff = [&](HANDLE /*package*/) {
        return HandOffToUpdater(dataFolder, commandLine, [] { PostQuitMessage(0); });
    };
    RunStartupUpdateCheck(environment);
}

// A second start restores the main window or starts a game; the port is bound a second after the
// first paint, and a port already taken is reported once.
void ListenForSecondStarts(std::optional<ControlChannelReceiver>& channel, MainFrame& frame) {
    constexpr UINT kStartDelayMs = 1000;
    const HWND window = frame.GetHWND();
    // The request's own socket message is over before the game starts: starting may show a box.
    channel.emplace([window] { ShowWindow(window, SW_RESTORE); },
                    [tasks = frame.Tasks(), frame = &frame](const std::wstring& name) {
                        tasks->Post([frame, name] { frame->StartGameNamed(name); });
                    });
    channel->ListenLater(kControlChannelPort, kStartDelayMs, [](int error) {
        const std::wstring caption = std::to_wstring(error);
        MessageBoxW(nullptr, L"绑定失败!", caption.c_str(), MB_OK);
    });
}

}  // namespace

int RunLudora(HINSTANCE instance, const char* commandLine, int argumentCount,
              std::chrono::milliseconds playWriteInterval) {
    const std::wstring arguments = AnsiToWide(commandLine);
    // Read from the wide command line: a game's name may hold what the ANSI code page cannot.
    const StartRequest request = ParseStartRequest(SplitArguments(GetCommandLineW()));
    const bool startsGame = request.kind == StartRequest::Kind::Game;
    if (request.kind == StartRequest::Kind::None && ClassifyStart(argumentCount, arguments) == StartMode::Apply)
        return RunApplyModeProcess();
    // The program that an update replaced was kept until this one started.
    DeleteFileW(KeptProgramPath(ProgramPath()).c_str());

    UiLib::CPaintManagerUI::SetInstance(instance);
    const DataFolder dataFolder = PrepareDataFolder();
    GameList games;
    games.Load(dataFolder.path);
    PlayHistory history;
    history.Load(dataFolder.path);
    history.SetRunningWriteInterval(playWriteInterval);
    auto settings = std::make_shared<SysSettings>();
    settings->LoadSettings(dataFolder.path);
    auto frame = std::make_unique<MainFrame>(games, history, settings, dataFolder, arguments);

    // An update runs what lies in the data folder with administrator rights: never from a folder
    // that someone else could have written.
    if (dataFolder.safe) StartupUpdateCheck(dataFolder.path, arguments);
    ExitIfAlreadyRunning(arguments, request);

    // The native window owns the frame once it exists.
    MainFrame* shown = UiLib::CWindowWnd::CreateOwned(std::move(frame), [](MainFrame& created) { return created.CreateMainWindow(); });
    HWND window = shown ? shown->GetHWND() : nullptr;
    std::optional<ControlChannelReceiver> channel;
    bool oleStarted = false;
    if (IsWindow(window)) {
        // The first paint needs neither COM, the firewall nor the control channel; the browsers,
        // which come after it, need COM on this thread, and this task is queued before theirs.
        shown->GetPaintManager().RunSoon([&oleStarted, &channel, shown] {
            oleStarted = SUCCEEDED(OleInitialize(nullptr));
            AuthorizeInFirewall(kProductName, ProgramPath());
            ListenForSecondStarts(channel, *shown);
        });
        // A game started from outside starts with the window in the tray, which stays there.
        ShowWindow(window, StartsHidden(arguments) || startsGame ? SW_HIDE : SW_SHOWNORMAL);
        if (startsGame) shown->GetPaintManager().RunSoon([shown, name = request.name] { shown->StartGameNamed(name); });
        // The framework's loop: keys reach the windows' own filters (Tab, the my-games page's
        // Ctrl+F) first. Without a window nothing would ever end it, and the instance would hold
        // the single-instance lock while invisible.
        UiLib::CPaintManagerUI::MessageLoop();
    }

    if (oleStarted) OleUninitialize();
    return 0;
}
