#pragma once
#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "UiLib/tree/UINotify.h"

namespace UiLib {

// Dispatches notifications through a message map per class: each class's table is chained to
// its base class's, and an entry names the notification type, the sender (empty: any) and the
// handler. Named virtual windows have their own pumps.
class CNotifyPump {
public:
    using Handler = std::function<void(CNotifyPump&, UiNotify&)>;

    struct MapEntry {
        std::wstring type;
        std::wstring controlName;
        Handler handler;
    };

    struct NotifyMap {
        const NotifyMap* base;
        std::vector<MapEntry> entries;
    };

    virtual ~CNotifyPump() = default;

    bool AddVirtualWnd(const std::wstring& name, CNotifyPump* pump);
    bool RemoveVirtualWnd(const std::wstring& name);
    // The virtual window the notification names gets it first, else this pump's own map.
    void NotifyPump(UiNotify& msg);
    // Runs the handler this class's map chain has for the notification; false if there is none.
    bool LoopDispatch(UiNotify& msg);

    // The empty map that every chain ends in.
    static const NotifyMap kNotifyMap;

protected:
    virtual const NotifyMap* GetNotifyMap() const;

    // An entry whose handler takes the notification.
    template <typename Pump>
    static MapEntry OnNotify(const wchar_t* type, const wchar_t* controlName, void (Pump::*handler)(UiNotify&)) {
        return MapEntry{type, controlName, [handler](CNotifyPump& pump, UiNotify& msg) {
                            (static_cast<Pump&>(pump).*handler)(msg);
                        }};
    }
    // An entry whose handler takes the notification's two parameters.
    template <typename Pump>
    static MapEntry OnParams(const wchar_t* type, const wchar_t* controlName, void (Pump::*handler)(WPARAM, LPARAM)) {
        return MapEntry{type, controlName, [handler](CNotifyPump& pump, UiNotify& msg) {
                            (static_cast<Pump&>(pump).*handler)(msg.wParam, msg.lParam);
                        }};
    }

private:
    std::map<std::wstring, CNotifyPump*> virtualWnds_;
};

}  // namespace UiLib
