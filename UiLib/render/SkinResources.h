#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "UiLib/Utils/StringMap.h"
#include "UiLib/Utils/UiColor.h"
#include "UiLib/render/DpiScale.h"
#include "UiLib/render/GdiObject.h"
#include "UiLib/render/UIImage.h"

namespace UiLib {

// One font of a skin: the handle with its description and, once measured, its metrics. The size is
// the skin's, in 96-DPI pixels; the handle is made at the DPI of the windows that draw with it.
struct TFontInfo {
    CFontHandle font;
    std::wstring faceName;
    int size = 0;
    bool bold = false;
    bool underline = false;
    bool italic = false;
    TEXTMETRICW tm{};
    bool measured = false;
};

// What the windows of one skin draw with: its fonts (the default one and the custom ones by index),
// the image cache, the default attribute lists per control and the default colours. A window that
// opens on behalf of another (a sub-menu) shares that window's object, so it lives while either
// window uses it. Its fonts are made for one DPI: windows on different DPIs draw with objects of
// their own.
class CSkinResources : public std::enable_shared_from_this<CSkinResources> {
public:
    // Starts with the system's GUI font (under the configured default face name, if any).
    CSkinResources();
    CSkinResources(const CSkinResources&) = delete;
    CSkinResources& operator=(const CSkinResources&) = delete;

    CDpiScale GetDpiScale() const { return scale_; }
    // Makes every font again for that DPI; each keeps its index, its handle changes.
    void SetDpiScale(CDpiScale scale);
    // A new object with the same fonts, default lists and colours, its fonts made for `scale`
    // (the images load again as they are drawn).
    std::shared_ptr<CSkinResources> CopyFor(CDpiScale scale) const;

    HFONT AddFont(const std::wstring& face, int size, bool bold, bool underline, bool italic);
    // The custom font of that index, or for an index out of range the default font.
    HFONT GetFont(int index);
    HFONT FindFont(const std::wstring& face, int size, bool bold, bool underline, bool italic) const;
    int FontCount() const { return static_cast<int>(fonts_.size()); }
    const TFontInfo& GetFontInfo(int index);
    // The font of that handle; the default font for one that is not the skin's.
    const TFontInfo& GetFontInfo(HFONT font);
    const TFontInfo& GetDefaultFontInfo();
    void SetDefaultFont(const std::wstring& face, int size, bool bold, bool underline, bool italic);

    UiColor GetDefaultDisabledColor() const { return disabledColor_; }
    void SetDefaultDisabledColor(UiColor color) { disabledColor_ = color; }
    UiColor GetDefaultFontColor() const { return fontColor_; }
    void SetDefaultFontColor(UiColor color) { fontColor_ = color; }
    UiColor GetDefaultLinkFontColor() const { return linkColor_; }
    void SetDefaultLinkFontColor(UiColor color) { linkColor_ = color; }
    UiColor GetDefaultLinkHoverFontColor() const { return linkHoverColor_; }
    void SetDefaultLinkHoverFontColor(UiColor color) { linkHoverColor_ = color; }
    UiColor GetDefaultSelectedBkColor() const { return selectedColor_; }
    void SetDefaultSelectedBkColor(UiColor color) { selectedColor_ = color; }

    // The image cache, keyed by the name as the skin writes it and by the DPI scale of the window
    // that draws it: the nearest of the picture's renders that exists (see PictureRender.h), made
    // smaller for a DPI between two renders, so that windows of one skin on displays of different
    // DPI each draw their own. Where no render is made smaller, DPIs share one record.
    const TImageInfo* GetImage(const std::wstring& name, const CDpiScale& dpi = CDpiScale());
    const TImageInfo* GetImageEx(const std::wstring& name, const std::wstring& resourceType = std::wstring(),
                                 UiColor mask = 0, const CDpiScale& dpi = CDpiScale());
    const TImageInfo* AddImage(const std::wstring& name, const std::wstring& resourceType = std::wstring(),
                               UiColor mask = 0, const CDpiScale& dpi = CDpiScale());
    void RemoveAllImages();

    // The attribute list every control of that tag starts from.
    void AddDefaultAttributeList(const std::wstring& controlName, const std::wstring& list);
    std::wstring GetDefaultAttributeList(const std::wstring& controlName);

private:
    std::unique_ptr<TFontInfo> CreateFontInfo(const std::wstring& face, int size, bool bold, bool underline,
                                              bool italic) const;
    std::unique_ptr<TFontInfo> RecreateFontInfo(const TFontInfo& info) const;
    static TFontInfo& MeasuredFont(TFontInfo& info);
    std::shared_ptr<TImageInfo> FirstRender(const std::wstring& name, const std::wstring& resourceType, UiColor mask);
    std::shared_ptr<TImageInfo> NearestRender(const std::wstring& name, const std::wstring& resourceType, UiColor mask,
                                              const CDpiScale& dpi);

    CDpiScale scale_;
    std::vector<std::unique_ptr<TFontInfo>> fonts_;
    std::unique_ptr<TFontInfo> defaultFont_;
    // A record is shared by the keys of every DPI scale that draws it unchanged.
    CStringMap<std::shared_ptr<TImageInfo>> images_;
    CStringMap<std::wstring> defaultAttributes_;

    UiColor disabledColor_ = 0xFFA7A6AA;
    UiColor fontColor_ = 0xFF000000;
    UiColor linkColor_ = 0xFF0000FF;
    UiColor linkHoverColor_ = 0xFFD3215F;
    UiColor selectedColor_ = 0xFFBAE4FF;
};

}  // namespace UiLib
