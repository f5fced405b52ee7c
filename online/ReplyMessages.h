#pragma once
#include <windows.h>

#include <memory>
#include <string>

// Messages by which the fetch threads hand a management-service reply to the main window. The
// first parameter is a heap copy of the whole reply, owned by the receiver; the second is 0.
constexpr UINT WM_POP_NEWS = 30203;
constexpr UINT WM_POP_AD = 30204;
constexpr UINT WM_TODAY_NEWS = 30205;

inline bool IsReplyMessage(UINT message) {
    return message == WM_POP_NEWS || message == WM_POP_AD || message == WM_TODAY_NEWS;
}

// The receiver's side: takes ownership of the reply carried by `wParam`.
inline std::unique_ptr<std::wstring> TakeReply(WPARAM wParam) {
    return std::unique_ptr<std::wstring>(reinterpret_cast<std::wstring*>(wParam));
}
