#include "UiLib/tree/ControlLookup.h"

#include <cxxabi.h>
#include <windows.h>

#include <cstdlib>
#include <memory>

namespace UiLib {
namespace {

void LogToDebugger(const ControlLookupMiss& miss) {
    ::OutputDebugStringW((L"UiLib: " + DescribeControlLookupMiss(miss) + L"\n").c_str());
}

ControlLookupMissHandler& MissHandler() {
    static ControlLookupMissHandler handler = LogToDebugger;
    return handler;
}

std::wstring TypeName(const std::type_info& type) {
    int status = 0;
    std::unique_ptr<char, decltype(&std::free)> readable(abi::__cxa_demangle(type.name(), nullptr, nullptr, &status),
                                                          &std::free);
    const std::string name = status == 0 && readable ? readable.get() : type.name();
    return std::wstring(name.begin(), name.end());
}

}  // namespace

ControlLookupMissHandler SetControlLookupMissHandler(ControlLookupMissHandler handler) {
    ControlLookupMissHandler previous = std::move(MissHandler());
    MissHandler() = handler ? std::move(handler) : LogToDebugger;
    return previous;
}

void ReportControlLookupMiss(const ControlLookupMiss& miss) { MissHandler()(miss); }

std::wstring DescribeControlLookupMiss(const ControlLookupMiss& miss) {
    if (!miss.found) return L"no control named '" + miss.name + L"'";
    return L"'" + miss.name + L"' is a " + miss.found->GetClass() + L", not " + TypeName(miss.wanted);
}

}  // namespace UiLib
