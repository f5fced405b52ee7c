#include "UiLib/core/TimerTable.h"

#include <gtest/gtest.h>

#include <set>

#include "UiLib/render/ScopedWindow.h"

using namespace UiLib;

namespace {

// A message-only window: the timers need one, nothing needs to be shown.
CScopedWindow MessageWindow() {
    return CScopedWindow(::CreateWindowExW(0, L"STATIC", nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr,
                                           nullptr));
}

// The native identifier of a control's running timer, or 0.
UINT NativeIdOf(const CTimerTable& table, const CControlUI* control, UINT timerId) {
    for (UINT nativeId = 1; nativeId < 256; ++nativeId) {
        CControlUI* owner = nullptr;
        UINT localId = 0;
        if (table.Find(nativeId, owner, localId) && owner == control && localId == timerId) return nativeId;
    }
    return 0;
}

}  // namespace

TEST(TimerTable, AKilledTimerKeepsItsIdentifierUntilItsControlGoes) {
    CScopedWindow window = MessageWindow();
    ASSERT_TRUE(window);
    CTimerTable table;
    auto* killed = reinterpret_cast<CControlUI*>(0x1000);
    auto* busy = reinterpret_cast<CControlUI*>(0x2000);
    table.SetWindow(window.Get());
    EXPECT_FALSE(CTimerTable().Set(killed, 1, 60000)) << "no window, no timer";

    ASSERT_TRUE(table.Set(killed, 1, 60000));
    const UINT killedId = NativeIdOf(table, killed, 1);
    ASSERT_NE(killedId, 0u);
    EXPECT_FALSE(table.Set(killed, 1, 60000)) << "a running timer is not set twice";
    ASSERT_TRUE(table.Kill(killed, 1));
    EXPECT_FALSE(table.Kill(killed, 1));
    CControlUI* owner = nullptr;
    UINT localId = 0;
    EXPECT_FALSE(table.Find(killedId, owner, localId)) << "a queued WM_TIMER of a killed timer reaches nobody";

    // Around the whole cycle of identifiers: the killed timer's one is never handed out again, since
    // its WM_TIMER may still be queued.
    std::set<UINT> given;
    for (UINT id = 1; id <= 253; ++id) {
        ASSERT_TRUE(table.Set(busy, id, 60000)) << id;
        given.insert(NativeIdOf(table, busy, id));
    }
    EXPECT_EQ(given.count(killedId), 0u);
    EXPECT_EQ(given.size(), 253u);
    EXPECT_FALSE(table.Set(busy, 254, 60000)) << "every identifier below 255 is taken";

    ASSERT_TRUE(table.Set(killed, 1, 60000)) << "set again, the killed timer runs under its old identifier";
    EXPECT_EQ(NativeIdOf(table, killed, 1), killedId);
    table.KillAll(killed);
    EXPECT_EQ(NativeIdOf(table, killed, 1), 0u);
    ASSERT_TRUE(table.Set(busy, 254, 60000)) << "a control that went frees its identifiers";
    EXPECT_EQ(NativeIdOf(table, busy, 254), killedId);
    table.RemoveAll();
    EXPECT_EQ(NativeIdOf(table, busy, 254), 0u);
}
