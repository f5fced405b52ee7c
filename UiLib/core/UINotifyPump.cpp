#include "UiLib/core/UINotifyPump.h"

#include "UiLib/tree/UIControl.h"

namespace UiLib {

const CNotifyPump::NotifyMap CNotifyPump::kNotifyMap{nullptr, {}};

const CNotifyPump::NotifyMap* CNotifyPump::GetNotifyMap() const { return &kNotifyMap; }

bool CNotifyPump::AddVirtualWnd(const std::wstring& name, CNotifyPump* pump) {
    if (!pump || name.empty()) return false;
    return virtualWnds_.emplace(name, pump).second;
}

bool CNotifyPump::RemoveVirtualWnd(const std::wstring& name) { return virtualWnds_.erase(name) > 0; }

void CNotifyPump::NotifyPump(UiNotify& msg) {
    if (!msg.sVirtualWnd.empty()) {
        auto found = virtualWnds_.find(msg.sVirtualWnd);
        if (found != virtualWnds_.end() && found->second->LoopDispatch(msg)) return;
    }
    LoopDispatch(msg);
}

bool CNotifyPump::LoopDispatch(UiNotify& msg) {
    const std::wstring sender = msg.pSender ? msg.pSender->GetName() : std::wstring();
    // A class's entry for the sender by name wins; otherwise its entry for any sender; otherwise
    // the base class is asked.
    for (const NotifyMap* map = GetNotifyMap(); map; map = map->base) {
        const MapEntry* fallback = nullptr;
        for (const MapEntry& entry : map->entries) {
            if (entry.type != msg.sType) continue;
            if (entry.controlName.empty()) {
                if (!fallback) fallback = &entry;
            } else if (entry.controlName == sender) {
                entry.handler(*this, msg);
                return true;
            }
        }
        if (fallback) {
            fallback->handler(*this, msg);
            return true;
        }
    }
    return false;
}

}  // namespace UiLib
