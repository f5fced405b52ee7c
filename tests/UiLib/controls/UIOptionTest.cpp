#include "UiLib/controls/UIOption.h"

#include <gtest/gtest.h>

#include <memory>

#include "UiLib/controls/UICheckBox.h"
#include "UiLib/controls/UIRadioBox.h"
#include "UiLib/layouts/UITabLayout.h"
#include "tests/UiLib/controls/ControlFixture.h"
#include "tests/UiLib/support/SkinFolder.h"

using namespace UiLib;

namespace {

constexpr POINT kInside{20, 10};
constexpr uint32_t kRed = 0xFF0000;
constexpr uint32_t kGreen = 0x00FF00;
constexpr uint32_t kBlue = 0x0000FF;
constexpr uint32_t kGrey = 0x808080;
constexpr uint32_t kWhite = 0xFFFFFF;

class OptionTest : public ::testing::Test, public ControlFixture {
protected:
    template <typename Option = COptionUI>
    Option* AddOption(const std::wstring& attributes = std::wstring()) {
        return Add<Option>(L"float=\"true\" pos=\"0,0,60,20\" " + attributes);
    }

    size_t GroupSize(const std::wstring& group) {
        const CPtrArray<CControlUI*>* members = manager.GetOptionGroup(group);
        return members ? members->Count() : 0;
    }
};

}  // namespace

TEST_F(OptionTest, GroupSelectsOneAndNotifiesOnce) {
    COptionUI* first = AddOption(L"group=\"quickbar\" selected=\"true\"");
    COptionUI* second = AddOption(L"group=\"quickbar\"");
    COptionUI* third = AddOption(L"group=\"quickbar\"");
    Layout(200, 100);
    ASSERT_EQ(GroupSize(L"quickbar"), 3u);
    recorder.received.clear();

    Click(second, kInside);
    EXPECT_TRUE(second->IsSelected());
    EXPECT_FALSE(first->IsSelected());
    EXPECT_FALSE(third->IsSelected());
    std::vector<std::wstring> expected{L"click", L"selectchanged"};
    EXPECT_EQ(recorder.Types(), expected) << "deselected options send nothing";
    EXPECT_EQ(recorder.received.back().pSender, second);

    Click(second, kInside);
    EXPECT_TRUE(second->IsSelected()) << "a selected option of a group stays selected";
    EXPECT_EQ(recorder.Count(L"click"), 2);
    EXPECT_EQ(recorder.Count(L"selectchanged"), 1);

    second->Selected(false);
    EXPECT_FALSE(second->IsSelected());
    EXPECT_EQ(recorder.Count(L"selectchanged"), 1) << "deselecting a grouped option is silent";
}

TEST_F(OptionTest, CheckBoxTogglesAndNotifiesEachTime) {
    CCheckBoxUI* check = AddOption<CCheckBoxUI>();
    Layout(200, 100);
    EXPECT_STREQ(check->GetClass(), L"CheckBoxUI");
    EXPECT_NE(check->GetInterface(L"Option"), nullptr);
    Click(check, kInside);
    EXPECT_TRUE(check->GetCheck());
    Click(check, kInside);
    EXPECT_FALSE(check->GetCheck());
    Click(check, kInside);
    EXPECT_TRUE(check->GetCheck());
    EXPECT_EQ(recorder.Count(L"selectchanged", check), 3);
    check->SetCheck(true);
    EXPECT_EQ(recorder.Count(L"selectchanged", check), 3) << "no change, no notification";
}

TEST_F(OptionTest, RadioBoxesOfAGroupSelectOne) {
    CRadioBoxUI* yes = AddOption<CRadioBoxUI>(L"group=\"answer\"");
    CRadioBoxUI* no = AddOption<CRadioBoxUI>(L"group=\"answer\"");
    Layout(200, 100);
    EXPECT_STREQ(yes->GetClass(), L"RadioBoxUI");
    EXPECT_EQ(yes->GetInterface(L"RadioBox"), static_cast<void*>(yes));
    Click(yes, kInside);
    Click(no, kInside);
    EXPECT_FALSE(yes->IsSelected());
    EXPECT_TRUE(no->IsSelected());
    EXPECT_EQ(recorder.Count(L"selectchanged"), 2);
}

TEST_F(OptionTest, GroupListsFollowTheOptions) {
    COptionUI* option = AddOption(L"group=\"a\"");
    COptionUI* other = AddOption(L"group=\"a\"");
    EXPECT_EQ(GroupSize(L"a"), 2u);
    EXPECT_FALSE(manager.AddOptionGroup(L"a", option)) << "an option joins a group once";

    option->SetGroup(L"b");
    EXPECT_EQ(GroupSize(L"a"), 1u);
    EXPECT_EQ(GroupSize(L"b"), 1u);
    option->SetGroup(L"");
    EXPECT_EQ(manager.GetOptionGroup(L"b"), nullptr) << "an empty group is dropped";

    root->Remove(other);
    EXPECT_EQ(manager.GetOptionGroup(L"a"), nullptr) << "a destroyed option leaves its group";

    // Selecting in a group whose other members are gone touches nothing freed.
    COptionUI* last = AddOption(L"group=\"a\"");
    last->Selected(true);
    EXPECT_TRUE(last->IsSelected());
}

TEST_F(OptionTest, OptionsBindTabPages) {
    auto tabOwned = std::make_unique<CTabLayoutUI>();
    CTabLayoutUI* tab = tabOwned.get();
    tab->SetName(L"tabswitch");
    for (int i = 0; i < 3; ++i) tab->Add(std::make_unique<CControlUI>());
    root->Add(std::move(tabOwned));
    COptionUI* page2 = AddOption(L"group=\"tabs\" bindtablayoutname=\"tabswitch\" bindtabindex=\"2\"");
    COptionUI* page1 = AddOption(L"group=\"tabs\" bindtablayoutname=\"tabswitch\" bindtabindex=\"1\"");
    Layout(200, 100);
    Click(page2, kInside);
    EXPECT_EQ(tab->GetCurSel(), 2);
    Click(page1, kInside);
    EXPECT_EQ(tab->GetCurSel(), 1);
    EXPECT_FALSE(page2->IsSelected());
}

TEST(OptionAlone, WorksWithoutAManager) {
    COptionUI option;
    option.SetAttribute(L"group", L"g");
    option.SetAttribute(L"selected", L"true");
    EXPECT_TRUE(option.IsSelected());
    EXPECT_TRUE(option.GetButtonState() & UISTATE_SELECTED);
}

class OptionPaint : public OptionTest {
protected:
    OptionPaint() {
        skin.AddPng(L"red.png", 1, 1, {0xFFFF0000});
        skin.AddPng(L"green.png", 1, 1, {0xFF00FF00});
        skin.AddPng(L"blue.png", 1, 1, {0xFF0000FF});
        skin.AddPng(L"grey.png", 1, 1, {0xFF808080});
    }

    uint32_t PaintedMiddle(CControlUI* control) {
        canvas.Fill(kWhite);
        control->DoPaint(canvas.DC(), canvas.Bounds());
        return canvas.Rgb(58, 2);
    }

    SkinFolder skin;
    TestCanvas canvas{60, 20};
};

TEST_F(OptionPaint, SelectedImagesAndNoPushedState) {
    COptionUI* option = AddOption(L"normalimage=\"red.png\" pushedimage=\"blue.png\" hotimage=\"grey.png\" "
                                  L"selectedimage=\"green.png\" selectedhotimage=\"blue.png\"");
    Layout(200, 100);
    Send(option, UIEVENT_BUTTONDOWN, kInside);
    EXPECT_EQ(PaintedMiddle(option), kRed) << "options never show pushed";
    Send(option, UIEVENT_BUTTONUP, kInside);
    EXPECT_EQ(PaintedMiddle(option), kGreen);
    Send(option, UIEVENT_MOUSEENTER, kInside);
    EXPECT_EQ(PaintedMiddle(option), kBlue) << "selected and hot";
    option->Selected(false);
    EXPECT_EQ(PaintedMiddle(option), kGrey);
}

TEST_F(OptionPaint, SelectedBackgroundAndTextColour) {
    COptionUI* option = AddOption(L"normalimage=\"red.png\" selectedbkcolor=\"#FF00FF00\" text=\"MMMMMM\" "
                                  L"textcolor=\"#FF000000\" selectedtextcolor=\"#FF0000FF\" "
                                  L"foreimage=\"file='grey.png' dest='0,0,4,4'\"");
    Layout(200, 100);
    option->Selected(true);
    EXPECT_EQ(PaintedMiddle(option), kGreen);
    EXPECT_EQ(canvas.Rgb(1, 1), kGrey) << "the fore image is drawn last";
    EXPECT_GT(CountNear(canvas, canvas.Bounds(), kBlue, 40), 5);
    EXPECT_EQ(CountNear(canvas, canvas.Bounds(), 0x000000, 40), 0);
}
