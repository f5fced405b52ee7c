#pragma once
#include <memory>

#include "UiLib/core/IDialogBuilderCallback.h"
#include "UiLib/core/WindowTasks.h"

class GameList;
class PlayHistory;

namespace UiLib {
class CPaintManagerUI;
}  // namespace UiLib

// The my-games page's layout tag "MyGameWnd", for the page that is built with what it shows (the
// web tab's "IEWndUI" is registered by its own floor). Tags are compared exactly.
class CDialogBuilderCallbackEx : public UiLib::IDialogBuilderCallback {
public:
    // The pages build their own content into `manager`, the window being built; the my-games page
    // shows `games` with their `history` and hands its workers' results back through `windowTasks`.
    CDialogBuilderCallbackEx(UiLib::CPaintManagerUI* manager, GameList& games, PlayHistory& history,
                             std::shared_ptr<UiLib::CWindowTasks> windowTasks)
        : manager_(manager), games_(games), history_(history), windowTasks_(std::move(windowTasks)) {}

    std::unique_ptr<UiLib::CControlUI> CreateControlForTag(const wchar_t* tag) override;

private:
    UiLib::CPaintManagerUI* manager_;
    GameList& games_;
    PlayHistory& history_;
    std::shared_ptr<UiLib::CWindowTasks> windowTasks_;
};
