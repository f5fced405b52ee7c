#pragma once
#include <string>

// Makes sure the Windows Firewall lets the program at `imagePath` accept connections under
// `name`. Skipped silently where the firewall's objects are missing.
void AuthorizeInFirewall(const std::wstring& name, const std::wstring& imagePath);
