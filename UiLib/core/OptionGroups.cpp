#include "UiLib/core/OptionGroups.h"

namespace UiLib {

bool COptionGroups::Add(const std::wstring& group, CControlUI* option) {
    if (group.empty() || !option) return false;
    CPtrArray<CControlUI*>* members = groups_.Find(group);
    if (!members) {
        groups_.Insert(group, CPtrArray<CControlUI*>());
        members = groups_.Find(group);
    }
    if (members->IndexOf(option) >= 0) return false;
    members->Add(option);
    return true;
}

const CPtrArray<CControlUI*>* COptionGroups::Find(const std::wstring& group) { return groups_.Find(group); }

void COptionGroups::Remove(const std::wstring& group, CControlUI* option) {
    CPtrArray<CControlUI*>* members = groups_.Find(group);
    if (!members) return;
    members->TakeAt(members->IndexOf(option));
    if (members->IsEmpty()) groups_.Remove(group);
}

}  // namespace UiLib
