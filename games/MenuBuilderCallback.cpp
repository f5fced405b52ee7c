#include "games/MenuBuilderCallback.h"

#include <cwchar>

#include "games/MenuElementUI.h"
#include "games/MenuUI.h"

std::unique_ptr<UiLib::CControlUI> CMenuBuilderCallback::CreateControlForTag(const wchar_t* tag) {
    if (!tag) return nullptr;
    if (_wcsicmp(tag, L"Menu") == 0) return std::make_unique<CMenuUI>();
    if (_wcsicmp(tag, L"MenuElement") == 0) return std::make_unique<CMenuElementUI>();
    return nullptr;
}
