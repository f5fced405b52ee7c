#pragma once
#include <windows.h>
#include <mshtmdid.h>
#include <urlmon.h>

#include <string>
#include <vector>

// The program runs with administrator rights: the pages it hosts are kept in the platform
// browser's own box. These are the framework's defaults for every browser it creates.
namespace UiLib {

// Turns the browser's process-wide protections on (local-machine lockdown, no ActiveX install, no
// file download without the player, no zone elevation, ...). Runs once per process; called before
// the first browser is created, so that start-up does not pay for it before the first paint.
void LockDownWebContent();

// The security manager the host hands its browser: ActiveX, downloads and shell actions are
// refused, everything else keeps the zone's default. QueryInterface-style: `iid` names the
// interface asked for.
HRESULT CreateWebSecurityManager(REFIID iid, void** object);

// The download-control flags of the hosted pages: pictures, video and sounds load; ActiveX
// controls and Java are neither downloaded nor run. Scripts keep running.
constexpr DWORD kWebDownloadControl =
    DLCTL_DLIMAGES | DLCTL_VIDEOS | DLCTL_BGSOUNDS | DLCTL_NO_JAVA | DLCTL_NO_RUNACTIVEXCTLS | DLCTL_NO_DLACTIVEXCTLS;

// Where a browser may go: the web (http, https), the blank page and the pages its host allows by
// exact address (its own offline page). Scripts of a loaded page may use javascript: addresses;
// the program itself never navigates to one.
class CNavigationPolicy {
public:
    enum class Origin { Program, Page };

    void AllowPage(const std::wstring& address) { allowedPages_.push_back(address); }
    bool Permits(const std::wstring& address, Origin origin) const;

private:
    bool IsAllowedPage(const std::wstring& address) const;

    std::vector<std::wstring> allowedPages_;
};

}  // namespace UiLib
