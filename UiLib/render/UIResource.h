#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "UiLib/render/UIImage.h"

namespace UiLib {

class CSkinArchive;

// Where every window finds its skin: the program's module, a resource folder and optionally a zip
// archive that replaces the folder. One configuration serves the whole process; the paint
// manager's static operations forward here.
class CResourceConfig {
public:
    // The marker name of an archive held in memory.
    static constexpr const wchar_t* kMemoryArchiveName = L"membuffer";

    static HINSTANCE GetInstance();
    static void SetInstance(HINSTANCE instance);
    // Folder of the program's module file, with its trailing "\".
    static std::wstring GetInstancePath();
    // The resource instance if one is set, else the instance.
    static HINSTANCE GetResourceInstance();
    static void SetResourceInstance(HINSTANCE instance);

    static const std::wstring& GetResourcePath();
    // Null clears the path; a non-empty path not ending in "\" or "/" gains "\".
    static void SetResourcePath(const wchar_t* path);

    static const std::wstring& GetResourceZip();
    // Names the archive under the resource path (null clears it). With `cached` the archive is
    // opened now and kept; otherwise every lookup opens it for itself.
    static void SetResourceZip(const wchar_t* name, bool cached = true);
    // Registers an archive held in memory. The first memory archive of the process stays: later
    // calls while it is registered change nothing. The block must outlive every window.
    static void SetResourceZip(const void* data, size_t size);
    // Registers the module resource `name` of `type` (normally "ZIPRES") as the memory archive,
    // read in place; the module is pinned so that it lives as long as the process. False if the
    // resource is missing or empty.
    static bool SetResourceZipFromModule(const wchar_t* name, const wchar_t* type);
    static bool IsCachedResourceZip();
    // The open archive when it is cached, else null.
    static CSkinArchive* GetResourceZipHandle();
    // Closes a cached archive (at the end of the process).
    static void CloseResourceZip();

    static const std::wstring& GetDefaultFontName();
    static void SetDefaultFontName(const wchar_t* name);
};

enum class ResourceReadStatus {
    Ok,
    OpenFileFailed,   // the file under the resource path cannot be opened
    Empty,            // the file or member has no bytes
    TooLarge,         // the file or member is larger than the caller's limit
    ReadFailed,       // fewer bytes arrived than the file's size
    OpenZipFailed,    // the configured archive cannot be opened
    MemberNotFound,   // the archive has no such member
    UnzipFailed,      // the member's data is damaged
};

// Finds a named skin file: an archive member when an archive is configured, else the file under
// the resource path. `bytes` holds the content on success and is left empty or unchanged otherwise.
ResourceReadStatus ReadSkinFile(const std::wstring& name, size_t maxSize, std::vector<uint8_t>& bytes);

// The bytes of a module resource of the resource module; null data when there is none. The bytes
// belong to the module and stay valid as long as it is loaded.
struct ModuleResource {
    const uint8_t* data = nullptr;
    size_t size = 0;
};
ModuleResource FindModuleResource(UINT id, const wchar_t* type);
ModuleResource FindModuleResource(const wchar_t* name, const wchar_t* type);

// Images: the skin file, else the name itself as a path (absolute or relative to the current
// folder); with a resource type, the name is a decimal resource number of that type and nothing else
// is tried. Null when nothing is found or the bytes are no image.
std::unique_ptr<TImageInfo> LoadImageRecord(const std::wstring& name, const wchar_t* resourceType, DWORD mask);
// A larger render of a skin picture ("btn@2x.png" for "btn.png" at 200 percent), looked for among
// the skin's files only: a picture from anywhere else has its 1x file alone. Null when there is none.
std::unique_ptr<TImageInfo> LoadImageRender(const std::wstring& name, int percent, DWORD mask);

}  // namespace UiLib
