#include "UiLib/menu/MenuBuilderCallback.h"

#include <cwchar>

#include "UiLib/menu/MenuElementUI.h"
#include "UiLib/menu/MenuUI.h"

namespace UiLib {

CMenuBuilderCallback::CMenuBuilderCallback(std::shared_ptr<CMenuChain> chain) : chain_(std::move(chain)) {}

std::unique_ptr<CControlUI> CMenuBuilderCallback::CreateControlForTag(const wchar_t* tag) {
    if (!tag) return nullptr;
    if (_wcsicmp(tag, L"Menu") == 0) {
        auto menu = std::make_unique<CMenuUI>();
        menu->SetChain(chain_);
        return menu;
    }
    if (_wcsicmp(tag, L"MenuElement") == 0) return std::make_unique<CMenuElementUI>();
    return nullptr;
}

}  // namespace UiLib
