#pragma once
#include <windows.h>
#include <ocidl.h>
#include <ole2.h>
#include <wrl/client.h>

#include <string>
#include <vector>

// {6B1F3C52-7E4A-4C1B-9D2E-5A8F0C3B7D11}: the in-process test control, registered by the tests.
extern const CLSID CLSID_RecordingControl;

// What the host did to the control.
struct ControlRecord {
    int liveObjects = 0;
    std::vector<LONG> verbs;
    HWND verbParent = nullptr;
    RECT verbRect{};
    bool siteBeforeInitNew = false;
    bool initNewCalled = false;
    std::vector<RECT> objectRects;
    std::vector<SIZEL> extents;
    std::vector<RECTL> draws;
    std::vector<UINT> windowMessages;
    HWND parentWindow = nullptr;
    bool gotFrame = false;
    OLEINPLACEFRAMEINFO frameInfo{};
    std::wstring containerName;
    bool closedNoSave = false;
    bool clientSiteCleared = false;
    bool siteSet = false;
    bool siteCleared = false;
    HRESULT activation = E_FAIL;
    int runningLocks = 0;  // locks taken through IRunnableObject less those released
};

// A real COM control that activates in place the way controls do (windowless when asked and
// allowed, otherwise in its site's window), paints a solid colour and records every call.
class RecordingControl : public IOleObject,
                         public IOleInPlaceObjectWindowless,
                         public IViewObjectEx,
                         public IOleControl,
                         public IObjectWithSite,
                         public IPersistStreamInit,
                         public IRunnableObject {
public:
    static ControlRecord record;
    static bool wantWindowless;
    static DWORD miscStatus;
    static COLORREF paintColor;
    static Microsoft::WRL::ComPtr<IOleClientSite> lastSite;

    RecordingControl();

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IOleObject
    STDMETHODIMP SetClientSite(IOleClientSite* site) override;
    STDMETHODIMP GetClientSite(IOleClientSite** site) override;
    STDMETHODIMP SetHostNames(LPCOLESTR container, LPCOLESTR object) override;
    STDMETHODIMP Close(DWORD option) override;
    STDMETHODIMP SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
    STDMETHODIMP InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP GetClipboardData(DWORD, IDataObject**) override { return E_NOTIMPL; }
    STDMETHODIMP DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND parent, LPCRECT rect) override;
    STDMETHODIMP EnumVerbs(IEnumOLEVERB**) override { return E_NOTIMPL; }
    STDMETHODIMP Update() override { return S_OK; }
    STDMETHODIMP IsUpToDate() override { return S_OK; }
    STDMETHODIMP GetUserClassID(CLSID* id) override;
    STDMETHODIMP GetUserType(DWORD, LPOLESTR*) override { return E_NOTIMPL; }
    STDMETHODIMP SetExtent(DWORD aspect, SIZEL* size) override;
    STDMETHODIMP GetExtent(DWORD, SIZEL*) override { return E_NOTIMPL; }
    STDMETHODIMP Advise(IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
    STDMETHODIMP Unadvise(DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP EnumAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }
    STDMETHODIMP GetMiscStatus(DWORD aspect, DWORD* status) override;
    STDMETHODIMP SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

    // IOleInPlaceObjectWindowless
    STDMETHODIMP GetWindow(HWND* window) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return S_OK; }
    STDMETHODIMP InPlaceDeactivate() override;
    STDMETHODIMP UIDeactivate() override { return S_OK; }
    STDMETHODIMP SetObjectRects(LPCRECT position, LPCRECT clip) override;
    STDMETHODIMP ReactivateAndUndo() override { return E_NOTIMPL; }
    STDMETHODIMP OnWindowMessage(UINT message, WPARAM, LPARAM, LRESULT* result) override;
    STDMETHODIMP GetDropTarget(IDropTarget** target) override;

    // IViewObjectEx
    STDMETHODIMP Draw(DWORD aspect, LONG index, void*, DVTARGETDEVICE*, HDC, HDC dc, LPCRECTL bounds, LPCRECTL,
                      BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) override;
    STDMETHODIMP GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE**) override { return E_NOTIMPL; }
    STDMETHODIMP Freeze(DWORD, LONG, void*, DWORD*) override { return E_NOTIMPL; }
    STDMETHODIMP Unfreeze(DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP SetAdvise(DWORD, DWORD, IAdviseSink*) override { return S_OK; }
    STDMETHODIMP GetAdvise(DWORD*, DWORD*, IAdviseSink**) override { return E_NOTIMPL; }
    STDMETHODIMP GetExtent(DWORD, LONG, DVTARGETDEVICE*, LPSIZEL) override { return E_NOTIMPL; }
    STDMETHODIMP GetRect(DWORD, LPRECTL) override { return E_NOTIMPL; }
    STDMETHODIMP GetViewStatus(DWORD* status) override;
    STDMETHODIMP QueryHitPoint(DWORD aspect, LPCRECT bounds, POINT point, LONG, DWORD* hit) override;
    STDMETHODIMP QueryHitRect(DWORD, LPCRECT, LPCRECT, LONG, DWORD*) override { return E_NOTIMPL; }
    STDMETHODIMP GetNaturalExtent(DWORD, LONG, DVTARGETDEVICE*, HDC, DVEXTENTINFO*, LPSIZEL) override {
        return E_NOTIMPL;
    }

    // IOleControl
    STDMETHODIMP GetControlInfo(CONTROLINFO*) override { return E_NOTIMPL; }
    STDMETHODIMP OnMnemonic(MSG*) override { return E_NOTIMPL; }
    STDMETHODIMP OnAmbientPropertyChange(DISPID) override { return S_OK; }
    STDMETHODIMP FreezeEvents(BOOL) override { return S_OK; }

    // IObjectWithSite
    STDMETHODIMP SetSite(IUnknown* site) override;
    STDMETHODIMP GetSite(REFIID, void**) override { return E_NOTIMPL; }

    // IPersistStreamInit
    STDMETHODIMP GetClassID(CLSID* id) override { return GetUserClassID(id); }
    STDMETHODIMP IsDirty() override { return S_FALSE; }
    STDMETHODIMP Load(LPSTREAM) override { return E_NOTIMPL; }
    STDMETHODIMP Save(LPSTREAM, BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP GetSizeMax(ULARGE_INTEGER*) override { return E_NOTIMPL; }
    STDMETHODIMP InitNew() override;

    // IRunnableObject: only the running lock is of interest.
    STDMETHODIMP GetRunningClass(LPCLSID) override { return E_NOTIMPL; }
    STDMETHODIMP Run(LPBINDCTX) override { return S_OK; }
    BOOL STDMETHODCALLTYPE IsRunning() override { return TRUE; }
    STDMETHODIMP LockRunning(BOOL lock, BOOL) override {
        record.runningLocks += lock ? 1 : -1;
        return S_OK;
    }
    STDMETHODIMP SetContainedObject(BOOL) override { return S_OK; }

private:
    virtual ~RecordingControl();

    LONG refs_ = 1;
    Microsoft::WRL::ComPtr<IOleClientSite> site_;
    Microsoft::WRL::ComPtr<IOleInPlaceSiteWindowless> windowlessSite_;
    HWND window_ = nullptr;
    RECT position_{};
    bool windowless_ = false;
    bool active_ = false;
};

// Registers the control's class object for the life of the object.
class RecordingControlClass {
public:
    RecordingControlClass();
    ~RecordingControlClass();

private:
    DWORD cookie_ = 0;
};
