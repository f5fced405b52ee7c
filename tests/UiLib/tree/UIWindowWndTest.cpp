// Windows that own their object: whatever way creation ends, the object is deleted exactly once.
#include "UiLib/tree/UIWindowWnd.h"

#include <gtest/gtest.h>

#include <memory>

using namespace UiLib;

namespace {

struct Counts {
    int finalMessages = 0;
    int deleted = 0;
    int finalMessagesAtDeletion = -1;
};

// Refuses its creation at `refusedMessage` (WM_NCCREATE or WM_CREATE), if given.
class CountedWindow : public CWindowWnd {
public:
    explicit CountedWindow(Counts& counts, UINT refusedMessage = 0) : counts_(counts), refused_(refusedMessage) {}
    ~CountedWindow() override {
        ++counts_.deleted;
        counts_.finalMessagesAtDeletion = counts_.finalMessages;
    }

protected:
    const wchar_t* GetWindowClassName() const override { return L"UiLibOwnedWindowTest"; }
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == refused_) return message == WM_CREATE ? -1 : FALSE;
        return CWindowWnd::HandleMessage(message, wParam, lParam);
    }
    void OnFinalMessage(HWND) override { ++counts_.finalMessages; }

private:
    Counts& counts_;
    UINT refused_;
};

HWND CreatePopup(CWindowWnd& window, HWND parent) { return window.Create(parent, L"", WS_POPUP, 0, 0, 0, 20, 20); }
HWND CreateTopLevel(CWindowWnd& window) { return CreatePopup(window, nullptr); }
HWND CreateUnderAMissingParent(CWindowWnd& window) { return CreatePopup(window, reinterpret_cast<HWND>(0x1234)); }

}  // namespace

TEST(CreateOwnedTest, ACreatedWindowDeletesItsObjectOnceAfterTheFinalMessage) {
    Counts counts;
    CountedWindow* window = CWindowWnd::CreateOwned(std::make_unique<CountedWindow>(counts), CreateTopLevel);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(::IsWindow(window->GetHWND()));
    EXPECT_EQ(counts.deleted, 0);
    ::DestroyWindow(window->GetHWND());
    EXPECT_EQ(counts.deleted, 1);
    EXPECT_EQ(counts.finalMessagesAtDeletion, 1);
}

TEST(CreateOwnedTest, ACreationThatFailsAnywhereDeletesTheObjectOnce) {
    Counts beforeTheWindow;
    EXPECT_EQ(CWindowWnd::CreateOwned(std::make_unique<CountedWindow>(beforeTheWindow), CreateUnderAMissingParent),
              nullptr);
    EXPECT_EQ(beforeTheWindow.deleted, 1);
    EXPECT_EQ(beforeTheWindow.finalMessages, 0) << "no window, no final message";

    for (UINT refused : {UINT{WM_NCCREATE}, UINT{WM_CREATE}}) {
        Counts counts;
        EXPECT_EQ(CWindowWnd::CreateOwned(std::make_unique<CountedWindow>(counts, refused), CreateTopLevel), nullptr);
        EXPECT_EQ(counts.deleted, 1) << refused;
        EXPECT_EQ(counts.finalMessagesAtDeletion, 1) << "deleted by the window that was taking it over";
    }
}
