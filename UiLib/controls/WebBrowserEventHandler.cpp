#include "UiLib/controls/WebBrowserEventHandler.h"

namespace UiLib {

void CWebBrowserEventHandler::OnBeforeNavigate(IDispatch*, VARIANT*, VARIANT*, VARIANT*, VARIANT*, VARIANT*,
                                               VARIANT_BOOL*) {}
void CWebBrowserEventHandler::OnNavigateError(IDispatch*, VARIANT*, VARIANT*, VARIANT*, VARIANT_BOOL*) {}
void CWebBrowserEventHandler::OnNavigateComplete(IDispatch*, VARIANT*) {}
void CWebBrowserEventHandler::OnProgressChange(long, long) {}
void CWebBrowserEventHandler::OnNewWindow(IDispatch**, VARIANT_BOOL*, DWORD, BSTR, BSTR) {}
void CWebBrowserEventHandler::OnCommandStateChange(long, VARIANT_BOOL) {}

HRESULT CWebBrowserEventHandler::ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) { return S_OK; }

HRESULT CWebBrowserEventHandler::GetHostInfo(DOCHOSTUIINFO* info) {
    if (info) {
        info->cbSize = sizeof(DOCHOSTUIINFO);
        info->dwFlags = DOCHOSTUIFLAG_NO3DBORDER;
        info->dwDoubleClick = DOCHOSTUIDBLCLK_DEFAULT;
    }
    return S_OK;
}

HRESULT CWebBrowserEventHandler::ShowUI(DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*, IOleInPlaceFrame*,
                                        IOleInPlaceUIWindow*) {
    return S_FALSE;
}

HRESULT CWebBrowserEventHandler::HideUI() { return S_OK; }
HRESULT CWebBrowserEventHandler::UpdateUI() { return S_OK; }
HRESULT CWebBrowserEventHandler::EnableModeless(BOOL) { return S_OK; }
HRESULT CWebBrowserEventHandler::OnDocWindowActivate(BOOL) { return S_OK; }
HRESULT CWebBrowserEventHandler::OnFrameWindowActivate(BOOL) { return S_OK; }
HRESULT CWebBrowserEventHandler::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) { return S_OK; }
// The page keeps its own keys (typing, Tab, the clipboard): an answer of "done" would take them all.
HRESULT CWebBrowserEventHandler::TranslateAccelerator(LPMSG, const GUID*, DWORD) { return S_FALSE; }
HRESULT CWebBrowserEventHandler::GetOptionKeyPath(LPOLESTR*, DWORD) { return S_OK; }
HRESULT CWebBrowserEventHandler::GetDropTarget(IDropTarget*, IDropTarget**) { return S_OK; }
HRESULT CWebBrowserEventHandler::GetExternal(IDispatch**) { return S_OK; }
HRESULT CWebBrowserEventHandler::TranslateUrl(DWORD, OLECHAR*, OLECHAR**) { return S_OK; }
HRESULT CWebBrowserEventHandler::FilterDataObject(IDataObject*, IDataObject**) { return S_OK; }

HRESULT CWebBrowserEventHandler::Download(IMoniker*, IBindCtx*, DWORD, LONG, BINDINFO*, LPCOLESTR, LPCOLESTR, UINT) {
    return S_OK;
}

}  // namespace UiLib
