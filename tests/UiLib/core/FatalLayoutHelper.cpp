// Started by the window tests: a skinned window whose layout does not exist, which is fatal.
#include <windows.h>

#include "UiLib/core/UIManager.h"
#include "UiLib/core/WindowImplBase.h"

namespace {

class BrokenWindow : public UiLib::WindowImplBase {
protected:
    const wchar_t* GetWindowClassName() const override { return L"UiLibBrokenWindow"; }
    std::wstring GetSkinFolder() override { return L"no-such-skin\\"; }
    std::wstring GetSkinFile() override { return L"missing.xml"; }
};

}  // namespace

int main() {
    UiLib::CPaintManagerUI::SetInstance(::GetModuleHandleW(nullptr));
    BrokenWindow window;
    window.Create(nullptr, L"broken", WS_POPUP, 0, 0, 0, 100, 100);
    // Not reached: creating the window ends the process.
    return 0;
}
