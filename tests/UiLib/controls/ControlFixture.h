#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "UiLib/core/UIManager.h"
#include "UiLib/layouts/UIVerticalLayout.h"
#include "tests/UiLib/support/TestCanvas.h"

// Receives a window's notifications for the tests to read.
class NotifyRecorder : public UiLib::INotifyUI {
public:
    void Notify(UiLib::UiNotify& msg) override { received.push_back(msg); }
    // How many notifications of `type` arrived (from `sender`, when one is given).
    int Count(const std::wstring& type, UiLib::CControlUI* sender = nullptr) const;
    // The types in arrival order.
    std::vector<std::wstring> Types() const;

    std::vector<UiLib::UiNotify> received;
};

// An event as the window would deliver it: type, mouse point and key parameters.
UiLib::UiEvent MakeEvent(uint32_t type, POINT point = POINT{}, WPARAM wParam = 0, LPARAM lParam = 0);
UiLib::UiEvent MakeKeyEvent(uint32_t type, wchar_t key);

// Sends an event to a control through its event entry.
void Send(UiLib::CControlUI* control, uint32_t type, POINT point = POINT{}, WPARAM wParam = 0, LPARAM lParam = 0);
// Button down at `down` and up at `up`.
void Click(UiLib::CControlUI* control, POINT down, POINT up);
void Click(UiLib::CControlUI* control, POINT at);

// How many pixels of the canvas inside `area` are near `rgb`.
int CountNear(const TestCanvas& canvas, const RECT& area, uint32_t rgb, int tolerance = 24);
// Text is antialiased: a pixel counts as ink of `rgb` when it lies well over half-way to it
// from a white background.
inline int CountInk(const TestCanvas& canvas, const RECT& area, uint32_t rgb) {
    return CountNear(canvas, area, rgb, 110);
}

// A window-less manager with a vertical layout root; children are added with attribute lists.
class ControlFixture {
public:
    ControlFixture();

    template <typename Control>
    Control* Add(const std::wstring& attributes = std::wstring(), UiLib::CContainerUI* parent = nullptr) {
        auto child = std::make_unique<Control>();
        Control* raw = child.get();
        // Attributes are applied while the control knows its manager, as the builder does.
        raw->SetManager(&manager, nullptr, false);
        raw->ApplyAttributeList(attributes);
        (parent ? parent : root)->Add(std::move(child));
        return raw;
    }

    // Lays the tree out in a client rectangle of that size.
    void Layout(int width, int height);

    UiLib::CPaintManagerUI manager;
    NotifyRecorder recorder;
    UiLib::CVerticalLayoutUI* root = nullptr;
};
