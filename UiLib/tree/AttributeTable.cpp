#include "UiLib/tree/AttributeTable.h"

#include <windows.h>

#include <algorithm>

namespace UiLib {

void CAttributeTable::AddErased(const std::wstring& name, ErasedFunction set) { setters_[name] = set; }

bool CAttributeTable::Apply(CControlUI& control, const std::wstring& name, const std::wstring& value) const {
    for (const CAttributeTable* table = this; table; table = table->parent_) {
        auto found = table->setters_.find(name);
        if (found == table->setters_.end()) continue;
        table->call_(found->second, table->after_, control, value);
        return true;
    }
    return false;
}

bool CAttributeTable::Knows(const std::wstring& name) const {
    for (const CAttributeTable* table = this; table; table = table->parent_)
        if (table->setters_.count(name)) return true;
    return false;
}

std::vector<std::wstring> CAttributeTable::Names() const {
    std::vector<std::wstring> names;
    for (const CAttributeTable* table = this; table; table = table->parent_)
        for (const auto& entry : table->setters_) names.push_back(entry.first);
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}

#ifdef NDEBUG
void ReportUnknownAttribute(const wchar_t*, const std::wstring&) {}
#else
void ReportUnknownAttribute(const wchar_t* className, const std::wstring& name) {
    std::wstring message = std::wstring(L"UiLib: ") + className + L" has no attribute \"" + name + L"\"\n";
    ::OutputDebugStringW(message.c_str());
}
#endif

}  // namespace UiLib
