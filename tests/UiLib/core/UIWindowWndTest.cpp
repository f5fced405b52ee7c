// Windows that own their object: whatever way creation ends, the object is deleted exactly once.
#include "UiLib/core/UIWindowWnd.h"

#include <gtest/gtest.h>

#include <memory>

using namespace UiLib;

namespace {

struct Counts {
    int finalMessages = 0;
    int destroyed = 0;
    int finalMessagesAtDeletion = -1;
};

class CountedWindow : public CWindowWnd {
public:
    explicit CountedWindow(Counts& counts, UINT failingMessage = 0)
        : counts_(counts), failingMessage_(failingMessage) {}
    ~CountedWindow() override {
        ++counts_.destroyed;
        counts_.finalMessagesAtDeletion = counts_.finalMessages;
    }

protected:
    const wchar_t* GetWindowClassName() const override { return L"UiLibOwnedWindowTest"; }
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == failingMessage_) return message == WM_CREATE ? -1 : FALSE;
        return CWindowWnd::HandleMessage(message, wParam, lParam);
    }
    void OnFinalMessage(HWND) override { ++counts_.finalMessages; }

private:
    Counts& counts_;
    UINT failingMessage_;
};

// Its class is a superclass of one that does not exist, so it cannot be registered.
class UnregistrableWindow : public CountedWindow {
public:
    using CountedWindow::CountedWindow;

protected:
    const wchar_t* GetSuperClassName() const override { return L"UiLibNoSuchClass"; }
};

HWND CreatePopup(CWindowWnd& window, HWND parent = nullptr) {
    return window.Create(parent, L"owned", WS_POPUP, 0, 0, 0, 20, 20);
}

template <typename Window>
HWND CreateTopLevel(Window& window) {
    return CreatePopup(window);
}

}  // namespace

TEST(CreateOwnedTest, ACreatedWindowDeletesItsObjectOnceAfterTheFinalMessage) {
    Counts counts;
    CountedWindow* window =
        CWindowWnd::CreateOwned(std::make_unique<CountedWindow>(counts), CreateTopLevel<CountedWindow>);
    ASSERT_NE(window, nullptr);
    HWND native = window->GetHWND();
    EXPECT_TRUE(::IsWindow(native));
    EXPECT_EQ(counts.destroyed, 0);

    ::DestroyWindow(native);
    EXPECT_EQ(counts.destroyed, 1);
    EXPECT_EQ(counts.finalMessagesAtDeletion, 1) << "OnFinalMessage runs before the deletion";
}

TEST(CreateOwnedTest, CreationThatFailsBeforeTheWindowExistsDeletesTheObjectOnce) {
    Counts badParent;
    EXPECT_EQ(CWindowWnd::CreateOwned(std::make_unique<CountedWindow>(badParent),
                                      [](CountedWindow& window) {
                                          return CreatePopup(window, reinterpret_cast<HWND>(0x1234));
                                      }),
              nullptr);
    EXPECT_EQ(badParent.destroyed, 1);
    EXPECT_EQ(badParent.finalMessages, 0);

    Counts unregistrable;
    EXPECT_EQ(CWindowWnd::CreateOwned(std::make_unique<UnregistrableWindow>(unregistrable),
                                      CreateTopLevel<UnregistrableWindow>),
              nullptr);
    EXPECT_EQ(unregistrable.destroyed, 1);
}

TEST(CreateOwnedTest, CreationRefusedByTheWindowDeletesTheObjectOnceThroughItsFinalMessage) {
    for (UINT refused : {UINT{WM_NCCREATE}, UINT{WM_CREATE}}) {
        Counts counts;
        EXPECT_EQ(CWindowWnd::CreateOwned(std::make_unique<CountedWindow>(counts, refused),
                                          CreateTopLevel<CountedWindow>),
                  nullptr)
            << refused;
        EXPECT_EQ(counts.destroyed, 1) << refused;
        EXPECT_EQ(counts.finalMessagesAtDeletion, 1) << refused;
    }
}
