// The my-games page's layout from the program's skin archive, built into a window of the page's
// size: its places, where the game buttons go, and the pictures of each state.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "UiLib/controls/UIOption.h"
#include "UiLib/core/UIDlgBuilder.h"
#include "UiLib/tree/UIContainer.h"
#include "UiLib/tree/UINotify.h"
#include "games/GameButtonUI.h"
#include "games/GameColumnUI.h"
#include "tests/support/ProgramLayoutWindow.h"

using namespace UiLib;

namespace {

// The page takes the main window's width less its 1-pixel insets, between the top band and the
// status band.
const int kPageWidth = 968;
const int kPageHeight = 530;
// What the page's code gives every game button besides the game's name.
const wchar_t kGameButton[] =
    L"float=\"false\" width=\"170\" height=\"30\" selectedimage=\"btn_bj3.png\" normalimage=\"btn_bj1.png\" "
    L"hotimage=\"btn_bj2.png\" pushedimage=\"btn_bj3.png\" menu=\"true\" group=\"gamebtn\"";

class PageWindow : public ProgramLayoutWindow {
public:
    PageWindow() : ProgramLayoutWindow(L"MyGameListWnd.xml") {}
    HWND CreateShown() { return ProgramLayoutWindow::CreateShown(kPageWidth, kPageHeight); }
    CContainerUI* Column() { return static_cast<CContainerUI*>(Find(L"gamebtnlayout")->GetInterface(L"Container")); }
    CPaintManagerUI& Manager() { return paintManager_; }

    // Adds a game button as the page does: just above "moregame".
    COptionUI* AddGame(const std::wstring& name) {
        auto button = std::make_unique<COptionUI>();
        COptionUI* added = button.get();
        button->ApplyAttributeList(kGameButton);
        button->SetText(name);
        Column()->AddAt(std::move(button), Column()->GetCount() - 2);
        Repaint();
        return added;
    }
    HWND Window() const { return window_; }
    void MoveTo(CControlUI* control) {
        RECT rect = control->GetPos();
        ::SendMessageW(window_, WM_MOUSEMOVE, 0, MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2));
        Repaint();
    }
    void Click(CControlUI* control) {
        RECT rect = control->GetPos();
        LPARAM at = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
        ::SendMessageW(window_, WM_MOUSEMOVE, 0, at);
        ::SendMessageW(window_, WM_LBUTTONDOWN, MK_LBUTTON, at);
        ::SendMessageW(window_, WM_LBUTTONUP, 0, at);
        Repaint();
    }
    // A pixel of a control's picture, `dx` from its left edge, halfway down.
    uint32_t PixelIn(CControlUI* control, int dx) {
        RECT rect = control->GetPos();
        return PixelAt(rect.left + dx, (rect.top + rect.bottom) / 2);
    }

protected:
    const wchar_t* GetWindowClassName() const override { return L"MyGameListLayoutTest"; }
};

int Red(uint32_t pixel) { return (pixel >> 16) & 0xFF; }
int Green(uint32_t pixel) { return (pixel >> 8) & 0xFF; }
int Blue(uint32_t pixel) { return pixel & 0xFF; }
bool IsGrey(uint32_t pixel) { return std::abs(Red(pixel) - Blue(pixel)) < 0x20 && std::abs(Green(pixel) - Blue(pixel)) < 0x20; }
bool IsStrongBlue(uint32_t pixel) { return Blue(pixel) > 0xB0 && Red(pixel) < 0x80; }

void ExpectRect(CControlUI* control, RECT expected) {
    ASSERT_NE(control, nullptr);
    RECT rect = control->GetPos();
    EXPECT_EQ(rect.left, expected.left) << std::string(control->GetName().begin(), control->GetName().end());
    EXPECT_EQ(rect.top, expected.top);
    EXPECT_EQ(rect.right, expected.right);
    EXPECT_EQ(rect.bottom, expected.bottom);
}

// Below the top bar, the search row; the game column below it.
constexpr int kColumnTop = 32 + 40;

// The "gamekey" notifications, in the words of the typed callback's log.
class GameKeyLog : public INotifyUI {
public:
    explicit GameKeyLog(std::vector<std::wstring>& log) : log_(log) {}
    void Notify(UiNotify& msg) override {
        if (msg.sType == L"gamekey") log_.push_back(L"notified " + std::to_wstring(msg.wParam));
    }

private:
    std::vector<std::wstring>& log_;
};

class MyGameListLayoutTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(window.CreateShown(), nullptr); }

    PageWindow window;
};

}  // namespace

TEST_F(MyGameListLayoutTest, TopBarLeftColumnAndStartAreaSitWhereThePageExpectsThem) {
    ExpectRect(window.Find(L"gamewnd"), {0, 0, kPageWidth, kPageHeight});
    ExpectRect(window.Find(L"addgamebtn"), {20, 1, 204, 31});
    ExpectRect(window.Find(L"gamesearch"), {5, 32 + 8, 175, 32 + 36});
    ExpectRect(window.Find(L"gamebtnlayout"), {0, kColumnTop, 200, kPageHeight});
    ExpectRect(window.Find(L"gamename"), {210, 34, 660, 69});
    ExpectRect(window.Find(L"startgame"), {530, 82, 705, 136});
    ExpectRect(window.Find(L"gameweblayout"), {200, 32 + 125, kPageWidth, kPageHeight});

    CContainerUI* column = window.Column();
    EXPECT_EQ(column->GetParent()->GetBkColor(), 0xFFECF7FDu);
    EXPECT_EQ(column->GetChildPadding(), 15);
    EXPECT_EQ(column->GetInset().left, 5);
    EXPECT_NE(column->GetVerticalScrollBar(), nullptr);
    // A 1-pixel spacer, the "more games" button and a 30-pixel spacer below it.
    ASSERT_EQ(column->GetCount(), 3);
    EXPECT_EQ(column->GetItemAt(1), window.Find(L"moregame"));
    for (int index : {0, 2}) {
        CControlUI* spacer = column->GetItemAt(index);
        EXPECT_NE(spacer->GetInterface(L"VerticalLayout"), nullptr);
        EXPECT_TRUE(spacer->GetName().empty());
        EXPECT_EQ(spacer->GetFixedWidth(), 200);
        EXPECT_EQ(spacer->GetFixedHeight(), index == 0 ? 1 : 30);
    }
    ExpectRect(window.Find(L"moregame"), {5, kColumnTop + 1 + 15, 175, kColumnTop + 1 + 15 + 30});
}

TEST_F(MyGameListLayoutTest, TheGameNameIsLargeBoldAndEndsInAnEllipsis) {
    auto* name = static_cast<CLabelUI*>(window.Find(L"gamename")->GetInterface(L"Label"));
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->GetFont(), 6);
    const TFontInfo& font = window.Manager().GetFontInfo(6);
    EXPECT_TRUE(font.bold);
    EXPECT_GE(font.size, 18);
    EXPECT_NE(name->GetTextStyle() & DT_END_ELLIPSIS, 0u);
}

TEST_F(MyGameListLayoutTest, ThePageNumbersItsFontsAsTheMainWindowDoes) {
    // Inside the main window the page's indices name the main window's fonts.
    CPaintManagerUI main;
    CDialogBuilder builder;
    builder.Create(CDialogBuilder::Layout(std::wstring(L"MainFrame.xml")), nullptr, nullptr, &main);
    ASSERT_GE(main.FontCount(), 7);
    ASSERT_EQ(window.Manager().FontCount(), 7);
    for (int index = 0; index < 7; ++index) {
        const TFontInfo& page = window.Manager().GetFontInfo(index);
        const TFontInfo& frame = main.GetFontInfo(index);
        EXPECT_EQ(page.faceName, frame.faceName) << index;
        EXPECT_EQ(page.size, frame.size) << index;
        EXPECT_EQ(page.bold, frame.bold) << index;
    }
    EXPECT_EQ(window.Manager().GetDefaultFontInfo().size, main.GetDefaultFontInfo().size);
    EXPECT_EQ(window.Manager().GetDefaultFontInfo().bold, main.GetDefaultFontInfo().bold);
}

TEST_F(MyGameListLayoutTest, GameButtonsStackAboveMoreGamesAndSelectOneAtATime) {
    COptionUI* first = window.AddGame(L"星际争霸");
    COptionUI* second = window.AddGame(L"Solitaire");
    COptionUI* third = window.AddGame(L"扫雷");
    CContainerUI* column = window.Column();
    ASSERT_EQ(column->GetCount(), 6);
    EXPECT_EQ(column->GetItemAt(1), first);
    EXPECT_EQ(column->GetItemAt(3), third);
    EXPECT_EQ(column->GetItemAt(4), window.Find(L"moregame"));
    const int top = kColumnTop + 1 + 15;
    ExpectRect(first, {5, top, 175, top + 30});
    ExpectRect(third, {5, top + 2 * 45, 175, top + 2 * 45 + 30});
    EXPECT_EQ(window.Find(L"moregame")->GetPos().top, top + 3 * 45);

    window.Click(second);
    EXPECT_TRUE(second->IsSelected());
    window.Click(third);
    EXPECT_TRUE(third->IsSelected());
    EXPECT_FALSE(second->IsSelected());
    EXPECT_FALSE(first->IsSelected());
}

TEST_F(MyGameListLayoutTest, ALongListScrollsAndEndsThirtyPixelsBelowMoreGames) {
    for (int game = 0; game < 14; ++game) window.AddGame(L"游戏 " + std::to_wstring(game));
    CContainerUI* column = window.Column();
    ASSERT_TRUE(column->GetVerticalScrollBar()->IsVisible());
    // The spacer, 14 game buttons, "more games" and the 30-pixel spacer, 15 apart.
    EXPECT_EQ(column->GetScrollRange().cy, 1 + 15 + 14 * 45 + 30 + 15 + 30 - (kPageHeight - kColumnTop));
    column->SetScrollPos(SIZE{0, column->GetScrollRange().cy});
    window.Repaint();
    EXPECT_EQ(window.Find(L"moregame")->GetPos().bottom, kPageHeight - 30 - 15);
}

TEST_F(MyGameListLayoutTest, EachStateHasAPictureOfItsOwn) {
    COptionUI* plain = window.AddGame(L"A");
    COptionUI* chosen = window.AddGame(L"B");
    window.Click(chosen);
    COptionUI* hot = window.AddGame(L"C");
    window.MoveTo(hot);

    // Game buttons: white, pale blue under the mouse, a deeper blue with a blue edge when chosen;
    // the column's own colour shows between them.
    EXPECT_EQ(window.PixelIn(plain, 12), 0xFFFFFFu);
    EXPECT_EQ(window.PixelIn(hot, 12), 0xEEF5FCu);
    EXPECT_EQ(window.PixelIn(chosen, 12), 0xD2E7FBu);
    EXPECT_TRUE(IsStrongBlue(window.PixelIn(chosen, 1)));
    EXPECT_EQ(window.PixelAt(100, plain->GetPos().bottom + 7), 0xECF7FDu);

    // "Add game" is a blue button that lightens under the mouse; "more games" fills in.
    CControlUI* add = window.Find(L"addgamebtn");
    uint32_t addNormal = window.PixelIn(add, 8);
    EXPECT_TRUE(IsStrongBlue(addNormal));
    window.MoveTo(add);
    EXPECT_GT(Red(window.PixelIn(add, 8)), Red(addNormal) + 0x20);
    CControlUI* more = window.Find(L"moregame");
    EXPECT_EQ(window.PixelIn(more, 12), 0xFFFFFFu);
    window.MoveTo(more);
    EXPECT_EQ(window.PixelIn(more, 12), 0xE3F0FCu);

    // "Start game": blue, lighter under the mouse, grey when there is nothing to start.
    CControlUI* start = window.Find(L"startgame");
    uint32_t startNormal = window.PixelIn(start, 8);
    EXPECT_TRUE(IsStrongBlue(startNormal));
    window.MoveTo(start);
    EXPECT_GT(Red(window.PixelIn(start, 8)), Red(startNormal) + 0x20);
    start->SetEnabled(false);
    window.Repaint();
    uint32_t disabled = window.PixelIn(start, 8);
    EXPECT_TRUE(IsGrey(disabled));
    EXPECT_GT(Red(disabled), 0xC0);
}

TEST_F(MyGameListLayoutTest, TheGameKeysOfAGameButtonReachItsTypedCallbackJustBeforeTheirNotification) {
    auto button = std::make_unique<CGameButtonUI>();
    CGameButtonUI* game = button.get();
    button->ApplyAttributeList(kGameButton);
    window.Column()->AddAt(std::move(button), window.Column()->GetCount() - 2);
    window.Repaint();
    std::vector<std::wstring> log;
    GameKeyLog notes(log);
    window.Manager().AddNotifier(&notes);
    CSubscription keys = game->OnGameKey([&log](UINT key) { log.push_back(L"typed " + std::to_wstring(key)); });

    game->SetFocus();
    for (WPARAM key : {WPARAM{VK_DOWN}, WPARAM{'A'}, WPARAM{VK_RETURN}, WPARAM{VK_UP}})
        ::SendMessageW(window.Window(), WM_KEYDOWN, key, 0);
    window.Manager().RemoveNotifier(&notes);

    // Any other key is the option's own.
    EXPECT_EQ(log, (std::vector<std::wstring>{L"typed 40", L"notified 40", L"typed 13", L"notified 13", L"typed 38",
                                              L"notified 38"}));
}

namespace {

// Rows drawn as the page draws its games, named by their number.
class NumberedRows : public IGameColumnRows {
public:
    explicit NumberedRows(int count) : count_(count) {}
    static std::wstring Name(int row) { return L"游戏 " + std::to_wstring(row); }
    int RowCount() const override { return count_; }
    std::unique_ptr<CGameButtonUI> MakeGameButton() override {
        auto button = std::make_unique<CGameButtonUI>();
        button->ApplyAttributeList(kGameButton);
        return button;
    }
    void ShowRow(CGameButtonUI& button, int row) override { button.SetText(Name(row)); }
    std::wstring RowName(int row) const override { return Name(row); }
    bool IsRowSelected(int) const override { return false; }
    void RowsShown() override {}

private:
    int count_;
};

// The column's pixels, row after row.
std::vector<uint32_t> ColumnPixels(PageWindow& window) {
    const RECT column = window.Find(L"gamebtnlayout")->GetPos();
    std::vector<uint32_t> pixels;
    for (int y = column.top; y < column.bottom; ++y)
        for (int x = column.left; x < column.right; ++x) pixels.push_back(window.PixelAt(x, y));
    return pixels;
}

}  // namespace

// Sixty rows with a button only near the view look, scroll and stand where sixty buttons do.
TEST_F(MyGameListLayoutTest, AColumnOfRowsLooksAndScrollsAsAColumnOfButtonsWithOnlyTheRowsNearTheViewBuilt) {
    constexpr int kRows = 60;
    auto* column = static_cast<CGameColumnUI*>(window.Column()->GetInterface(L"GameColumn"));
    ASSERT_NE(column, nullptr);
    std::vector<CGameButtonUI*> everyButton;
    for (int row = 0; row < kRows; ++row) {
        auto button = std::make_unique<CGameButtonUI>();
        everyButton.push_back(button.get());
        button->ApplyAttributeList(kGameButton);
        button->SetText(NumberedRows::Name(row));
        column->AddAt(std::move(button), column->GetCount() - 2);
    }
    window.Repaint();
    const int range = column->GetScrollRange().cy;
    ASSERT_GT(range, 2000);
    const int positions[] = {0, 1, 700, 1234, range};
    std::vector<std::vector<uint32_t>> looks;
    for (int position : positions) {
        column->SetScrollPos(SIZE{0, position});
        window.Repaint();
        looks.push_back(ColumnPixels(window));
    }
    for (CGameButtonUI* button : everyButton) column->Remove(button);

    NumberedRows rows(kRows);
    column->SetRows(&rows);
    window.Repaint();
    EXPECT_EQ(column->GetScrollRange().cy, range);
    for (size_t i = 0; i < std::size(positions); ++i) {
        column->SetScrollPos(SIZE{0, positions[i]});
        window.Repaint();
        EXPECT_TRUE(ColumnPixels(window) == looks[i]) << "scrolled to " << positions[i];
        // The rows in view (at most twelve, in part) and a few more each way, not sixty.
        EXPECT_LE(column->GetCount(), 3 + 12 + 2 * CGameColumnUI::kSpareRows) << positions[i];
    }

    // A click finds the row under the pointer, which keeps its button while it stays in view.
    CGameButtonUI* clicked = column->ScrollToRow(41);
    ASSERT_NE(clicked, nullptr);
    EXPECT_EQ(clicked->GetText(), NumberedRows::Name(41));
    window.ClickAt(POINT{90, (clicked->GetPos().top + clicked->GetPos().bottom) / 2});
    EXPECT_TRUE(clicked->IsSelected());
    EXPECT_EQ(column->RowOf(clicked), 41);
    column->LineDown();
    window.Repaint();
    EXPECT_EQ(column->RowOf(clicked), 41);
    column->SetRows(nullptr);
    window.Repaint();
}
