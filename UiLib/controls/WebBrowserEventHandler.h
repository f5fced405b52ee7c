#pragma once
#include <windows.h>
#include <ole2.h>
#include <docobj.h>
#include <mshtmhst.h>
#include <urlmon.h>

namespace UiLib {

// The base of every object that hosts a web page: receives the browser's navigation events and
// answers its host-UI questions. Every operation has a harmless default.
class CWebBrowserEventHandler {
public:
    virtual ~CWebBrowserEventHandler() = default;

    virtual void OnBeforeNavigate(IDispatch* dispatch, VARIANT* url, VARIANT* flags, VARIANT* targetFrame,
                                  VARIANT* postData, VARIANT* headers, VARIANT_BOOL* cancel);
    virtual void OnNavigateError(IDispatch* dispatch, VARIANT* url, VARIANT* targetFrame, VARIANT* statusCode,
                                 VARIANT_BOOL* cancel);
    virtual void OnNavigateComplete(IDispatch* dispatch, VARIANT* url);
    virtual void OnProgressChange(long progress, long maximum);
    virtual void OnNewWindow(IDispatch** dispatch, VARIANT_BOOL* cancel, DWORD flags, BSTR urlContext, BSTR url);
    virtual void OnCommandStateChange(long command, VARIANT_BOOL enable);

    // Counterparts of the host-UI handler; the defaults hide the context menu and the 3-D border.
    virtual HRESULT ShowContextMenu(DWORD id, POINT* point, IUnknown* commandTarget, IDispatch* object);
    virtual HRESULT GetHostInfo(DOCHOSTUIINFO* info);
    virtual HRESULT ShowUI(DWORD id, IOleInPlaceActiveObject* activeObject, IOleCommandTarget* commandTarget,
                           IOleInPlaceFrame* frame, IOleInPlaceUIWindow* document);
    virtual HRESULT HideUI();
    virtual HRESULT UpdateUI();
    virtual HRESULT EnableModeless(BOOL enable);
    virtual HRESULT OnDocWindowActivate(BOOL activate);
    virtual HRESULT OnFrameWindowActivate(BOOL activate);
    virtual HRESULT ResizeBorder(LPCRECT border, IOleInPlaceUIWindow* window, BOOL frameWindow);
    virtual HRESULT TranslateAccelerator(LPMSG msg, const GUID* group, DWORD command);
    virtual HRESULT GetOptionKeyPath(LPOLESTR* key, DWORD reserved);
    virtual HRESULT GetDropTarget(IDropTarget* dropTarget, IDropTarget** replacement);
    virtual HRESULT GetExternal(IDispatch** external);
    virtual HRESULT TranslateUrl(DWORD translate, OLECHAR* url, OLECHAR** translated);
    virtual HRESULT FilterDataObject(IDataObject* object, IDataObject** replacement);

    // Counterpart of the download manager: 0 counts the download as handled, so nothing happens.
    virtual HRESULT Download(IMoniker* moniker, IBindCtx* context, DWORD bindVerb, LONG bindFlags, BINDINFO* info,
                             LPCOLESTR headers, LPCOLESTR redirect, UINT codePage);
};

}  // namespace UiLib
