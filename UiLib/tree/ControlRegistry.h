#pragma once
#include <memory>
#include <string>
#include <vector>

namespace UiLib {

class CControlUI;

// The layout tags and the control classes they make ("Button" makes a CButtonUI). Each control
// registers its own tag in its own source file with UILIB_REGISTER_CONTROL; the dialog builder asks
// here. Tags are compared exactly.
class CControlRegistry {
public:
    using Factory = std::unique_ptr<CControlUI> (*)();

    // Returns true so that a registration can initialise a static at start-up.
    static bool Register(const std::wstring& tag, Factory make);
    // A new control for `tag`, or null for a tag nobody registered.
    static std::unique_ptr<CControlUI> Create(const std::wstring& tag);
    // Every registered tag, sorted.
    static std::vector<std::wstring> Tags();
};

// The factory a registration stores for a default-constructible control class.
template <typename Control>
std::unique_ptr<CControlUI> MakeControl() {
    return std::make_unique<Control>();
}
}  // namespace UiLib

#define UILIB_REGISTRATION_NAME_(line) kControlRegisteredAtLine##line
#define UILIB_REGISTRATION_NAME(line) UILIB_REGISTRATION_NAME_(line)
// Registers `Class` (default-constructible) under the layout tag `tag` while the program starts.
// The libraries holding registrations are linked whole, since nothing else may refer to their files.
#define UILIB_REGISTER_CONTROL(tag, Class)                           \
    [[maybe_unused]] static const bool UILIB_REGISTRATION_NAME(__LINE__) = \
        ::UiLib::CControlRegistry::Register(tag, &::UiLib::MakeControl<Class>)
