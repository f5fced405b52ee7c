#include "UiLib/tree/AttributeTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "UiLib/tree/ControlRegistry.h"
#include "UiLib/tree/UIControl.h"

using namespace UiLib;

namespace {

std::vector<std::wstring> AttributesOf(const wchar_t* tag) {
    std::unique_ptr<CControlUI> control = CControlRegistry::Create(tag);
    return control ? control->GetAttributeTable().Names() : std::vector<std::wstring>();
}

// The names of `all` that `base` does not have.
std::vector<std::wstring> Beyond(const std::vector<std::wstring>& all, const std::vector<std::wstring>& base) {
    std::vector<std::wstring> own;
    std::set_difference(all.begin(), all.end(), base.begin(), base.end(), std::back_inserter(own));
    return own;
}

bool Includes(const std::vector<std::wstring>& all, const std::vector<std::wstring>& part) {
    return std::includes(all.begin(), all.end(), part.begin(), part.end());
}

}  // namespace

// Each class lists its own attributes with its parents' behind them.
TEST(AttributeTableTest, EachClassListsItsOwnAttributesOverItsParents) {
    const auto control = AttributesOf(L"Control");
    const auto label = AttributesOf(L"Label");
    const auto button = AttributesOf(L"Button");
    const auto container = AttributesOf(L"Container");
    const auto vertical = AttributesOf(L"VerticalLayout");
    EXPECT_EQ(control.size(), 41u);
    for (const wchar_t* name :
         {L"pos", L"bkcolor1", L"leftbordersize", L"style", L"virtualwnd", L"accname", L"accdescription"})
        EXPECT_NE(std::find(control.begin(), control.end(), name), control.end()) << name;
    EXPECT_EQ(Beyond(label, control), (std::vector<std::wstring>{L"align", L"disabledtextcolor", L"endellipsis",
                                                                   L"font", L"showhtml", L"textcolor", L"textpadding"}));
    EXPECT_EQ(Beyond(AttributesOf(L"Option"), button),
              (std::vector<std::wstring>{L"group", L"selected", L"selectedbkcolor", L"selectedhotimage",
                                         L"selectedimage", L"selectedtextcolor"}));
    EXPECT_EQ(Beyond(AttributesOf(L"Progress"), label),
              (std::vector<std::wstring>{L"forecolor", L"foreimage", L"horizontal", L"max", L"min", L"value"}));
    EXPECT_EQ(Beyond(AttributesOf(L"TabLayout"), container), std::vector<std::wstring>{L"selectedid"});
    EXPECT_EQ(Beyond(AttributesOf(L"ScrollBar"), control).size(), 6u + 5u * 4u) << "an image per part and state";
    EXPECT_EQ(Beyond(AttributesOf(L"ListLabelElement"), control), std::vector<std::wstring>{L"selected"});

    EXPECT_TRUE(Includes(button, label));
    EXPECT_TRUE(Includes(AttributesOf(L"List"), vertical));
    EXPECT_TRUE(Includes(AttributesOf(L"ListContainerElement"), container));
    EXPECT_TRUE(Includes(AttributesOf(L"WebBrowser"), AttributesOf(L"ActiveX")));
    for (const std::wstring& tag : CControlRegistry::Tags())
        EXPECT_TRUE(Includes(AttributesOf(tag.c_str()), control)) << tag;
}

// A class's own setter wins over its parent's of the same name; an unknown name changes nothing.
TEST(AttributeTableTest, TheClassSetterComesBeforeItsParentsAndUnknownNamesAreIgnored) {
    std::unique_ptr<CControlUI> edit = CControlRegistry::Create(L"Edit");
    std::unique_ptr<CControlUI> plain = CControlRegistry::Create(L"Control");
    ASSERT_TRUE(edit && plain);
    EXPECT_TRUE(edit->GetAttributeTable().Knows(L"normalimage"));
    EXPECT_FALSE(plain->GetAttributeTable().Knows(L"normalimage"));
    EXPECT_FALSE(plain->GetAttributeTable().Knows(L"Width")) << "names are compared exactly";
    plain->SetAttribute(L"Width", L"40");
    plain->SetAttribute(L"width", L"30");
    plain->SetAttribute(L"enabledeffect", L"true");
    EXPECT_EQ(plain->GetFixedWidth(), 30);
}
