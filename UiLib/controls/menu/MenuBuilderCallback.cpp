#include "UiLib/controls/menu/MenuBuilderCallback.h"

#include <cwchar>

#include "UiLib/controls/menu/MenuElementUI.h"
#include "UiLib/controls/menu/MenuUI.h"

namespace UiLib {

std::unique_ptr<CControlUI> CMenuBuilderCallback::CreateControlForTag(const wchar_t* tag) {
    if (!tag) return nullptr;
    if (_wcsicmp(tag, L"Menu") == 0) return std::make_unique<CMenuUI>();
    if (_wcsicmp(tag, L"MenuElement") == 0) return std::make_unique<CMenuElementUI>();
    return nullptr;
}

}  // namespace UiLib
