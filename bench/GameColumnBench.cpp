// Scrolling the my-games column with five thousand games: a wheel step, then the column laid out
// and painted into an off-screen DIB, frame after frame from the top to the bottom and back, against
// repainting the same column without scrolling in the same run. Only the rows near the view have a
// button, so a frame costs what a screenful does.
#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "UiLib/core/UIManager.h"
#include "bench/FrameRate.h"
#include "UiLib/render/DibSection.h"
#include "UiLib/render/ScopedDC.h"
#include "games/GameButtonUI.h"
#include "games/GameColumnUI.h"

using namespace UiLib;

namespace {

// The column of the my-games page at its size in the main window.
constexpr RECT kClient{0, 0, 200, 490};
constexpr int kGames = 5000;

// Games with names of the length players give them, each row drawn as the page draws a button.
class BenchRows : public IGameColumnRows {
public:
    BenchRows() {
        for (int game = 0; game < kGames; ++game) names_.push_back(L"游戏 " + std::to_wstring(game) + L" 星际远航");
    }
    int RowCount() const override { return kGames; }
    std::unique_ptr<CGameButtonUI> MakeGameButton() override {
        auto button = std::make_unique<CGameButtonUI>();
        button->ApplyAttributeList(
            L"width=\"170\" height=\"30\" bkcolor=\"#FFDDEEFF\" bordercolor=\"#FF85C4FF\" bordersize=\"1\" "
            L"group=\"gamebtn\" align=\"left\" endellipsis=\"true\" textpadding=\"36,0,8,0\"");
        return button;
    }
    void ShowRow(CGameButtonUI& button, int row) override {
        button.SetText(names_[static_cast<size_t>(row)]);
        button.SetIcon(nullptr, true);
    }
    std::wstring RowName(int row) const override { return names_[static_cast<size_t>(row)]; }
    bool IsRowSelected(int) const override { return false; }
    void RowsShown() override {}

private:
    std::vector<std::wstring> names_;
};

}  // namespace

int main() {
    CPaintManagerUI manager;
    BenchRows rows;
    auto owned = std::make_unique<CGameColumnUI>();
    CGameColumnUI* column = owned.get();
    column->ApplyAttributeList(L"bkcolor=\"#FFECF7FD\" childpadding=\"15\" inset=\"5,0,0,0\" vscrollbar=\"true\"");
    auto spacer = std::make_unique<CControlUI>();
    spacer->ApplyAttributeList(L"width=\"200\" height=\"1\"");
    column->Add(std::move(spacer));
    auto more = std::make_unique<CControlUI>();
    more->ApplyAttributeList(L"width=\"170\" height=\"30\" text=\"更多游戏\"");
    column->Add(std::move(more));
    manager.AttachDialog(std::move(owned));
    column->SetRows(&rows);

    CDibSection surface(kClient.right, kClient.bottom);
    CMemoryDC dc(nullptr);
    CSelectObject select(dc.Get(), surface.Get());
    manager.Paint(dc.Get(), kClient, kClient);

    int direction = 1;
    const double scrolling = FramesPerSecond([&] {
        const int before = column->GetScrollPos().cy;
        direction > 0 ? column->LineDown() : column->LineUp();
        if (column->GetScrollPos().cy == before) direction = -direction;
        manager.Paint(dc.Get(), kClient, kClient);
    });
    const double still = FramesPerSecond([&] {
        column->Invalidate();
        manager.Paint(dc.Get(), kClient, kClient);
    });
    std::printf("Scrolling the game column of %d games a wheel step a frame, %ld controls in it\n", kGames,
                static_cast<long>(column->GetCount()));
    std::printf("  scrolling %7.1f frames per second (target 60 or more): %.2f times a repaint without scrolling "
                "(target 0.5 or more)\n",
                scrolling, scrolling / still);
    return 0;
}
