#pragma once
// What a screen reader asks first of a window: its client area's accessible object, and its
// elements by child id.
#include <windows.h>
#include <oleacc.h>

#include <gtest/gtest.h>

#include "shared/ComPtr.h"

inline VARIANT ChildId(LONG id) {
    VARIANT child;
    child.vt = VT_I4;
    child.lVal = id;
    return child;
}

inline ComPtr<IAccessible> ClientObjectOf(HWND window) {
    ComPtr<IAccessible> object;
    EXPECT_EQ(::AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible, object.OutVoid()),
              S_OK);
    return object;
}
