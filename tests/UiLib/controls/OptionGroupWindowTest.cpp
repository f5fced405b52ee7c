// Options of one group in a real window built from layout text, clicked with real messages.
#include <gtest/gtest.h>

#include "UiLib/controls/UIOption.h"
#include "UiLib/core/UIDlgBuilder.h"
#include "UiLib/layouts/UITabLayout.h"
#include "tests/UiLib/core/ManagerWindow.h"

using namespace UiLib;

namespace {

const wchar_t kLayout[] =
    L"<Window size=\"300,200\">"
    L"<VerticalLayout>"
    L"  <HorizontalLayout height=\"40\">"
    L"    <Option name=\"first\" width=\"80\" group=\"quickbar\" selected=\"true\" text=\"我的游戏\""
    L"            bindtablayoutname=\"pages\" bindtabindex=\"0\"/>"
    L"    <Option name=\"second\" width=\"80\" group=\"quickbar\" text=\"热门游戏\""
    L"            bindtablayoutname=\"pages\" bindtabindex=\"1\"/>"
    L"    <Option name=\"loose\" width=\"80\" text=\"单独\"/>"
    L"  </HorizontalLayout>"
    L"  <TabLayout name=\"pages\"><Control name=\"page0\"/><Control name=\"page1\"/></TabLayout>"
    L"</VerticalLayout>"
    L"</Window>";

class OptionGroupWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        CDialogBuilder builder;
        std::unique_ptr<CControlUI> root = builder.Create(kLayout, nullptr, nullptr, &window.manager);
        ASSERT_NE(root, nullptr);
        window.manager.AttachDialog(std::move(root));
        window.manager.AddNotifier(&notes);
        window.Show();
        // The first paints lay the tree out and give the first tab stop the focus.
        window.PumpUntil([this] { return window.manager.GetFocus() != nullptr; }, 2000);
        first = static_cast<COptionUI*>(window.manager.FindControl(L"first"));
        second = static_cast<COptionUI*>(window.manager.FindControl(L"second"));
        loose = static_cast<COptionUI*>(window.manager.FindControl(L"loose"));
        pages = static_cast<CTabLayoutUI*>(window.manager.FindControl(L"pages"));
        ASSERT_TRUE(first && second && loose && pages);
        notes.received.clear();
    }

    void Click(CControlUI* control) {
        RECT pos = control->GetPos();
        LPARAM at = ClientPoint((pos.left + pos.right) / 2, (pos.top + pos.bottom) / 2);
        ::SendMessageW(window.Get(), WM_LBUTTONDOWN, MK_LBUTTON, at);
        ::SendMessageW(window.Get(), WM_LBUTTONUP, 0, at);
        window.PumpUntil([] { return false; }, 50);
    }
    int SelectChanges(const std::wstring& name) const {
        int count = 0;
        for (const UiNotify& msg : notes.received)
            if (msg.sType == L"selectchanged" && msg.pSender->GetName() == name) ++count;
        return count;
    }

    ManagerWindow window{RECT{0, 0, 300, 200}};
    NotifyLog notes;
    COptionUI* first = nullptr;
    COptionUI* second = nullptr;
    COptionUI* loose = nullptr;
    CTabLayoutUI* pages = nullptr;
};

}  // namespace

TEST_F(OptionGroupWindowTest, ClickingAnOptionSelectsItAloneInItsGroupAndSwitchesThePage) {
    EXPECT_TRUE(first->IsSelected());
    EXPECT_EQ(pages->GetCurSel(), 0);

    Click(second);
    EXPECT_TRUE(second->IsSelected());
    EXPECT_FALSE(first->IsSelected());
    EXPECT_EQ(SelectChanges(L"second"), 1);
    EXPECT_EQ(pages->GetCurSel(), 1);

    Click(second);
    EXPECT_TRUE(second->IsSelected()) << "a selected option of a group stays selected";
    EXPECT_EQ(SelectChanges(L"second"), 1);

    Click(first);
    EXPECT_TRUE(first->IsSelected());
    EXPECT_FALSE(second->IsSelected());
    EXPECT_EQ(pages->GetCurSel(), 0);
}

TEST_F(OptionGroupWindowTest, AnOptionWithoutGroupTogglesAndLeavesTheGroupAlone) {
    Click(loose);
    EXPECT_TRUE(loose->IsSelected());
    EXPECT_EQ(window.manager.GetFocus(), loose) << "the press moved the focus";
    Click(loose);
    EXPECT_FALSE(loose->IsSelected());
    EXPECT_TRUE(first->IsSelected());
    EXPECT_EQ(SelectChanges(L"loose"), 2);
}
