#pragma once
#include <string>

#include "UiLib/Utils/PtrArray.h"
#include "UiLib/Utils/StringMap.h"

namespace UiLib {

class CControlUI;

// The option groups of one window: the options sharing a group name, in the order they joined.
// Adding an option that is already in the group fails; a group that loses its last option goes.
class COptionGroups {
public:
    bool Add(const std::wstring& group, CControlUI* option);
    const CPtrArray<CControlUI*>* Find(const std::wstring& group);
    void Remove(const std::wstring& group, CControlUI* option);
    void RemoveAll() { groups_.RemoveAll(); }

private:
    CStringMap<CPtrArray<CControlUI*>> groups_;
};

}  // namespace UiLib
