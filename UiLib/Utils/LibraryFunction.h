#pragma once
#include <windows.h>

namespace UiLib {

// A function of a system library, loaded when first wanted rather than at start; null when the
// library or the function is missing. The library stays loaded for the life of the process.
template <typename Function>
Function LibraryFunction(const wchar_t* library, const char* name) {
    HMODULE module = ::LoadLibraryW(library);
    FARPROC address = module ? ::GetProcAddress(module, name) : nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(address));
}

// Binds `function` to the function `name` of a loaded `library`; false when either is missing.
template <typename Function>
bool BindLibraryFunction(HMODULE library, const char* name, Function& function) {
    FARPROC address = library ? ::GetProcAddress(library, name) : nullptr;
    function = reinterpret_cast<Function>(reinterpret_cast<void (*)()>(address));
    return function != nullptr;
}

}  // namespace UiLib
