#include "UiLib/core/ToolTip.h"

#include "UiLib/Utils/LibraryFunction.h"
#include "UiLib/render/UIResource.h"

namespace UiLib {
namespace {

constexpr UINT kDefaultHoverTime = 400;

// The common controls are loaded for the first tooltip only: most windows never show one, and
// loading them at start costs every window's start time and memory.
bool LoadToolTipClass() {
    static const bool loaded = [] {
        using InitFunction = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
        auto init = LibraryFunction<InitFunction>(L"comctl32.dll", "InitCommonControlsEx");
        INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES};
        return init && init(&controls) != FALSE;
    }();
    return loaded;
}

// The system's tooltip font, made for `dpi`; null where the system cannot tell it for a DPI.
HFONT CreateToolTipFont(UINT dpi) {
    using ParametersForDpiFn = BOOL(WINAPI*)(UINT, UINT, void*, UINT, UINT);
    static const auto parametersForDpi =
        LibraryFunction<ParametersForDpiFn>(L"user32.dll", "SystemParametersInfoForDpi");
    if (!parametersForDpi) return nullptr;
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    if (!parametersForDpi(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0, dpi)) return nullptr;
    return ::CreateFontIndirectW(&metrics.lfStatusFont);
}

int SystemDpi() {
    using DpiForSystemFn = UINT(WINAPI*)();
    static const auto dpiForSystem = LibraryFunction<DpiForSystemFn>(L"user32.dll", "GetDpiForSystem");
    return dpiForSystem ? static_cast<int>(dpiForSystem()) : CDpiScale::kSkinDpi;
}

}  // namespace

UINT CToolTip::HoverTime() const {
    if (!window_) return kDefaultHoverTime;
    return static_cast<UINT>(::SendMessageW(window_.Get(), TTM_GETDELAYTIME, TTDT_INITIAL, 0));
}

void CToolTip::FollowDpi(CDpiScale scale) {
    if (scale == fontScale_) return;
    fontScale_ = scale;
    CFontHandle font(scale.Dpi() == SystemDpi() ? nullptr : CreateToolTipFont(static_cast<UINT>(scale.Dpi())));
    // Without a font of its own the tooltip goes back to the system's; the old one goes once replaced.
    ::SendMessageW(window_.Get(), WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), FALSE);
    font_ = std::move(font);
}

void CToolTip::Show(HWND owner, const std::wstring& text, const RECT& area, CDpiScale scale) {
    text_ = text;
    info_ = TOOLINFOW{};
    info_.cbSize = TTTOOLINFOW_V2_SIZE;
    info_.uFlags = TTF_IDISHWND;
    info_.hwnd = owner;
    info_.uId = reinterpret_cast<UINT_PTR>(owner);
    info_.hinst = CResourceConfig::GetInstance();
    info_.lpszText = &text_[0];
    info_.rect = area;
    if (!window_) {
        if (!LoadToolTipClass()) return;
        window_.Reset(::CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                                        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                                        CResourceConfig::GetInstance(), nullptr));
        if (!window_) return;
        ::SendMessageW(window_.Get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info_));
        fontScale_ = CDpiScale(SystemDpi());
    }
    FollowDpi(scale);
    ::SendMessageW(window_.Get(), TTM_SETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&info_));
    ::SendMessageW(window_.Get(), TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&info_));
}

void CToolTip::Hide() {
    if (window_) ::SendMessageW(window_.Get(), TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&info_));
}

}  // namespace UiLib
