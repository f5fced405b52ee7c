#include "UiLib/render/SkinResources.h"

#include "UiLib/render/PictureRender.h"
#include "UiLib/render/ScopedDC.h"
#include "UiLib/render/UIResource.h"

namespace UiLib {

CSkinResources::CSkinResources() {
    LOGFONTW logFont{};
    ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(logFont), &logFont);
    std::wstring face = CResourceConfig::GetDefaultFontName();
    if (face.empty()) face = logFont.lfFaceName;
    // The system's font is sized for the screen's DPI; kept, like a skin's fonts, in 96-DPI pixels.
    CWindowDC screen(nullptr);
    const int screenDpi = screen.Get() ? ::GetDeviceCaps(screen.Get(), LOGPIXELSY) : CDpiScale::kSkinDpi;
    int size = CDpiScale(screenDpi).Unscale(logFont.lfHeight < 0 ? -logFont.lfHeight : logFont.lfHeight);
    defaultFont_ = CreateFontInfo(face, size, logFont.lfWeight >= FW_BOLD, logFont.lfUnderline != 0,
                                  logFont.lfItalic != 0);
}

std::unique_ptr<TFontInfo> CSkinResources::CreateFontInfo(const std::wstring& face, int size, bool bold,
                                                          bool underline, bool italic) const {
    LOGFONTW logFont{};
    ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(logFont), &logFont);
    lstrcpynW(logFont.lfFaceName, face.c_str(), LF_FACESIZE);
    logFont.lfCharSet = DEFAULT_CHARSET;
    logFont.lfHeight = -scale_.ScaleFontSize(size);
    if (bold) logFont.lfWeight += FW_BOLD;
    logFont.lfUnderline = underline ? TRUE : FALSE;
    logFont.lfItalic = italic ? TRUE : FALSE;
    auto info = std::make_unique<TFontInfo>();
    info->font.Reset(::CreateFontIndirectW(&logFont));
    info->faceName = face;
    info->size = size;
    info->bold = bold;
    info->underline = underline;
    info->italic = italic;
    return info;
}

std::unique_ptr<TFontInfo> CSkinResources::RecreateFontInfo(const TFontInfo& info) const {
    return CreateFontInfo(info.faceName, info.size, info.bold, info.underline, info.italic);
}

void CSkinResources::SetDpiScale(CDpiScale scale) {
    if (scale == scale_) return;
    scale_ = scale;
    defaultFont_ = RecreateFontInfo(*defaultFont_);
    for (auto& info : fonts_) info = RecreateFontInfo(*info);
}

std::shared_ptr<CSkinResources> CSkinResources::CopyFor(CDpiScale scale) const {
    auto copy = std::make_shared<CSkinResources>();
    copy->scale_ = scale;
    copy->defaultFont_ = copy->RecreateFontInfo(*defaultFont_);
    for (const auto& info : fonts_) copy->fonts_.push_back(copy->RecreateFontInfo(*info));
    defaultAttributes_.ForEach(
        [&copy](const std::wstring& name, const std::wstring& list) { copy->defaultAttributes_.Insert(name, list); });
    copy->disabledColor_ = disabledColor_;
    copy->fontColor_ = fontColor_;
    copy->linkColor_ = linkColor_;
    copy->linkHoverColor_ = linkHoverColor_;
    copy->selectedColor_ = selectedColor_;
    return copy;
}

TFontInfo& CSkinResources::MeasuredFont(TFontInfo& info) {
    if (info.measured) return info;
    // A skin's windows share one screen, so its DC measures for all of them.
    CWindowDC dc(nullptr);
    CSelectObject select(dc.Get(), info.font.Get());
    ::GetTextMetricsW(dc.Get(), &info.tm);
    info.measured = true;
    return info;
}

HFONT CSkinResources::AddFont(const std::wstring& face, int size, bool bold, bool underline, bool italic) {
    std::unique_ptr<TFontInfo> info = CreateFontInfo(face, size, bold, underline, italic);
    HFONT font = info->font.Get();
    if (!font) return nullptr;
    fonts_.push_back(std::move(info));
    return font;
}

HFONT CSkinResources::GetFont(int index) {
    if (index >= 0 && index < FontCount()) return fonts_[index]->font.Get();
    return defaultFont_->font.Get();
}

HFONT CSkinResources::FindFont(const std::wstring& face, int size, bool bold, bool underline, bool italic) const {
    for (const auto& info : fonts_) {
        if (info->size == size && info->bold == bold && info->underline == underline && info->italic == italic &&
            lstrcmpiW(info->faceName.c_str(), face.c_str()) == 0)
            return info->font.Get();
    }
    return nullptr;
}

const TFontInfo& CSkinResources::GetFontInfo(int index) {
    if (index >= 0 && index < FontCount()) return MeasuredFont(*fonts_[index]);
    return GetDefaultFontInfo();
}

const TFontInfo& CSkinResources::GetFontInfo(HFONT font) {
    for (auto& info : fonts_)
        if (info->font.Get() == font) return MeasuredFont(*info);
    return GetDefaultFontInfo();
}

const TFontInfo& CSkinResources::GetDefaultFontInfo() { return MeasuredFont(*defaultFont_); }

void CSkinResources::SetDefaultFont(const std::wstring& face, int size, bool bold, bool underline, bool italic) {
    std::unique_ptr<TFontInfo> info = CreateFontInfo(face, size, bold, underline, italic);
    if (info->font) defaultFont_ = std::move(info);
}

namespace {

// A record serves the windows of one DPI scale; the 96-DPI one keeps the bare name as its key, and a
// character no file name may hold sets the others apart.
std::wstring ImageKey(const std::wstring& name, const CDpiScale& dpi) {
    const int percent = PicturePercentForDpi(dpi);
    return percent == 100 ? name : name + L'|' + std::to_wstring(percent);
}

}  // namespace

const TImageInfo* CSkinResources::GetImage(const std::wstring& name, const CDpiScale& dpi) {
    std::shared_ptr<TImageInfo>* entry = images_.Find(ImageKey(name, dpi));
    return entry ? entry->get() : nullptr;
}

const TImageInfo* CSkinResources::GetImageEx(const std::wstring& name, const std::wstring& resourceType,
                                             UiColor mask, const CDpiScale& dpi) {
    if (const TImageInfo* image = GetImage(name, dpi)) return image;
    return AddImage(name, resourceType, mask, dpi);
}

std::shared_ptr<TImageInfo> CSkinResources::FirstRender(const std::wstring& name, const std::wstring& resourceType,
                                                        UiColor mask) {
    if (std::shared_ptr<TImageInfo>* existing = images_.Find(name)) return *existing;
    std::shared_ptr<TImageInfo> image =
        LoadImageRecord(name, resourceType.empty() ? nullptr : resourceType.c_str(), mask);
    if (!image) return nullptr;
    image->resourceType = resourceType;
    image->mask = mask;
    images_.Insert(name, image);
    return image;
}

std::shared_ptr<TImageInfo> CSkinResources::NearestRender(const std::wstring& name, const std::wstring& resourceType,
                                                          UiColor mask, const CDpiScale& dpi) {
    for (int percent : PreferredPictureRenders(dpi)) {
        // Module resources have no further renders; the 1x record is shared by every DPI that finds no other.
        std::shared_ptr<TImageInfo> image;
        if (percent == 100) image = FirstRender(name, resourceType, mask);
        else if (resourceType.empty()) image = LoadImageRender(name, percent, mask);
        if (image) return image;
    }
    return nullptr;
}

const TImageInfo* CSkinResources::AddImage(const std::wstring& name, const std::wstring& resourceType,
                                           UiColor mask, const CDpiScale& dpi) {
    if (name.empty()) return nullptr;
    const std::wstring key = ImageKey(name, dpi);
    if (std::shared_ptr<TImageInfo>* existing = images_.Find(key)) return existing->get();
    std::shared_ptr<TImageInfo> image = NearestRender(name, resourceType, mask, dpi);
    if (!image) return nullptr;
    // A larger render is made smaller once, smoothly, rather than at every paint by a blit that
    // drops pixels; a smaller one is stretched when drawn, which loses nothing and keeps no copy.
    const int percent = PicturePercentForDpi(dpi);
    if (image->renderPercent > percent) {
        std::shared_ptr<TImageInfo> scaled =
            ResampleImage(*image, ::MulDiv(image->width, percent, image->renderPercent),
                          ::MulDiv(image->height, percent, image->renderPercent));
        if (scaled) {
            scaled->renderPercent = percent;
            image = std::move(scaled);
        }
    }
    images_.Insert(key, image);
    return image.get();
}

void CSkinResources::RemoveAllImages() { images_.RemoveAll(); }

void CSkinResources::AddDefaultAttributeList(const std::wstring& controlName, const std::wstring& list) {
    defaultAttributes_.Insert(controlName, list);
}

std::wstring CSkinResources::GetDefaultAttributeList(const std::wstring& controlName) {
    const std::wstring* list = defaultAttributes_.Find(controlName);
    return list ? *list : std::wstring();
}

}  // namespace UiLib
