#pragma once
#include <memory>
#include <string>

namespace UiLib {

class CControlUI;

// The framework's control classes by class name ("CButtonUI"): the one table through which a
// layout's tags become controls.
class CControlFactory {
public:
    // A new control of the registered class, or null for a name that is not registered.
    static std::unique_ptr<CControlUI> CreateControl(const std::string& className);
    static bool IsRegistered(const std::string& className);
    // The class name a layout tag stands for: "C" + tag + "UI"; empty when the tag is not plain
    // ASCII, since no class could have that name.
    static std::string ClassNameForTag(const std::wstring& tag);
};

}  // namespace UiLib
