#include "UiLib/render/UIResource.h"

#include <cwchar>
#include <memory>

#include "UiLib/render/PictureRender.h"
#include "UiLib/render/UISkinArchive.h"

namespace UiLib {
namespace {

// Image files are read whole before decoding; no skin picture comes near this.
constexpr size_t kMaxImageFile = 64u * 1024 * 1024;

struct ResourceState {
    HINSTANCE instance = nullptr;
    HINSTANCE resourceInstance = nullptr;
    std::wstring resourcePath;
    std::wstring resourceZip;
    std::wstring defaultFontName;
    bool cached = false;
    std::unique_ptr<CSkinArchive> archive;
};

ResourceState& State() {
    static ResourceState state;
    return state;
}

struct HandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using UniqueFile = std::unique_ptr<void, HandleCloser>;

ResourceReadStatus ReadFileBytes(const std::wstring& path, size_t maxSize, std::vector<uint8_t>& bytes) {
    HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return ResourceReadStatus::OpenFileFailed;
    UniqueFile file(handle);
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(handle, &size)) return ResourceReadStatus::ReadFailed;
    if (size.QuadPart == 0) return ResourceReadStatus::Empty;
    if (static_cast<uint64_t>(size.QuadPart) > maxSize) return ResourceReadStatus::TooLarge;
    std::vector<uint8_t> content(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    if (!ReadFile(handle, content.data(), static_cast<DWORD>(content.size()), &read, nullptr) ||
        read != content.size()) {
        return ResourceReadStatus::ReadFailed;
    }
    bytes = std::move(content);
    return ResourceReadStatus::Ok;
}

ResourceReadStatus ReadArchiveMember(const CSkinArchive& archive, const std::wstring& name, size_t maxSize,
                                     std::vector<uint8_t>& bytes) {
    const CSkinArchive::Member* member = archive.Find(name);
    if (member == nullptr) return ResourceReadStatus::MemberNotFound;
    if (member->size == 0) return ResourceReadStatus::Empty;
    if (member->size > maxSize) return ResourceReadStatus::TooLarge;
    // Written straight into the caller's buffer, so that a reused one costs no allocation.
    bytes.resize(member->size);
    if (archive.Extract(*member, bytes.data(), bytes.size()) == CSkinArchive::ExtractResult::Error) {
        bytes.clear();
        return ResourceReadStatus::UnzipFailed;
    }
    return ResourceReadStatus::Ok;
}

}  // namespace

HINSTANCE CResourceConfig::GetInstance() { return State().instance; }

void CResourceConfig::SetInstance(HINSTANCE instance) { State().instance = instance; }

std::wstring CResourceConfig::GetInstancePath() {
    wchar_t path[MAX_PATH + 1] = {};
    DWORD length = GetModuleFileNameW(State().instance, path, MAX_PATH);
    std::wstring module(path, length);
    size_t slash = module.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : module.substr(0, slash + 1);
}

HINSTANCE CResourceConfig::GetResourceInstance() {
    return State().resourceInstance != nullptr ? State().resourceInstance : State().instance;
}

void CResourceConfig::SetResourceInstance(HINSTANCE instance) { State().resourceInstance = instance; }

const std::wstring& CResourceConfig::GetResourcePath() { return State().resourcePath; }

void CResourceConfig::SetResourcePath(const wchar_t* path) {
    std::wstring& stored = State().resourcePath;
    stored = path != nullptr ? path : L"";
    if (!stored.empty() && stored.back() != L'\\' && stored.back() != L'/') stored += L'\\';
}

const std::wstring& CResourceConfig::GetResourceZip() { return State().resourceZip; }

void CResourceConfig::SetResourceZip(const wchar_t* name, bool cached) {
    ResourceState& state = State();
    const std::wstring wanted = name != nullptr ? name : L"";
    if (wanted == state.resourceZip && cached == state.cached) return;
    state.archive.reset();
    state.resourceZip = wanted;
    state.cached = cached;
    if (cached && !wanted.empty()) state.archive = CSkinArchive::OpenFile(state.resourcePath + wanted);
}

void CResourceConfig::SetResourceZip(const void* data, size_t size) {
    ResourceState& state = State();
    if (state.resourceZip == kMemoryArchiveName) return;
    state.archive.reset();
    state.resourceZip = kMemoryArchiveName;
    state.cached = true;
    state.archive = CSkinArchive::OpenMemory(data, size);
}

bool CResourceConfig::SetResourceZipFromModule(const wchar_t* name, const wchar_t* type) {
    ResourceState& state = State();
    if (state.resourceZip == kMemoryArchiveName) return true;
    ModuleResource resource = FindModuleResource(name, type);
    if (resource.data == nullptr || resource.size == 0) return false;
    // The archive is read where the module keeps it, and the module stays loaded for the life of
    // the process: no copy of the whole skin on the heap, and only the members read are paged in.
    HMODULE pinned = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                            reinterpret_cast<LPCWSTR>(resource.data), &pinned))
        return false;
    SetResourceZip(resource.data, resource.size);
    return true;
}

bool CResourceConfig::IsCachedResourceZip() { return State().cached; }

CSkinArchive* CResourceConfig::GetResourceZipHandle() { return State().archive.get(); }

void CResourceConfig::CloseResourceZip() { State().archive.reset(); }

const std::wstring& CResourceConfig::GetDefaultFontName() { return State().defaultFontName; }

void CResourceConfig::SetDefaultFontName(const wchar_t* name) { State().defaultFontName = name != nullptr ? name : L""; }

ResourceReadStatus ReadSkinFile(const std::wstring& name, size_t maxSize, std::vector<uint8_t>& bytes) {
    const ResourceState& state = State();
    if (state.resourceZip.empty()) return ReadFileBytes(state.resourcePath + name, maxSize, bytes);
    if (state.archive != nullptr) return ReadArchiveMember(*state.archive, name, maxSize, bytes);
    // An archive that is not cached is opened for this one lookup.
    std::unique_ptr<CSkinArchive> archive = CSkinArchive::OpenFile(state.resourcePath + state.resourceZip);
    if (archive == nullptr) return ResourceReadStatus::OpenZipFailed;
    return ReadArchiveMember(*archive, name, maxSize, bytes);
}

ModuleResource FindModuleResource(const wchar_t* name, const wchar_t* type) {
    HMODULE module = CResourceConfig::GetResourceInstance();
    HRSRC found = FindResourceW(module, name, type);
    if (found == nullptr) return {};
    HGLOBAL loaded = LoadResource(module, found);
    if (loaded == nullptr) return {};
    return {static_cast<const uint8_t*>(LockResource(loaded)), SizeofResource(module, found)};
}

ModuleResource FindModuleResource(UINT id, const wchar_t* type) {
    return FindModuleResource(MAKEINTRESOURCEW(id), type);
}

std::unique_ptr<TImageInfo> LoadImageRecord(const std::wstring& name, const wchar_t* resourceType, DWORD mask) {
    if (resourceType != nullptr && *resourceType != L'\0') {
        if (name.empty() || name[0] < L'0' || name[0] > L'9') return nullptr;
        const UINT id = static_cast<UINT>(wcstoul(name.c_str(), nullptr, 10));
        ModuleResource resource = FindModuleResource(id, resourceType);
        if (resource.data == nullptr) return nullptr;
        std::unique_ptr<TImageInfo> image = DecodeImage(resource.data, resource.size, mask);
        if (image != nullptr) image->resourceType = resourceType;
        return image;
    }
    std::vector<uint8_t> bytes;
    if (ReadSkinFile(name, kMaxImageFile, bytes) != ResourceReadStatus::Ok &&
        ReadFileBytes(name, kMaxImageFile, bytes) != ResourceReadStatus::Ok) {
        return nullptr;
    }
    return DecodeImage(bytes.data(), bytes.size(), mask);
}

std::unique_ptr<TImageInfo> LoadImageRender(const std::wstring& name, int percent, DWORD mask) {
    std::vector<uint8_t> bytes;
    if (ReadSkinFile(PictureRenderName(name, percent), kMaxImageFile, bytes) != ResourceReadStatus::Ok) return nullptr;
    std::unique_ptr<TImageInfo> image = DecodeImage(bytes.data(), bytes.size(), mask);
    if (image != nullptr) image->renderPercent = percent;
    return image;
}

}  // namespace UiLib
