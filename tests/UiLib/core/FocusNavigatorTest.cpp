#include "UiLib/core/FocusNavigator.h"

#include <gtest/gtest.h>

#include <vector>

#include "UiLib/tree/UIControl.h"

using namespace UiLib;

namespace {

class Stop : public CControlUI {
public:
    explicit Stop(bool tabStop) : tabStop_(tabStop) {}
    UINT GetControlFlags() const override { return tabStop_ ? static_cast<UINT>(UIFLAG_TABSTOP) : 0u; }

private:
    bool tabStop_;
};

}  // namespace

TEST(FocusNavigator, TabWalksTheTabStopsForwardWithWrapAndBackWithout) {
    Stop text(false), a(true), between(false), b(true), last(false);
    const std::vector<CControlUI*> order{&text, &a, &between, &b, &last};

    EXPECT_EQ(NextTabStop(order, nullptr, true), &a) << "without focus, the first tab stop";
    EXPECT_EQ(NextTabStop(order, &text, true), &a);
    EXPECT_EQ(NextTabStop(order, &a, true), &b) << "what is no tab stop is passed over";
    EXPECT_EQ(NextTabStop(order, &b, true), &a) << "from the last tab stop round to the first";
    EXPECT_EQ(NextTabStop(order, &last, true), &a);

    EXPECT_EQ(NextTabStop(order, &b, false), &a);
    EXPECT_EQ(NextTabStop(order, &last, false), &b);
    EXPECT_EQ(NextTabStop(order, &a, false), nullptr) << "nothing precedes the first tab stop";
    EXPECT_EQ(NextTabStop(order, nullptr, false), &b) << "a focus not in the order counts as after the end";

    EXPECT_EQ(NextTabStop({&text, &last}, nullptr, true), nullptr);
    EXPECT_EQ(NextTabStop({}, nullptr, true), nullptr);
}
