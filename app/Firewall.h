#pragma once
#include <string>

struct INetFwAuthorizedApplications;

// Makes sure the Windows Firewall lets the program at `imagePath` accept connections under
// `name`. Skipped silently where the firewall's objects are missing.
void AuthorizeInFirewall(const std::wstring& name, const std::wstring& imagePath);

// The list step on its own: keeps an enabled entry for `imagePath`, replacing a stale entry of the
// same name that points elsewhere.
void AuthorizeInApplications(INetFwAuthorizedApplications* applications, const std::wstring& name,
                             const std::wstring& imagePath);
