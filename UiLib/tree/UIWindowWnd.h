#pragma once
#include <windows.h>

#include <memory>
#include <type_traits>
#include <utility>

#include "UiLib/tree/WindowTasks.h"

namespace UiLib {

// One native window driven by an object: its class (own or a superclass of another), creation,
// the window procedure that hands messages to the object, subclassing, modal loops and centring.
class CWindowWnd {
public:
    CWindowWnd() = default;
    // A window that outlives its object is detached from it, so no message reaches a dead object.
    virtual ~CWindowWnd();
    CWindowWnd(const CWindowWnd&) = delete;
    CWindowWnd& operator=(const CWindowWnd&) = delete;

    HWND GetHWND() const { return window_; }
    operator HWND() const { return window_; }
    // The queue through which other threads hand work to this window; they may keep it after the
    // window is gone.
    std::shared_ptr<CWindowTasks> Tasks() const { return tasks_; }

    bool RegisterWindowClass();
    bool RegisterSuperclass();

    // Creates the window of an object that the window then owns: `create(*object)` makes the
    // native window (Create, or a method of the object that calls it) and returns it. From
    // WM_NCCREATE on the window owns the object and deletes it after OnFinalMessage, also when
    // creation fails later; when no native window came to be, the object is deleted here. The
    // result is the object while its window lives, else null.
    template <typename T, typename CreateFn>
    static T* CreateOwned(std::unique_ptr<T> object, CreateFn&& create) {
        static_assert(std::is_base_of_v<CWindowWnd, T>, "only windows can be owned by their window");
        if (!object) return nullptr;
        T& window = *object;
        std::unique_ptr<CWindowWnd> owner(std::move(object));
        owner->pendingOwner_ = &owner;
        HWND created = std::forward<CreateFn>(create)(window);
        if (owner) {
            owner->pendingOwner_ = nullptr;
            return nullptr;
        }
        return created ? &window : nullptr;
    }

    // Registers the class and creates the window with this object as its creation parameter;
    // null when the class cannot be registered or the window not created.
    HWND Create(HWND parent, const wchar_t* title, DWORD style, DWORD exStyle, int x = CW_USEDEFAULT,
                int y = CW_USEDEFAULT, int cx = CW_USEDEFAULT, int cy = CW_USEDEFAULT, HMENU menu = nullptr);
    HWND Create(HWND parent, const wchar_t* title, DWORD style, DWORD exStyle, const RECT& rect,
                HMENU menu = nullptr);
    // Takes over the messages of an existing window; Unsubclass gives them back.
    HWND Subclass(HWND window);
    void Unsubclass();

    void ShowWindow(bool show = true, bool takeFocus = true);
    // Disables the owner and runs a message loop until the window is gone; the result is the
    // first parameter of the WM_CLOSE that closed it (0 if none came through the loop).
    UINT ShowModal();
    // Offered each message of a modal loop before it is dispatched, so that the skinned windows
    // keep their keys and filters while one runs; the paint managers install theirs.
    using MessageTranslator = bool (*)(const MSG* msg);
    static void SetMessageTranslator(MessageTranslator translator);
    // Posts WM_CLOSE with the result as its first parameter.
    void Close(UINT result = IDOK);
    // Centres on the owner, or on the work area without one, kept inside the work area.
    void CenterWindow();
    // The window's large and small icon from the program's icon resource.
    void SetIcon(UINT resourceId);
    void ResizeClient(int cx = -1, int cy = -1);

protected:
    virtual const wchar_t* GetWindowClassName() const = 0;
    virtual const wchar_t* GetSuperClassName() const;
    virtual UINT GetClassStyle() const;
    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // Called once the native window is gone (after WM_NCDESTROY); a window made by CreateOwned
    // deletes its object right after.
    virtual void OnFinalMessage(HWND window);

    // The procedure the window had before (the superclass's, the subclassed one, or the default).
    LRESULT CallPreviousProc(UINT message, WPARAM wParam, LPARAM lParam);

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK ControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND window_ = nullptr;
    WNDPROC previousProc_ = ::DefWindowProcW;
    bool subclassed_ = false;

private:
    // Runs the tasks of other threads; the queue is held here, as a task may end the object.
    static bool RunTasks(CWindowWnd* self, UINT message);

    static HINSTANCE ModuleInstance();
    // The window being created takes the object from CreateOwned.
    void TakeOwnershipFromCreator();
    LRESULT FinishWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    std::shared_ptr<CWindowTasks> tasks_ = std::make_shared<CWindowTasks>();
    std::unique_ptr<CWindowWnd>* pendingOwner_ = nullptr;
    bool ownedByWindow_ = false;
};

}  // namespace UiLib
