#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "UiLib/core/WindowImplBase.h"
#include "shared/SkinnedDialogFrame.h"
#include "tests/support/WindowPixels.h"

// A window built from one of the program's layouts (its packed skin), as a window test drives it:
// shown without taking the focus, repainted at once, pointed at and clicked through messages.
class ProgramLayoutWindow : public UiLib::WindowImplBase {
public:
    ~ProgramLayoutWindow() override {
        if (::IsWindow(window_)) ::DestroyWindow(window_);
    }

    // A size of zero leaves the window the size its layout gives.
    HWND CreateShown(int width = 0, int height = 0) {
        UiLib::CPaintManagerUI::SetInstance(::GetModuleHandleW(nullptr));
        HWND window = Create(nullptr, L"layout", WS_POPUP, 0, 0, 0, width, height);
        if (!window) return nullptr;
        ::ShowWindow(window, SW_SHOWNOACTIVATE);
        Repaint();
        return window;
    }
    void Pump() {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
    }
    void Repaint() {
        ::RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        Pump();
    }
    UiLib::CControlUI* Find(const wchar_t* name) { return paintManager_.FindControl(name); }
    UiLib::CPaintManagerUI& Manager() { return paintManager_; }
    uint32_t PixelAt(int x, int y) { return ClientRgb(window_, x, y); }
    void ClickAt(POINT point) {
        LPARAM at = MAKELPARAM(point.x, point.y);
        ::SendMessageW(window_, WM_MOUSEMOVE, 0, at);
        ::SendMessageW(window_, WM_LBUTTONDOWN, MK_LBUTTON, at);
        ::SendMessageW(window_, WM_LBUTTONUP, 0, at);
        Pump();
    }

protected:
    explicit ProgramLayoutWindow(std::wstring layout) : layout_(std::move(layout)) {}
    std::wstring GetSkinFolder() override { return L"skin\\"; }
    std::wstring GetSkinFile() override { return layout_; }
    UiLib::UILIB_RESOURCETYPE GetResourceType() const override { return UiLib::UILIB_ZIPRESOURCE; }
    LPCWSTR GetResourceID() const override { return MAKEINTRESOURCEW(SkinnedDialogFrame::kProgramSkinResource); }
    void OnClick(UiLib::UiNotify&) override {}

private:
    std::wstring layout_;
};
