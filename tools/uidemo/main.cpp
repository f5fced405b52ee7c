// A small program that shows the framework at work: one skinned window built from a layout in
// its own skin archive, with buttons, options, labels, a check box and pictures.
#include <windows.h>

#include "UiLib/core/UIManager.h"
#include "UiLib/core/WindowImplBase.h"

namespace {

using namespace UiLib;

class DemoWindow : public WindowImplBase {
protected:
    const wchar_t* GetWindowClassName() const override { return L"LudoraUiDemo"; }
    std::wstring GetSkinFolder() override { return L"skin\\"; }
    std::wstring GetSkinFile() override { return L"demo.xml"; }
    UILIB_RESOURCETYPE GetResourceType() const override { return UILIB_ZIPRESOURCE; }
    LPCWSTR GetResourceID() const override { return MAKEINTRESOURCEW(130); }

    const NotifyMap* GetNotifyMap() const override {
        static const NotifyMap map{WindowImplBase::GetNotifyMap(),
                                   {OnNotify(L"click", L"okbtn", &DemoWindow::OnOk),
                                    OnNotify(L"click", L"cancelbtn", &DemoWindow::OnCancel)}};
        return &map;
    }

    void OnFinalMessage(HWND window) override {
        WindowImplBase::OnFinalMessage(window);
        ::PostQuitMessage(0);
    }

private:
    void OnOk(UiNotify&) { Close(IDOK); }
    void OnCancel(UiNotify&) { Close(IDCANCEL); }
};

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    CPaintManagerUI::SetInstance(instance);
    DemoWindow window;
    if (!window.Create(nullptr, L"Ludora 界面演示", WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX, 0, 0, 0, 0, 0))
        return 1;
    window.CenterWindow();
    window.ShowWindow();
    return CPaintManagerUI::MessageLoop();
}
