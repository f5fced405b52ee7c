#include "UiLib/core/WindowImplBase.h"

#include "UiLib/core/UIDlgBuilder.h"
#include "UiLib/render/UIResource.h"
#include "UiLib/tree/UIControl.h"

namespace UiLib {

WindowImplBase::WindowImplBase()
    : CSkinnedWindow([this] {
          SkinnedWindowOptions options;
          options.classStyle = CS_DBLCLKS;
          options.frame = FrameKind::SkinnedMaximizable;
          options.removedStyle = WS_CAPTION;
          options.refresh = FrameRefresh::FitToClient;
          options.captionClicks = CaptionClicks::ButtonsOptionsAndText;
          options.selectSkin = [this] { return SelectSkinSource(); };
          options.missingLayout = MissingLayout::EndProcess;
          options.transparentBackground = true;
          options.notifier = this;
          options.preMessageFilter = this;
          return options;
      }()) {}

const CNotifyPump::NotifyMap* WindowImplBase::GetNotifyMap() const {
    static const NotifyMap map{&CNotifyPump::kNotifyMap, {OnNotify(L"click", L"", &WindowImplBase::OnClick)}};
    return &map;
}

UILIB_RESOURCETYPE WindowImplBase::GetResourceType() const { return UILIB_FILE; }
std::wstring WindowImplBase::GetZIPFileName() const { return std::wstring(); }
LPCWSTR WindowImplBase::GetResourceID() const { return nullptr; }
std::unique_ptr<CControlUI> WindowImplBase::CreateControlForTag(const wchar_t*) { return nullptr; }

void WindowImplBase::Notify(UiNotify& msg) { NotifyPump(msg); }

void WindowImplBase::OnClick(UiNotify& msg) {
    std::wstring name = msg.pSender ? msg.pSender->GetName() : std::wstring();
    if (name == L"closebtn") Close(kCloseButtonCode);
    else if (name == L"minbtn") ::SendMessageW(window_, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    else if (name == L"maxbtn") ::SendMessageW(window_, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    else if (name == L"restorebtn") ::SendMessageW(window_, WM_SYSCOMMAND, SC_RESTORE, 0);
}

LRESULT WindowImplBase::MessageHandler(UINT message, WPARAM wParam, LPARAM, bool& handled) {
    // Escape closes the window; the key still goes on to the controls.
    if (message == WM_KEYDOWN && wParam == VK_ESCAPE) Close(kEscapeCloseCode);
    handled = false;
    return 0;
}

bool WindowImplBase::SelectSkinSource() {
    CPaintManagerUI::SetResourcePath((CPaintManagerUI::GetInstancePath() + GetSkinFolder()).c_str());
    switch (GetResourceType()) {
    case UILIB_ZIP:
        CPaintManagerUI::SetResourceZip(GetZIPFileName().c_str(), true);
        return true;
    case UILIB_ZIPRESOURCE: {
        LPCWSTR resource = GetResourceID();
        return resource && CResourceConfig::SetResourceZipFromModule(resource, L"ZIPRES");
    }
    case UILIB_FILE:
    case UILIB_RESOURCE:
    default:
        return true;
    }
}

std::unique_ptr<CControlUI> WindowImplBase::BuildLayout() {
    CDialogBuilder builder;
    std::wstring skinFile = GetSkinFile();
    if (GetResourceType() == UILIB_RESOURCE) {
        long id = std::wcstol(skinFile.c_str(), nullptr, 10);
        if (id <= 0) return nullptr;
        return builder.Create(CDialogBuilder::Layout(static_cast<UINT>(id)), L"xml", this, &paintManager_);
    }
    return builder.Create(CDialogBuilder::Layout(skinFile), nullptr, this, &paintManager_);
}

}  // namespace UiLib
