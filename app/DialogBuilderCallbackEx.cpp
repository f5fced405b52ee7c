#include "app/DialogBuilderCallbackEx.h"

#include <cwchar>

#include "games/MyGameWndUI.h"
#include "online/MyIEWndUI.h"

std::unique_ptr<UiLib::CControlUI> CDialogBuilderCallbackEx::CreateControlForTag(const wchar_t* tag) {
    if (tag == nullptr) return nullptr;
    if (std::wcscmp(tag, L"MyGameWnd") == 0) return std::make_unique<CMyGameWndUI>();
    if (std::wcscmp(tag, L"IEWndUI") == 0) return std::make_unique<CMyIEWndUI>(manager_);
    return nullptr;
}
