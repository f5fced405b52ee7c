// Linked into every test program: a control looked up under a wrong name or as the wrong type
// fails the test that looked it up, instead of the null the program would carry on with.
#include <gtest/gtest.h>

#include "UiLib/tree/ControlLookup.h"

namespace {

const bool kMissesFail = [] {
    UiLib::SetControlLookupMissHandler(
        [](const UiLib::ControlLookupMiss& miss) { ADD_FAILURE() << UiLib::DescribeControlLookupMiss(miss); });
    return true;
}();

}  // namespace
