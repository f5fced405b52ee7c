#include "shared/SkinnedDialogFrame.h"

#include "UiLib/controls/UIControl.h"
#include "UiLib/core/GdiObject.h"
#include "UiLib/core/UIManager.h"
#include "UiLib/core/UIResource.h"

namespace SkinnedDialogFrame {
namespace {

void ApplyRoundCorners(HWND window, UiLib::CPaintManagerUI& manager) {
    SIZE corner = manager.GetRoundCorner();
    if (corner.cx == 0 && corner.cy == 0) return;
    RECT bounds{};
    ::GetWindowRect(window, &bounds);
    ::OffsetRect(&bounds, -bounds.left, -bounds.top);
    UiLib::CRegionHandle region(::CreateRoundRectRgn(0, 0, bounds.right + 1, bounds.bottom + 1, corner.cx, corner.cy));
    // The system owns the region once the window has it.
    if (region && ::SetWindowRgn(window, region.Get(), TRUE)) region.Release();
}

}  // namespace

bool HandleMessage(HWND window, UiLib::CPaintManagerUI& manager, UiLib::CaptionClicks clicks, UINT message, WPARAM wParam,
                   LPARAM lParam, LRESULT& result) {
    result = 0;
    switch (message) {
    case WM_SIZE:
        if (wParam != SIZE_MINIMIZED) ApplyRoundCorners(window, manager);
        return false;
    case WM_NCCALCSIZE:
    case WM_NCPAINT:
        return true;
    case WM_NCHITTEST:
        result = UiLib::CaptionHitTest(
            window, manager, POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))}, clicks);
        return true;
    case WM_NCACTIVATE:
        if (::IsIconic(window)) return false;
        result = wParam == 0 ? TRUE : FALSE;
        return true;
    default:
        return false;
    }
}

bool SelectProgramSkin() {
    // The first archive of the process stays; asking again changes nothing.
    if (UiLib::CPaintManagerUI::GetResourceZip() == UiLib::CResourceConfig::kMemoryArchiveName) return true;
    // A module without the archive keeps whatever skin configuration it has.
    UiLib::ModuleResource archive = UiLib::FindModuleResource(MAKEINTRESOURCEW(kProgramSkinResource), L"ZIPRES");
    if (archive.data == nullptr || archive.size == 0) return false;
    UiLib::CPaintManagerUI::SetResourcePath((UiLib::CPaintManagerUI::GetInstancePath() + L"skin\\").c_str());
    return UiLib::CResourceConfig::SetResourceZipFromModule(MAKEINTRESOURCEW(kProgramSkinResource), L"ZIPRES");
}

LONG FramelessStyle(HWND window, LONG removed) {
    LONG style = static_cast<LONG>(::GetWindowLongPtrW(window, GWL_STYLE));
    return (style & ~removed) | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
}

}  // namespace SkinnedDialogFrame
