#pragma once
#include <string>

// The per-machine data folder; it and its "Patchs" subfolder exist when this returns.
std::wstring GetDataFolder();

// The fixed folder for an operating system of the given major version.
std::wstring DataFolderForMajorVersion(unsigned long majorVersion);

// Creates `folder` and its "Patchs" subfolder when they are missing; failures are ignored.
void EnsureDataFolders(const std::wstring& folder);
