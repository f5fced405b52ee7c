#include "online/VersionResource.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>

#include "shared/ScopedHandle.h"

namespace {

// Larger than any program of ours; a bigger file is not one.
constexpr ULONGLONG kLargestImage = 256ull << 20;
constexpr WORD kMostSections = 96;  // what the loader accepts
constexpr DWORD kVersionType = 16;  // RT_VERSION, as a number
constexpr DWORD kNameIsString = 0x80000000;
constexpr DWORD kIsDirectory = 0x80000000;
const wchar_t kVersionKey[] = L"VS_VERSION_INFO";

struct ViewUnmapper {
    void operator()(const void* view) const { UnmapViewOfFile(view); }
};
using MappedView = std::unique_ptr<const void, ViewUnmapper>;

// The bytes of a file, read only within their bounds.
class Bytes {
public:
    Bytes(const BYTE* data, size_t size) : data_(data), size_(size) {}

    bool Holds(size_t offset, size_t length) const { return offset <= size_ && size_ - offset >= length; }

    template <typename T>
    std::optional<T> Read(size_t offset) const {
        if (!Holds(offset, sizeof(T))) return std::nullopt;
        T value;
        std::memcpy(&value, data_ + offset, sizeof(T));
        return value;
    }

private:
    const BYTE* data_;
    size_t size_;
};

// A PE32 program's sections, which say where in the file each part of the loaded image lies.
class Image {
public:
    explicit Image(const Bytes& bytes) : bytes_(bytes) {}

    // Reads the headers; false when the file is not a 32-bit Windows program.
    bool Open() {
        auto dos = bytes_.Read<IMAGE_DOS_HEADER>(0);
        if (!dos || dos->e_magic != IMAGE_DOS_SIGNATURE || dos->e_lfanew < 0) return false;
        const size_t nt = static_cast<size_t>(dos->e_lfanew);
        auto headers = bytes_.Read<IMAGE_NT_HEADERS32>(nt);
        if (!headers || headers->Signature != IMAGE_NT_SIGNATURE ||
            headers->OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR32_MAGIC ||
            headers->FileHeader.NumberOfSections > kMostSections ||
            headers->OptionalHeader.NumberOfRvaAndSizes <= IMAGE_DIRECTORY_ENTRY_RESOURCE)
            return false;
        resources_ = headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_RESOURCE];
        firstSection_ = nt + offsetof(IMAGE_NT_HEADERS32, OptionalHeader) + headers->FileHeader.SizeOfOptionalHeader;
        sections_ = headers->FileHeader.NumberOfSections;
        return bytes_.Holds(firstSection_, sections_ * sizeof(IMAGE_SECTION_HEADER));
    }

    const IMAGE_DATA_DIRECTORY& Resources() const { return resources_; }

    // Where `length` bytes of the image at `rva` lie in the file, when they lie whole in one section.
    std::optional<size_t> FileOffset(DWORD rva, DWORD length) const {
        for (WORD i = 0; i < sections_; ++i) {
            auto section = bytes_.Read<IMAGE_SECTION_HEADER>(firstSection_ + i * sizeof(IMAGE_SECTION_HEADER));
            if (!section || rva < section->VirtualAddress) continue;
            const uint64_t into = uint64_t{rva} - section->VirtualAddress;
            if (into + length > section->SizeOfRawData) continue;
            const uint64_t offset = section->PointerToRawData + into;
            if (!bytes_.Holds(static_cast<size_t>(offset), length)) return std::nullopt;
            return static_cast<size_t>(offset);
        }
        return std::nullopt;
    }

private:
    const Bytes& bytes_;
    IMAGE_DATA_DIRECTORY resources_{};
    size_t firstSection_ = 0;
    WORD sections_ = 0;
};

// The resource tree: directories of entries, each pointing at a deeper directory or, at the
// bottom, at a data entry. Offsets count from the tree's start and are checked against its size.
class ResourceTree {
public:
    ResourceTree(const Bytes& bytes, size_t start, DWORD size) : bytes_(bytes), start_(start), size_(size) {}

    // The entry of the directory at `directory` with the numeric id `id`, or its first entry when
    // `id` is empty: the offset it points at and whether that is a directory.
    std::optional<DWORD> Entry(DWORD directory, std::optional<DWORD> id, bool wantDirectory) const {
        auto header = Read<IMAGE_RESOURCE_DIRECTORY>(directory);
        if (!header) return std::nullopt;
        const DWORD count = DWORD{header->NumberOfNamedEntries} + header->NumberOfIdEntries;
        for (DWORD i = 0; i < count; ++i) {
            auto entry = Read<IMAGE_RESOURCE_DIRECTORY_ENTRY>(directory + sizeof(IMAGE_RESOURCE_DIRECTORY) +
                                                              i * sizeof(IMAGE_RESOURCE_DIRECTORY_ENTRY));
            if (!entry) return std::nullopt;
            if (id && ((entry->Name & kNameIsString) != 0 || entry->Name != *id)) continue;
            const bool isDirectory = (entry->OffsetToData & kIsDirectory) != 0;
            if (isDirectory != wantDirectory) return std::nullopt;
            return entry->OffsetToData & ~kIsDirectory;
        }
        return std::nullopt;
    }

    template <typename T>
    std::optional<T> Read(DWORD offset) const {
        if (offset > size_ || size_ - offset < sizeof(T)) return std::nullopt;
        return bytes_.Read<T>(start_ + offset);
    }

private:
    const Bytes& bytes_;
    size_t start_;
    DWORD size_;
};

// The header of a version resource and its fixed part, which holds the numeric versions.
#pragma pack(push, 1)
struct VersionHeader {
    WORD length;
    WORD valueLength;
    WORD type;
    wchar_t key[sizeof(kVersionKey) / sizeof(wchar_t)];
};
#pragma pack(pop)
// The fixed part follows the key, aligned on four bytes.
constexpr size_t kFixedInfoOffset = (sizeof(VersionHeader) + 3) & ~size_t{3};

std::wstring VersionText(const VS_FIXEDFILEINFO& info) {
    return std::to_wstring(HIWORD(info.dwFileVersionMS)) + L"." + std::to_wstring(LOWORD(info.dwFileVersionMS)) + L"." +
           std::to_wstring(HIWORD(info.dwFileVersionLS)) + L"." + std::to_wstring(LOWORD(info.dwFileVersionLS));
}

std::wstring FileVersionIn(const Bytes& bytes) {
    Image image(bytes);
    if (!image.Open()) return {};
    const IMAGE_DATA_DIRECTORY& resources = image.Resources();
    auto treeStart = image.FileOffset(resources.VirtualAddress, resources.Size);
    if (!treeStart) return {};
    ResourceTree tree(bytes, *treeStart, resources.Size);
    // Type, then name, then language: the first version resource of any name and language.
    auto names = tree.Entry(0, kVersionType, true);
    auto languages = names ? tree.Entry(*names, std::nullopt, true) : std::nullopt;
    auto dataEntry = languages ? tree.Entry(*languages, std::nullopt, false) : std::nullopt;
    auto data = dataEntry ? tree.Read<IMAGE_RESOURCE_DATA_ENTRY>(*dataEntry) : std::nullopt;
    if (!data || data->Size < kFixedInfoOffset + sizeof(VS_FIXEDFILEINFO)) return {};
    auto versionStart = image.FileOffset(data->OffsetToData, data->Size);
    if (!versionStart) return {};
    auto header = bytes.Read<VersionHeader>(*versionStart);
    auto info = bytes.Read<VS_FIXEDFILEINFO>(*versionStart + kFixedInfoOffset);
    if (!header || !info || header->length > data->Size || header->valueLength < sizeof(VS_FIXEDFILEINFO) ||
        std::memcmp(header->key, kVersionKey, sizeof(kVersionKey)) != 0 || info->dwSignature != VS_FFI_SIGNATURE)
        return {};
    return VersionText(*info);
}

}  // namespace

std::wstring ImageFileVersion(HANDLE image) {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(image, &size) || size.QuadPart <= 0 || static_cast<ULONGLONG>(size.QuadPart) > kLargestImage)
        return {};
    ScopedHandle mapping(CreateFileMappingW(image, nullptr, PAGE_READONLY, 0, 0, nullptr));
    if (!mapping) return {};
    MappedView view(MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 0));
    if (!view) return {};
    return FileVersionIn(Bytes(static_cast<const BYTE*>(view.get()), static_cast<size_t>(size.QuadPart)));
}
