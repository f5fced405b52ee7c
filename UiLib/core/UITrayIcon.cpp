#include "UiLib/core/UITrayIcon.h"

#include <utility>

namespace UiLib {
namespace {

// The record size the shell is given: the layout without the balloon GUID fields, which every
// shell since the first with balloon tips understands.
constexpr DWORD kRecordSize = NOTIFYICONDATAW_V2_SIZE;
static_assert(kRecordSize == 936, "tray record of 936 bytes");

}  // namespace

CTrayIcon::~CTrayIcon() { Remove(); }

NOTIFYICONDATAW CTrayIcon::Record(UINT flags) const {
    NOTIFYICONDATAW record{};
    record.cbSize = kRecordSize;
    record.hWnd = window_;
    record.uID = id_;
    record.uFlags = flags;
    record.uCallbackMessage = kCallbackMessage;
    record.hIcon = icon_.Get();
    lstrcpynW(record.szTip, tip_.c_str(), ARRAYSIZE(record.szTip));
    return record;
}

UINT CTrayIcon::TaskbarCreatedMessage() {
    static const UINT message = ::RegisterWindowMessageW(L"TaskbarCreated");
    return message;
}

void CTrayIcon::Prepare(HWND window, UINT id, CIconHandle icon) {
    Remove();
    window_ = window;
    id_ = id;
    icon_ = std::move(icon);
    // User Interface Privilege Isolation keeps the shell's broadcast from an elevated window.
    ::ChangeWindowMessageFilterEx(window, TaskbarCreatedMessage(), MSGFLT_ALLOW, nullptr);
}

bool CTrayIcon::AddAgain() {
    if (window_ == nullptr) return false;
    NOTIFYICONDATAW record = Record(NIF_MESSAGE | NIF_ICON | NIF_TIP);
    shown_ = ::Shell_NotifyIconW(NIM_ADD, &record) != FALSE;
    return shown_;
}

void CTrayIcon::SetTip(const std::wstring& tip) {
    tip_ = tip;
    if (!shown_) return;
    NOTIFYICONDATAW record = Record(NIF_TIP);
    ::Shell_NotifyIconW(NIM_MODIFY, &record);
}

void CTrayIcon::Remove() {
    if (shown_) {
        NOTIFYICONDATAW record = Record(0);
        ::Shell_NotifyIconW(NIM_DELETE, &record);
    }
    shown_ = false;
    window_ = nullptr;
}

}  // namespace UiLib
