// The attributes of a layout's <Window> root: the window's size, frame, opacity, default colours,
// focus indicator and tray icon.
#include "UiLib/core/UIManager.h"

#include "UiLib/Utils/AttributeValue.h"

namespace UiLib {
namespace {

void CreateTrayIcon(CPaintManagerUI* manager, long id) {
    if (id < 1) return;
    HICON icon = ::LoadIconW(CPaintManagerUI::GetInstance(), MAKEINTRESOURCEW(id));
    if (icon) manager->AddTrayIconSoon(static_cast<UINT>(id), icon);
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
