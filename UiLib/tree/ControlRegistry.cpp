#include "UiLib/tree/ControlRegistry.h"

#include <map>

#include "UiLib/tree/UIControl.h"

namespace UiLib {
namespace {

// Filled by the registrations while the program starts, read-only afterwards; built on first use so
// that it exists whatever order the files' registrations run in.
std::map<std::wstring, CControlRegistry::Factory>& Factories() {
    static std::map<std::wstring, CControlRegistry::Factory> factories;
    return factories;
}

}  // namespace

bool CControlRegistry::Register(const std::wstring& tag, Factory make) {
    Factories()[tag] = make;
    return true;
}

std::unique_ptr<CControlUI> CControlRegistry::Create(const std::wstring& tag) {
    auto found = Factories().find(tag);
    return found == Factories().end() ? nullptr : found->second();
}

std::vector<std::wstring> CControlRegistry::Tags() {
    std::vector<std::wstring> tags;
    for (const auto& entry : Factories()) tags.push_back(entry.first);
    return tags;
}

}  // namespace UiLib
