#pragma once
#include <windows.h>

namespace UiLib {

// A system library by its bare name, from the system folder only: a library of the same name in
// the program's folder or the working folder is never loaded in its place.
inline HMODULE LoadSystemLibrary(const wchar_t* name) {
    return ::LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
}

// Binds `function` to the function `name` of a loaded `library`; false when either is missing.
template <typename Function>
bool BindLibraryFunction(HMODULE library, const char* name, Function& function) {
    FARPROC address = library ? ::GetProcAddress(library, name) : nullptr;
    function = reinterpret_cast<Function>(reinterpret_cast<void (*)()>(address));
    return function != nullptr;
}

// A function of a system library, loaded when first wanted rather than at start; null when the
// library or the function is missing. The library stays loaded for the life of the process.
template <typename Function>
Function LibraryFunction(const wchar_t* library, const char* name) {
    Function function;
    BindLibraryFunction(LoadSystemLibrary(library), name, function);
    return function;
}

// The function table `Table` of `library`, filled by `bind` once, by whichever thread asks first;
// null when the library or one of its functions is missing. One library per table type; the
// library is never unloaded.
template <typename Table>
const Table* LibraryTable(const wchar_t* library, bool (*bind)(HMODULE, Table&)) {
    static const Table* const table = [&] {
        static Table bound{};
        return bind(LoadSystemLibrary(library), bound) ? &bound : nullptr;
    }();
    return table;
}

}  // namespace UiLib
