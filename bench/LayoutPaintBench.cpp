#include "bench/LayoutPaintBench.h"

#include <windows.h>

#include <cstdio>
#include <memory>

#include "UiLib/core/UIManager.h"
#include "UiLib/layouts/UIHorizontalLayout.h"
#include "UiLib/layouts/UITabLayout.h"
#include "UiLib/layouts/UIVerticalLayout.h"
#include "UiLib/render/DibSection.h"
#include "UiLib/render/ScopedDC.h"
#include "bench/FrameRate.h"

using namespace UiLib;

namespace {

constexpr RECT kClient{0, 0, 970, 660};

// The picture is read through the bare-path fallback, whatever archive is configured.
std::wstring WritePicture(const std::string& picture) {
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    std::wstring path = std::wstring(folder) + L"ludora_bench_button.png";
    std::unique_ptr<void, decltype(&CloseHandle)> file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr), &CloseHandle);
    DWORD written = 0;
    if (file.get() != INVALID_HANDLE_VALUE)
        WriteFile(file.get(), picture.data(), static_cast<DWORD>(picture.size()), &written, nullptr);
    else
        file.release();
    return path;
}

template <typename Control>
Control* Add(CContainerUI& parent, const std::wstring& attributes) {
    auto control = std::make_unique<Control>();
    control->ApplyAttributeList(attributes);
    Control* raw = control.get();
    parent.Add(std::move(control));
    return raw;
}

// A main window like the program's: caption buttons, a tab row, a scrolled game column and a
// tabbed content area full of tiles.
std::unique_ptr<CVerticalLayoutUI> BuildTree(const std::wstring& image, int& controls, CControlUI*& hovered) {
    const std::wstring button = L"bkimage=\"file='" + image + L"' corner='2,2,2,2'\"";
    auto root = std::make_unique<CVerticalLayoutUI>();
    root->ApplyAttributeList(L"bkcolor=\"#FFF4F8FC\" bordercolor=\"#FF3C7DB4\" bordersize=\"1\"");
    controls = 1;
    auto* caption = Add<CHorizontalLayoutUI>(*root, L"height=\"32\" bkcolor=\"#FF2F6FA8\" bkcolor2=\"#FF4A8CC8\"");
    for (int i = 0; i < 8; ++i)
        Add<CControlUI>(*caption, L"float=\"true\" pos=\"" + std::to_wstring(700 + i * 30) + L",4,0,0\" width=\"24\" height=\"24\" " + button);
    auto* tabs = Add<CHorizontalLayoutUI>(*root, L"height=\"40\" childpadding=\"4\" inset=\"10,4,10,4\"");
    for (int i = 0; i < 6; ++i) Add<CControlUI>(*tabs, L"width=\"100\" " + button);
    auto* body = Add<CHorizontalLayoutUI>(*root, L"");
    auto* games = Add<CVerticalLayoutUI>(*body, L"width=\"200\" bkcolor=\"#FFECF7FD\" childpadding=\"15\" inset=\"5,0,0,0\" vscrollbar=\"true\"");
    for (int i = 0; i < 60; ++i) {
        CControlUI* game = Add<CControlUI>(*games, L"height=\"36\" bkcolor=\"#80FFFFFF\" bordercolor=\"#FF85E4FF\" bordersize=\"1\" " + button);
        if (i == 2) hovered = game;
    }
    auto* pages = Add<CTabLayoutUI>(*body, L"inset=\"8,8,8,8\"");
    auto* grid = Add<CVerticalLayoutUI>(*pages, L"childpadding=\"6\"");
    for (int row = 0; row < 10; ++row) {
        auto* line = Add<CHorizontalLayoutUI>(*grid, L"height=\"44\" childpadding=\"6\"");
        for (int column = 0; column < 10; ++column)
            Add<CControlUI>(*line, (column % 3 == 0 ? L"bkcolor=\"#40000000\" " : L"bkcolor=\"#FFFFFFFF\" ") + button);
    }
    Add<CVerticalLayoutUI>(*pages, L"bkcolor=\"#FFFFFFFF\"");
    Add<CVerticalLayoutUI>(*pages, L"bkcolor=\"#FFFFFFFF\"");
    Add<CControlUI>(*root, L"height=\"24\" bkcolor=\"#FFDDE7F0\" bordercolor=\"#FFB0C4D8\" bordersize=\"0,1,0,0\"");
    controls += 1 + 8 + 1 + 6 + 1 + 1 + 60 + 1 + 1 + 10 * 11 + 2 + 1;
    return root;
}

}  // namespace

void BenchLayoutAndPaint(const std::string& picture) {
    std::wstring image = WritePicture(picture);
    CPaintManagerUI manager;
    int controls = 0;
    CControlUI* hovered = nullptr;
    std::unique_ptr<CVerticalLayoutUI> owned = BuildTree(image, controls, hovered);
    CVerticalLayoutUI* root = owned.get();
    manager.AttachDialog(std::move(owned));

    CDibSection surface(kClient.right, kClient.bottom);
    CMemoryDC dc(nullptr);
    CSelectObject select(dc.Get(), surface.Get());
    auto fullFrame = [&] {
        root->NeedUpdate();
        manager.Paint(dc.Get(), kClient, kClient);
    };
    fullFrame();  // decodes the picture once, as a window's first paint does

    const double full = FramesPerSecond(fullFrame);
    const double paintOnly = FramesPerSecond([&] { manager.Paint(dc.Get(), kClient, kClient); });
    // Moving the pointer onto a button repaints that button's rectangle and nothing else.
    const RECT button = hovered->GetPos();
    const double hover = FramesPerSecond([&] { manager.Paint(dc.Get(), kClient, button); });
    std::printf("Layout + paint of a 970x660 window tree of %d controls into an off-screen DIB\n", controls);
    std::printf("  full frame (layout and paint)  %7.1f frames per second (target 150 or more)\n", full);
    std::printf("  paint only                     %7.1f frames per second\n", paintOnly);
    std::printf("  one button's rectangle         %7.1f repaints per second: %.1f times a full frame (target 10)\n",
                hover, hover / full);
    DeleteFileW(image.c_str());
}
