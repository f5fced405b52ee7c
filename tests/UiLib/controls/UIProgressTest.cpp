#include "UiLib/controls/UIProgress.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "UiLib/core/UIDlgBuilder.h"
#include "tests/UiLib/controls/ControlFixture.h"
#include "tests/UiLib/support/SkinFolder.h"

using namespace UiLib;

namespace {

constexpr uint32_t kBlue = 0x0000FF;
constexpr uint32_t kRed = 0xFF0000;
constexpr uint32_t kGreen = 0x00FF00;

// Bars built from layout text by the builder, as a skin would name them, and painted on a canvas.
class ProgressTest : public ::testing::Test, public ControlFixture {
protected:
    CProgressUI* Build(const std::wstring& attributes) {
        CDialogBuilder builder;
        std::unique_ptr<CControlUI> built =
            builder.Create(CDialogBuilder::Layout(L"<Window><Progress " + attributes + L"/></Window>"), nullptr,
                           nullptr, &manager);
        auto* bar = built ? static_cast<CProgressUI*>(built->GetInterface(L"Progress")) : nullptr;
        if (bar) root->Add(std::move(built));
        return bar;
    }
    // Paints the bar alone on a white canvas.
    void Paint(CProgressUI* bar) {
        Layout(100, 20);
        canvas.Fill(0xFFFFFF);
        bar->DoPaint(canvas.DC(), canvas.Bounds());
    }

    SkinFolder skin;
    TestCanvas canvas{100, 20};
};

}  // namespace

TEST_F(ProgressTest, TheForeColourFillsTheShareOfTheRangeOverTheBackground) {
    CProgressUI* bar = Build(L"float=\"true\" pos=\"0,0,100,20\" min=\"100\" max=\"300\" value=\"150\" "
                             L"bkcolor=\"#FF0000FF\" forecolor=\"#FFFF0000\"");
    ASSERT_NE(bar, nullptr);
    EXPECT_STREQ(bar->GetClass(), L"ProgressUI");
    Paint(bar);
    EXPECT_EQ(CountNear(canvas, RECT{0, 0, 25, 20}, kRed, 0), 25 * 20) << "a quarter of the range is done";
    EXPECT_EQ(CountNear(canvas, RECT{25, 0, 100, 20}, kBlue, 0), 75 * 20);

    bar->SetValue(1000);
    Paint(bar);
    EXPECT_EQ(CountNear(canvas, canvas.Bounds(), kRed, 0), 100 * 20) << "a value past max fills the bar";
    bar->SetValue(-5);
    Paint(bar);
    EXPECT_EQ(CountNear(canvas, canvas.Bounds(), kBlue, 0), 100 * 20) << "a value below min leaves it empty";
    bar->SetValue(200);
    bar->SetMaxValue(100);
    Paint(bar);
    EXPECT_EQ(CountNear(canvas, canvas.Bounds(), kBlue, 0), 100 * 20) << "an empty range shows an empty bar";
}

TEST_F(ProgressTest, AnUprightBarShowsItsForeImageFromTheBottomUp) {
    skin.AddPng(L"fill.png", 2, 2, {0xFF00FF00, 0xFF00FF00, 0xFF00FF00, 0xFF00FF00});
    CProgressUI* bar = Build(L"float=\"true\" pos=\"0,0,100,20\" horizontal=\"false\" value=\"75\" "
                             L"bkcolor=\"#FF0000FF\" foreimage=\"fill.png\"");
    ASSERT_NE(bar, nullptr);
    EXPECT_FALSE(bar->IsHorizontal());
    EXPECT_EQ(bar->GetMaxValue(), 100) << "the range is 0 to 100 unless the layout says otherwise";
    Paint(bar);
    EXPECT_EQ(CountNear(canvas, RECT{0, 0, 100, 5}, kBlue, 0), 100 * 5);
    EXPECT_EQ(CountNear(canvas, RECT{0, 5, 100, 20}, kGreen, 0), 100 * 15);
}
