#pragma once
#include <functional>
#include <string>
#include <typeinfo>

#include "UiLib/tree/UIControl.h"

namespace UiLib {

// A control asked for by name that is not there, or not of the type asked for: a misspelt name in
// code or skin, which would otherwise fail silently.
struct ControlLookupMiss {
    std::wstring name;
    const std::type_info& wanted;
    const CControlUI* found;  // null when no control has the name
};

using ControlLookupMissHandler = std::function<void(const ControlLookupMiss& miss)>;

// Replaces what is told about every miss and returns what was told before; a null handler restores
// the program's own, which writes the miss to the debugger output. The test programs make a miss
// fail the test.
ControlLookupMissHandler SetControlLookupMissHandler(ControlLookupMissHandler handler);
void ReportControlLookupMiss(const ControlLookupMiss& miss);
// "no control named 'tabs'", "'tabs' is a ButtonUI, not UiLib::CTabLayoutUI".
std::wstring DescribeControlLookupMiss(const ControlLookupMiss& miss);

// The control found under `name` as a T, or null after reporting the miss.
template <typename T>
T* ControlAs(CControlUI* control, const std::wstring& name) {
    if (auto* typed = dynamic_cast<T*>(control)) return typed;
    ReportControlLookupMiss(ControlLookupMiss{name, typeid(T), control});
    return nullptr;
}

}  // namespace UiLib
