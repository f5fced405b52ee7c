#include "app/DialogBuilderCallbackEx.h"

#include <cwchar>

#include "games/MyGameWndUI.h"

std::unique_ptr<UiLib::CControlUI> CDialogBuilderCallbackEx::CreateControlForTag(const wchar_t* tag) {
    if (tag == nullptr) return nullptr;
    if (std::wcscmp(tag, L"MyGameWnd") == 0)
        return std::make_unique<CMyGameWndUI>(manager_, games_, history_, windowTasks_);
    return nullptr;
}
