#include "UiLib/controls/WebContentSecurity.h"

#include <shlwapi.h>
#include <wrl/client.h>

#include <algorithm>
#include <iterator>

#include "UiLib/Utils/ComObject.h"
#include "UiLib/Utils/LibraryFunction.h"

namespace UiLib {
namespace {

using Microsoft::WRL::ComPtr;

constexpr INTERNETFEATURELIST kLockedDownFeatures[] = {
    FEATURE_LOCALMACHINE_LOCKDOWN,    // pages from the disk run as restricted as the Internet's
    FEATURE_RESTRICT_ACTIVEXINSTALL,  // no page installs an ActiveX control
    FEATURE_RESTRICT_FILEDOWNLOAD,    // no download the player did not start
    FEATURE_ZONE_ELEVATION,           // no step from the Internet to a more trusted zone
    FEATURE_MIME_HANDLING,            // a file is handled as what it is, not as what it is called
    FEATURE_MIME_SNIFFING,
    FEATURE_OBJECT_CACHING,           // no object of one site reached from another
    FEATURE_WINDOW_RESTRICTIONS,      // no script window posing as something else
    FEATURE_WEBOC_POPUPMANAGEMENT,
    FEATURE_PROTOCOL_LOCKDOWN,
    FEATURE_DISABLE_MK_PROTOCOL,
    FEATURE_DISABLE_TELNET_PROTOCOL,
    FEATURE_SAFE_BINDTOOBJECT,
    FEATURE_VALIDATE_NAVIGATE_URL,
    FEATURE_UNC_SAVEDFILECHECK,
    FEATURE_HTTP_USERNAME_PASSWORD_DISABLE,  // no "user@host" addresses that hide the real host
};

// Actions outside the three refused ranges that install, run or reach out of the page.
constexpr DWORD kRefusedActions[] = {
    URLACTION_SCRIPT_OVERRIDE_SAFETY, URLACTION_SCRIPT_SAFE_ACTIVEX,       URLACTION_SCRIPT_JAVA_USE,
    URLACTION_HTML_JAVA_RUN,          URLACTION_HTML_INCLUDE_FILE_PATH,    URLACTION_DOTNET_USERCONTROLS,
    URLACTION_AUTOMATIC_DOWNLOAD_UI,  URLACTION_AUTOMATIC_ACTIVEX_UI,      URLACTION_WINDOWS_BROWSER_APPLICATIONS,
    URLACTION_XPS_DOCUMENTS,          URLACTION_LOOSE_XAML,                URLACTION_WINFX_SETUP,
};

// Switches inside those ranges whose "allow" turns a protection on: they keep the zone's default.
constexpr DWORD kProtectionSwitches[] = {
    URLACTION_ACTIVEX_TREATASUNTRUSTED, URLACTION_SHELL_POPUPMGR, URLACTION_SHELL_ENHANCED_DRAGDROP_SECURITY,
    URLACTION_SHELL_EXTENSIONSECURITY,  URLACTION_SHELL_SECURE_DRAGSOURCE,
};

template <size_t Count>
bool Contains(const DWORD (&actions)[Count], DWORD action) {
    return std::find(std::begin(actions), std::end(actions), action) != std::end(actions);
}

bool IsRefusedAction(DWORD action) {
    if (Contains(kProtectionSwitches, action)) return false;
    auto inRange = [action](DWORD first, DWORD last) { return action >= first && action <= last; };
    return inRange(URLACTION_DOWNLOAD_MIN, URLACTION_DOWNLOAD_MAX) ||
           inRange(URLACTION_ACTIVEX_MIN, URLACTION_ACTIVEX_MAX) ||
           inRange(URLACTION_SHELL_MIN, URLACTION_SHELL_MAX) || Contains(kRefusedActions, action);
}

class WebSecurityManager : public CComObject<IInternetSecurityManager> {
public:
    WebSecurityManager() : CComObject(IID_IInternetSecurityManager) {}


    STDMETHODIMP ProcessUrlAction(LPCWSTR, DWORD action, BYTE* policy, DWORD policySize, BYTE*, DWORD, DWORD,
                                  DWORD) override {
        if (!IsRefusedAction(action)) return INET_E_DEFAULT_ACTION;
        if (policy && policySize >= sizeof(DWORD)) {
            const DWORD disallow = URLPOLICY_DISALLOW;
            ::CopyMemory(policy, &disallow, sizeof(disallow));
        }
        return S_FALSE;  // succeeded: the action is not allowed
    }

    // Zones, security ids and custom policies stay the platform's.
    STDMETHODIMP SetSecuritySite(IInternetSecurityMgrSite*) override { return INET_E_DEFAULT_ACTION; }
    STDMETHODIMP GetSecuritySite(IInternetSecurityMgrSite** site) override {
        if (site) *site = nullptr;
        return INET_E_DEFAULT_ACTION;
    }
    STDMETHODIMP MapUrlToZone(LPCWSTR, DWORD*, DWORD) override { return INET_E_DEFAULT_ACTION; }
    STDMETHODIMP GetSecurityId(LPCWSTR, BYTE*, DWORD*, DWORD_PTR) override { return INET_E_DEFAULT_ACTION; }
    STDMETHODIMP QueryCustomPolicy(LPCWSTR, REFGUID, BYTE** policy, DWORD* policySize, BYTE*, DWORD,
                                   DWORD) override {
        if (policy) *policy = nullptr;
        if (policySize) *policySize = 0;
        return INET_E_DEFAULT_ACTION;
    }
    STDMETHODIMP SetZoneMapping(DWORD, LPCWSTR, DWORD) override { return INET_E_DEFAULT_ACTION; }
    STDMETHODIMP GetZoneMappings(DWORD, IEnumString** mappings, DWORD) override {
        if (mappings) *mappings = nullptr;
        return INET_E_DEFAULT_ACTION;
    }
};

// The browser's library is loaded with the first browser, not at start, and only from the system
// folder: imported, it would be looked for beside the program first.
using CreateUriFunction = HRESULT(WINAPI*)(LPCWSTR, DWORD, DWORD_PTR, IUri**);
using SetFeatureFunction = HRESULT(WINAPI*)(INTERNETFEATURELIST, DWORD, BOOL);

ComPtr<IUri> ParseAddress(const std::wstring& address) {
    static const auto createUri = LibraryFunction<CreateUriFunction>(L"urlmon.dll", "CreateUri");
    ComPtr<IUri> uri;
    // No implicit file scheme: a bare path or "\\host\share" is no address here.
    if (!createUri || FAILED(createUri(address.c_str(), Uri_CREATE_CANONICALIZE, 0, uri.GetAddressOf()))) uri.Reset();
    return uri;
}

bool IsBlankPage(IUri* uri) {
    BSTR text = nullptr;
    bool blank = SUCCEEDED(uri->GetAbsoluteUri(&text)) && text && _wcsicmp(text, L"about:blank") == 0;
    ::SysFreeString(text);
    return blank;
}

}  // namespace

void LockDownWebContent() {
    static const bool lockedDown = [] {
        const auto setFeature = LibraryFunction<SetFeatureFunction>(L"urlmon.dll", "CoInternetSetFeatureEnabled");
        if (!setFeature) return false;
        for (INTERNETFEATURELIST feature : kLockedDownFeatures) setFeature(feature, SET_FEATURE_ON_PROCESS, TRUE);
        return true;
    }();
    (void)lockedDown;
}

HRESULT CreateWebSecurityManager(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    ComPtr<IInternetSecurityManager> manager;
    manager.Attach(new WebSecurityManager());
    return manager->QueryInterface(iid, object);
}

bool CNavigationPolicy::IsAllowedPage(const std::wstring& address) const {
    return std::any_of(allowedPages_.begin(), allowedPages_.end(), [&address](const std::wstring& allowed) {
        return _wcsicmp(allowed.c_str(), address.c_str()) == 0;
    });
}

bool CNavigationPolicy::Permits(const std::wstring& address, Origin origin) const {
    if (IsAllowedPage(address)) return true;
    ComPtr<IUri> uri = ParseAddress(address);
    DWORD scheme = URL_SCHEME_INVALID;
    if (!uri || FAILED(uri->GetScheme(&scheme))) return false;
    switch (scheme) {
    case URL_SCHEME_HTTP:
    case URL_SCHEME_HTTPS:
        return true;
    case URL_SCHEME_ABOUT:
        return IsBlankPage(uri.Get());
    case URL_SCHEME_JAVASCRIPT:
        // Runs in the page that asked, which could run it anyway; the program never starts one.
        return origin == Origin::Page;
    default:
        return false;  // file:, UNC, res:, mk:, mailto:, ms-*, every other protocol
    }
}

}  // namespace UiLib
