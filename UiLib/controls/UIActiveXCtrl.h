#pragma once
#include <windows.h>
#include <ole2.h>
#include <ocidl.h>
#include <servprov.h>
#include <wrl/client.h>

#include <memory>

#include <type_traits>

namespace UiLib {

class CActiveXUI;
class CActiveXWnd;

struct AcceleratorTableDeleter {
    void operator()(HACCEL table) const { ::DestroyAcceleratorTable(table); }
};
using AcceleratorTable = std::unique_ptr<std::remove_pointer_t<HACCEL>, AcceleratorTableDeleter>;

// The container site of one hosted control: client site, (windowless) in-place site, control
// site, object-with-site and container, and for an owner that offers them its services and
// ambient properties; all answering for the owning CActiveXUI while it is attached.
class CActiveXCtrl : public IOleClientSite,
                     public IOleInPlaceSiteWindowless,
                     public IOleControlSite,
                     public IObjectWithSite,
                     public IOleContainer,
                     public IServiceProvider,
                     public IDispatch {
public:
    explicit CActiveXCtrl(CActiveXUI* owner);

    // The owner lets go: the in-place object and the host window go with it.
    void Detach();
    void SetViewObject(IUnknown* control);
    IViewObject* GetViewObject() const { return viewObject_.Get(); }
    IOleInPlaceObjectWindowless* GetWindowlessObject() const { return windowlessObject_.Get(); }
    IOleInPlaceObject* GetInPlaceObject() const { return inPlaceObject_.Get(); }
    CActiveXWnd* GetHostWindowObject() const { return window_.get(); }
    bool IsWindowless() const { return windowless_; }
    bool IsInPlaceActive() const { return inPlaceActive_; }
    bool IsUIActive() const { return uiActive_; }
    bool IsFocused() const { return focused_; }
    bool IsCaptured() const { return captured_; }
    bool IsLocked() const { return locked_; }
    // Releases the running lock that in-place activation took on `control`.
    void UnlockRunning(IUnknown* control);
    void SetFocused(bool focused) { focused_ = focused; }
    // Tells the in-place object where the control now is.
    void SetObjectRects(const RECT& rect);

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IObjectWithSite
    STDMETHODIMP SetSite(IUnknown* site) override;
    STDMETHODIMP GetSite(REFIID iid, void** site) override;

    // IOleClientSite
    STDMETHODIMP SaveObject() override;
    STDMETHODIMP GetMoniker(DWORD assign, DWORD which, IMoniker** moniker) override;
    STDMETHODIMP GetContainer(IOleContainer** container) override;
    STDMETHODIMP ShowObject() override;
    STDMETHODIMP OnShowWindow(BOOL show) override;
    STDMETHODIMP RequestNewObjectLayout() override;

    // IOleInPlaceSiteWindowless
    STDMETHODIMP CanWindowlessActivate() override;
    STDMETHODIMP GetCapture() override;
    STDMETHODIMP SetCapture(BOOL capture) override;
    STDMETHODIMP GetFocus() override;
    STDMETHODIMP SetFocus(BOOL focus) override;
    STDMETHODIMP GetDC(LPCRECT rect, DWORD flags, HDC* dc) override;
    STDMETHODIMP ReleaseDC(HDC dc) override;
    STDMETHODIMP InvalidateRect(LPCRECT rect, BOOL erase) override;
    STDMETHODIMP InvalidateRgn(HRGN region, BOOL erase) override;
    STDMETHODIMP ScrollRect(INT dx, INT dy, LPCRECT scroll, LPCRECT clip) override;
    STDMETHODIMP AdjustRect(LPRECT rect) override;
    STDMETHODIMP OnDefWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    // IOleInPlaceSiteEx
    STDMETHODIMP OnInPlaceActivateEx(BOOL* noRedraw, DWORD flags) override;
    STDMETHODIMP OnInPlaceDeactivateEx(BOOL noRedraw) override;
    STDMETHODIMP RequestUIActivate() override;

    // IOleInPlaceSite
    STDMETHODIMP CanInPlaceActivate() override;
    STDMETHODIMP OnInPlaceActivate() override;
    STDMETHODIMP OnUIActivate() override;
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT position,
                                  LPRECT clip, LPOLEINPLACEFRAMEINFO frameInfo) override;
    STDMETHODIMP Scroll(SIZE extent) override;
    STDMETHODIMP OnUIDeactivate(BOOL undoable) override;
    STDMETHODIMP OnInPlaceDeactivate() override;
    STDMETHODIMP DiscardUndoState() override;
    STDMETHODIMP DeactivateAndUndo() override;
    STDMETHODIMP OnPosRectChange(LPCRECT position) override;

    // IOleWindow
    STDMETHODIMP GetWindow(HWND* window) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL enterMode) override;

    // IOleControlSite
    STDMETHODIMP OnControlInfoChanged() override;
    STDMETHODIMP LockInPlaceActive(BOOL lock) override;
    STDMETHODIMP GetExtendedControl(IDispatch** dispatch) override;
    STDMETHODIMP TransformCoords(POINTL* himetric, POINTF* container, DWORD flags) override;
    STDMETHODIMP TranslateAccelerator(MSG* msg, DWORD modifiers) override;
    STDMETHODIMP OnFocus(BOOL gotFocus) override;
    STDMETHODIMP ShowPropertyFrame() override;

    // IOleContainer
    STDMETHODIMP EnumObjects(DWORD flags, IEnumUnknown** objects) override;
    STDMETHODIMP LockContainer(BOOL lock) override;
    STDMETHODIMP ParseDisplayName(IBindCtx* context, LPOLESTR name, ULONG* eaten, IMoniker** moniker) override;

    // IServiceProvider: the owner's services.
    STDMETHODIMP QueryService(REFGUID service, REFIID iid, void** object) override;

    // IDispatch: the owner's ambient properties, read by the control.
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exception, UINT* argError) override;

private:
    virtual ~CActiveXCtrl();

    HWND CreateHostWindow();
    void DestroyHostWindow();
    HWND ManagerWindow() const;
    bool OffersHostServices() const;

    LONG refs_ = 1;
    CActiveXUI* owner_;
    std::unique_ptr<CActiveXWnd> window_;
    Microsoft::WRL::ComPtr<IUnknown> site_;
    Microsoft::WRL::ComPtr<IViewObject> viewObject_;
    Microsoft::WRL::ComPtr<IOleInPlaceObjectWindowless> windowlessObject_;
    Microsoft::WRL::ComPtr<IOleInPlaceObject> inPlaceObject_;
    AcceleratorTable accelerators_;
    bool focused_ = false;
    bool windowless_ = false;
    bool uiActive_ = false;
    bool inPlaceActive_ = false;
    bool captured_ = false;
    bool locked_ = false;
    bool runningLocked_ = false;
};

}  // namespace UiLib
