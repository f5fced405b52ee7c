#pragma once
#include <functional>
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
    using Setter = std::function<void(CControlUI&, const std::wstring&)>;

    template <typename Control>
    struct Entry {
        const wchar_t* name;
        void (*set)(Control& control, const std::wstring& value);
    };

    // The setters take the class itself, so that they read like its own member functions. `after`,
    // when given, runs after each of these setters (not the parent's), e.g. to repaint.
    template <typename Control>
    static CAttributeTable Of(const CAttributeTable* parent, std::initializer_list<Entry<Control>> entries,
                              void (*after)(Control& control) = nullptr) {
        CAttributeTable table(parent);
        for (const Entry<Control>& entry : entries) {
            auto set = entry.set;
            if (after) table.Add<Control>(entry.name, [set, after](Control& control, const std::wstring& value) {
                set(control, value);
                after(control);
            });
            else table.Add<Control>(entry.name, set);
        }
        return table;
    }

    // For names made up from parts ("thumbhotimage"): added one by one while the table is built.
    template <typename Control>
    void Add(const std::wstring& name, std::function<void(Control&, const std::wstring&)> set) {
        setters_[name] = [set = std::move(set)](CControlUI& control, const std::wstring& value) {
            set(static_cast<Control&>(control), value);
        };
    }

    // Sets `name` on `control`, whose class has this table; false when no class in the chain knows it.
    bool Apply(CControlUI& control, const std::wstring& name, const std::wstring& value) const;
    bool Knows(const std::wstring& name) const;
    // Every name of the class and its parents, sorted.
    std::vector<std::wstring> Names() const;

private:
    explicit CAttributeTable(const CAttributeTable* parent) : parent_(parent) {}
    const Setter* Find(const std::wstring& name) const;

    const CAttributeTable* parent_;
    std::unordered_map<std::wstring, Setter> setters_;
};

// Debug builds tell the debugger of a name the class does not know (usually a misspelt attribute
// in a layout); release builds stay silent.
void ReportUnknownAttribute(const wchar_t* className, const std::wstring& name);

}  // namespace UiLib
