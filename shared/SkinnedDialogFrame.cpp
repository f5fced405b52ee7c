#include "shared/SkinnedDialogFrame.h"

#include "UiLib/core/UIManager.h"
#include "UiLib/render/UIResource.h"

namespace SkinnedDialogFrame {

bool SelectProgramSkin() {
    // The first archive of the process stays; asking again changes nothing.
    if (UiLib::CPaintManagerUI::GetResourceZip() == UiLib::CResourceConfig::kMemoryArchiveName) return true;
    // A module without the archive keeps whatever skin configuration it has.
    UiLib::ModuleResource archive = UiLib::FindModuleResource(MAKEINTRESOURCEW(kProgramSkinResource), L"ZIPRES");
    if (archive.data == nullptr || archive.size == 0) return false;
    UiLib::CPaintManagerUI::SetResourcePath((UiLib::CPaintManagerUI::GetInstancePath() + L"skin\\").c_str());
    return UiLib::CResourceConfig::SetResourceZipFromModule(MAKEINTRESOURCEW(kProgramSkinResource), L"ZIPRES");
}

UiLib::SkinnedWindowOptions ProgramDialog(const wchar_t* layout, LONG removedStyle, UiLib::CaptionClicks clicks) {
    UiLib::SkinnedWindowOptions options;
    options.layout = UiLib::CDialogBuilder::Layout(layout);
    options.frame = UiLib::FrameKind::Skinned;
    options.removedStyle = removedStyle;
    options.captionClicks = clicks;
    options.selectSkin = &SelectProgramSkin;
    options.missingLayout = UiLib::MissingLayout::EmptyWindow;
    return options;
}

}  // namespace SkinnedDialogFrame
