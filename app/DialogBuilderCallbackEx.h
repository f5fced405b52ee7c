#pragma once
#include <memory>

#include "UiLib/core/IDialogBuilderCallback.h"
#include "UiLib/core/WindowTasks.h"

class GameList;
class PlayHistory;

namespace UiLib {
class CPaintManagerUI;
}  // namespace UiLib

// The application's own layout tags: "MyGameWnd" (the my-games page) and "IEWndUI" (a web tab).
// Tags are compared exactly; any other tag is left to the framework.
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
