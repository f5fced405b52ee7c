#pragma once
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "UiLib/core/UIManager.h"
#include "UiLib/tree/UIControl.h"

// A control that records every event reaching it and answers with configurable control flags.
class EventLog : public UiLib::CControlUI {
public:
    explicit EventLog(UINT flags = 0) : flags_(flags) {}

    UINT GetControlFlags() const override { return flags_; }
    void DoEvent(UiLib::UiEvent& event) override {
        events.push_back(event);
        UiLib::CControlUI::DoEvent(event);
    }

    int Count(uint32_t type) const {
        return static_cast<int>(std::count_if(events.begin(), events.end(),
                                              [type](const UiLib::UiEvent& e) { return e.Type == type; }));
    }
    const UiLib::UiEvent* Last(uint32_t type) const {
        for (auto it = events.rbegin(); it != events.rend(); ++it)
            if (it->Type == type) return &*it;
        return nullptr;
    }
    std::vector<uint32_t> Types() const {
        std::vector<uint32_t> types;
        for (const UiLib::UiEvent& e : events) types.push_back(e.Type);
        return types;
    }

    std::vector<UiLib::UiEvent> events;

private:
    UINT flags_;
};

// A push button in miniature: a tab stop that sends "click" when the press ends over it.
class ClickProbe : public EventLog {
public:
    ClickProbe() : EventLog(UiLib::UIFLAG_TABSTOP | UiLib::UIFLAG_SETCURSOR) {}

    UiLib::UiCaptionRole GetCaptionRole() const override { return UiLib::UiCaptionRole::Button; }
    bool Activate() override {
        if (!UiLib::CControlUI::Activate()) return false;
        manager_->SendNotify(this, L"click");
        return true;
    }
    void DoEvent(UiLib::UiEvent& event) override {
        if (event.Type == UiLib::UIEVENT_BUTTONDOWN) pressed_ = true;
        if (event.Type == UiLib::UIEVENT_BUTTONUP) {
            if (pressed_ && ::PtInRect(&GetPos(), event.ptMouse)) Activate();
            pressed_ = false;
        }
        EventLog::DoEvent(event);
    }

private:
    bool pressed_ = false;
};

// Static text: its shortcut leads to the control after it.
class LabelProbe : public EventLog {
public:
    bool HandsShortcutOn() const override { return true; }
};

// Records notifications; an optional hook runs inside Notify.
class NotifyLog : public UiLib::INotifyUI {
public:
    void Notify(UiLib::UiNotify& msg) override {
        received.push_back(msg);
        if (hook) hook(msg);
    }
    std::vector<std::wstring> Types() const {
        std::vector<std::wstring> types;
        for (const UiLib::UiNotify& msg : received) types.push_back(msg.sType);
        return types;
    }
    int Count(const std::wstring& type) const {
        return static_cast<int>(std::count_if(received.begin(), received.end(),
                                              [&type](const UiLib::UiNotify& msg) { return msg.sType == type; }));
    }

    std::vector<UiLib::UiNotify> received;
    std::function<void(UiLib::UiNotify&)> hook;
};

// A real top-level window whose procedure hands every message to its paint manager first, and
// a message pump that pre-translates like the framework's message loop.
class ManagerWindow {
public:
    ManagerWindow(RECT bounds, DWORD style = WS_POPUP, HWND owner = nullptr);
    ~ManagerWindow();
    ManagerWindow(const ManagerWindow&) = delete;
    ManagerWindow& operator=(const ManagerWindow&) = delete;

    HWND Get() const { return window_; }
    void Show();
    // Handles what is queued for this thread, waiting at most `milliseconds` for `done`.
    bool PumpUntil(const std::function<bool()>& done, DWORD milliseconds);
    void Pump() { PumpUntil([] { return false; }, 0); }
    // Messages that reached the window procedure after the manager let them pass.
    std::vector<UINT> passedOn;

    UiLib::CPaintManagerUI manager;

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND window_ = nullptr;
};

// Screen coordinates of a client point of a window.
POINT ToScreen(HWND window, POINT client);
LPARAM ClientPoint(int x, int y);

// Real input through the system's input stack: the pointer moves (absolute screen position) and
// the left button goes down or up where the pointer is.
void SendMouseMove(POINT screen);
void SendLeftButton(bool down);
