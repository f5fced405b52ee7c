#pragma once
#include <initializer_list>
#include <string>
#include <unordered_map>
#include <vector>

namespace UiLib {

class CControlUI;

// The attributes a layout may give one control class: each name with the setter that parses its
// value, and the table of the parent class behind them for every name the class does not set itself.
class CAttributeTable {
public:
    template <typename Control>
    using Setter = void (*)(Control& control, const std::wstring& value);

    template <typename Control>
    struct Entry {
        const wchar_t* name;
        Setter<Control> set;
    };

    // The setters take the class itself, so that they read like its own member functions. `after`,
    // when given, runs after each of these setters (not the parent's), e.g. to repaint.
    template <typename Control>
    static CAttributeTable Of(const CAttributeTable* parent, std::initializer_list<Entry<Control>> entries,
                              void (*after)(Control& control) = nullptr) {
        CAttributeTable table(parent, &Call<Control>, reinterpret_cast<ErasedFunction>(after));
        for (const Entry<Control>& entry : entries) table.Add<Control>(entry.name, entry.set);
        return table;
    }

    // For names made up from parts ("thumbhotimage"), added while the table of `Control` is built.
    template <typename Control>
    void Add(const std::wstring& name, Setter<Control> set) {
        AddErased(name, reinterpret_cast<ErasedFunction>(set));
    }

    // Sets `name` on `control`, whose class has this table; false when no class in the chain knows it.
    bool Apply(CControlUI& control, const std::wstring& name, const std::wstring& value) const;
    bool Knows(const std::wstring& name) const;
    // Every name of the class and its parents, sorted.
    std::vector<std::wstring> Names() const;

private:
    // Every function pointer converts to this type and back unchanged; the table of one class
    // keeps its setters so, and only Call<Control> of that class turns them back.
    using ErasedFunction = void (*)();
    using Caller = void (*)(ErasedFunction set, ErasedFunction after, CControlUI& control, const std::wstring& value);

    template <typename Control>
    static void Call(ErasedFunction set, ErasedFunction after, CControlUI& control, const std::wstring& value) {
        Control& typed = static_cast<Control&>(control);
        reinterpret_cast<Setter<Control>>(set)(typed, value);
        if (after) reinterpret_cast<void (*)(Control&)>(after)(typed);
    }

    CAttributeTable(const CAttributeTable* parent, Caller call, ErasedFunction after)
        : parent_(parent), call_(call), after_(after) {}
    void AddErased(const std::wstring& name, ErasedFunction set);

    const CAttributeTable* parent_;
    Caller call_;
    ErasedFunction after_;
    std::unordered_map<std::wstring, ErasedFunction> setters_;
};

// Debug builds tell the debugger of a name the class does not know (usually a misspelt attribute
// in a layout); release builds stay silent.
void ReportUnknownAttribute(const wchar_t* className, const std::wstring& name);

}  // namespace UiLib
