// The attributes of a layout's <Window> root: the window's size, frame, opacity, default colours,
// focus indicator and tray icon.
#include "UiLib/core/UIManager.h"

#include "UiLib/Utils/AttributeValue.h"
#include "UiLib/Utils/LibraryFunction.h"

namespace UiLib {
namespace {

// The notification area shows icons at the system's small icon size for the DPI; the icon is read
// at that size rather than shrunk by the shell from the large one.
int SmallIconSize(const CDpiScale& dpi) {
    using MetricsForDpi = int(WINAPI*)(int, UINT);
    static const auto metricsForDpi = LibraryFunction<MetricsForDpi>(L"user32.dll", "GetSystemMetricsForDpi");
    if (metricsForDpi) return metricsForDpi(SM_CXSMICON, static_cast<UINT>(dpi.Dpi()));
    // Systems without it scale their metrics for the one DPI they have.
    return ::GetSystemMetrics(SM_CXSMICON);
}

void CreateTrayIcon(CPaintManagerUI* manager, long id) {
    if (id < 1) return;
    const int size = SmallIconSize(manager->GetDpiScale());
    CIconHandle icon(static_cast<HICON>(
        ::LoadImageW(CPaintManagerUI::GetInstance(), MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
    if (icon) manager->AddTrayIconSoon(static_cast<UINT>(id), std::move(icon));
}

}  // namespace

void CPaintManagerUI::SetWindowAttribute(const std::wstring& name, const wchar_t* value) {
    if (name == L"size") {
        SIZE size = ParseSizeValue(value);
        SetInitSize(size.cx, size.cy);
    } else if (name == L"sizebox") {
        SetSizeBox(ParseRectValue(value));
    } else if (name == L"caption") {
        SetCaptionRect(ParseRectValue(value));
    } else if (name == L"roundcorner") {
        SIZE corner = ParseSizeValue(value);
        SetRoundCorner(corner.cx, corner.cy);
    } else if (name == L"mininfo") {
        SIZE size = ParseSizeValue(value);
        SetMinInfo(size.cx, size.cy);
    } else if (name == L"maxinfo") {
        SIZE size = ParseSizeValue(value);
        SetMaxInfo(size.cx, size.cy);
    } else if (name == L"showdirty") {
        SetShowUpdateRect(ParseBoolValue(value));
    } else if (name == L"alpha") {
        SetTransparent(ParseIntValue(value));
    } else if (name == L"bktrans") {
        SetBackgroundTransparent(ParseBoolValue(value));
    } else if (name == L"disabledfontcolor") {
        SetDefaultDisabledColor(ParseColorValue(value));
    } else if (name == L"defaultfontcolor") {
        SetDefaultFontColor(ParseColorValue(value));
    } else if (name == L"linkfontcolor") {
        SetDefaultLinkFontColor(ParseColorValue(value));
    } else if (name == L"linkhoverfontcolor") {
        SetDefaultLinkHoverFontColor(ParseColorValue(value));
    } else if (name == L"selectedcolor") {
        SetDefaultSelectedBkColor(ParseColorValue(value));
    } else if (name == L"focusbordercolor") {
        focusIndicator_.SetColor(ParseColorValue(value));
    } else if (name == L"focuspadding") {
        focusIndicator_.SetInset(ParseRectValue(value));
    } else if (name == L"trayiconid") {
        CreateTrayIcon(this, ParseIntValue(value));
    } else if (name == L"traytiptext") {
        GetTrayIcon().SetTip(value);
    }
}

}  // namespace UiLib
