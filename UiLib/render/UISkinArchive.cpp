#include "UiLib/render/UISkinArchive.h"

#include <windows.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>

namespace UiLib {
namespace {

constexpr uint32_t kEndOfDirectorySignature = 0x06054b50;
constexpr uint32_t kDirectoryEntrySignature = 0x02014b50;
constexpr uint32_t kLocalHeaderSignature = 0x04034b50;
constexpr size_t kEndOfDirectorySize = 22;
constexpr size_t kDirectoryEntrySize = 46;
constexpr size_t kLocalHeaderSize = 30;
constexpr size_t kMaxCommentSize = 0xFFFF;
constexpr uint16_t kFlagEncrypted = 0x0001;
constexpr uint16_t kFlagUtf8Name = 0x0800;
constexpr uint16_t kMethodStored = 0;
constexpr uint16_t kMethodDeflated = 8;
// Deflate never expands data by more than about 1032:1; a member that claims more lies.
constexpr uint64_t kMaxDeflateRatio = 1032;
// The lookup converts names into a buffer of this many bytes, terminator included.
constexpr int kMaxAnsiName = 259;
constexpr size_t kMaxNameCharacters = 255;
// Archive files are read whole; a skin never comes near this.
constexpr uint64_t kMaxArchiveFile = 512u * 1024 * 1024;

uint16_t Read16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

uint32_t Read32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

std::string FoldAscii(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

// Names flagged as UTF-8 are compared in the ANSI code page like every other name.
std::string Utf8NameToAnsi(const std::string& name) {
    int wide = MultiByteToWideChar(CP_UTF8, 0, name.data(), static_cast<int>(name.size()), nullptr, 0);
    if (wide <= 0) return name;
    std::wstring text(static_cast<size_t>(wide), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, name.data(), static_cast<int>(name.size()), text.data(), wide);
    int ansi = WideCharToMultiByte(CP_ACP, 0, text.data(), wide, nullptr, 0, nullptr, nullptr);
    if (ansi <= 0) return name;
    std::string result(static_cast<size_t>(ansi), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), wide, result.data(), ansi, nullptr, nullptr);
    return result;
}

bool ReadWholeFile(const std::wstring& path, std::vector<uint8_t>& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    std::unique_ptr<void, decltype(&CloseHandle)> closer(file, &CloseHandle);
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size) || size.QuadPart <= 0 ||
        static_cast<uint64_t>(size.QuadPart) > kMaxArchiveFile) {
        return false;
    }
    try {
        bytes.resize(static_cast<size_t>(size.QuadPart));
    } catch (const std::bad_alloc&) {
        return false;
    }
    DWORD read = 0;
    return ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) &&
           read == bytes.size();
}

}  // namespace

CSkinArchive::CSkinArchive(std::vector<uint8_t> owned, const uint8_t* data, size_t size)
    : owned_(std::move(owned)), data_(owned_.empty() ? data : owned_.data()), size_(owned_.empty() ? size : owned_.size()) {}

std::unique_ptr<CSkinArchive> CSkinArchive::OpenFile(const std::wstring& path) {
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path, bytes)) return nullptr;
    std::unique_ptr<CSkinArchive> archive(new CSkinArchive(std::move(bytes), nullptr, 0));
    if (!archive->ReadDirectory()) return nullptr;
    return archive;
}

std::unique_ptr<CSkinArchive> CSkinArchive::OpenMemory(const void* data, size_t size) {
    if (data == nullptr) return nullptr;
    std::unique_ptr<CSkinArchive> archive(new CSkinArchive({}, static_cast<const uint8_t*>(data), size));
    if (!archive->ReadDirectory()) return nullptr;
    return archive;
}

bool CSkinArchive::ReadDirectory() {
    if (size_ < kEndOfDirectorySize) return false;
    size_t lowest = size_ - kEndOfDirectorySize > kMaxCommentSize ? size_ - kEndOfDirectorySize - kMaxCommentSize : 0;
    size_t end = size_ - kEndOfDirectorySize + 1;
    const uint8_t* record = nullptr;
    while (end-- > lowest) {
        if (Read32(data_ + end) == kEndOfDirectorySignature) {
            record = data_ + end;
            break;
        }
    }
    if (record == nullptr) return false;
    const size_t recordOffset = static_cast<size_t>(record - data_);
    const uint32_t entries = Read16(record + 10);
    const uint64_t directorySize = Read32(record + 12);
    const uint64_t directoryOffset = Read32(record + 16);
    if (directoryOffset + directorySize > recordOffset) return false;

    const uint8_t* p = data_ + directoryOffset;
    const uint8_t* directoryEnd = p + directorySize;
    members_.reserve(std::min<size_t>(entries, directorySize / kDirectoryEntrySize));
    for (uint32_t i = 0; i < entries; ++i) {
        // A damaged entry ends the directory; the members before it stay readable.
        if (static_cast<size_t>(directoryEnd - p) < kDirectoryEntrySize || Read32(p) != kDirectoryEntrySignature) break;
        const size_t nameLength = Read16(p + 28);
        const size_t entryLength = kDirectoryEntrySize + nameLength + Read16(p + 30) + Read16(p + 32);
        if (static_cast<size_t>(directoryEnd - p) < entryLength) break;
        Member member;
        member.flags = Read16(p + 8);
        member.method = Read16(p + 10);
        member.crc = Read32(p + 16);
        member.compressedSize = Read32(p + 20);
        member.size = Read32(p + 24);
        member.localHeaderOffset = Read32(p + 42);
        member.name.assign(reinterpret_cast<const char*>(p + kDirectoryEntrySize), nameLength);
        if (member.flags & kFlagUtf8Name) member.name = Utf8NameToAnsi(member.name);
        index_.emplace(FoldAscii(member.name), members_.size());
        members_.push_back(std::move(member));
        p += entryLength;
    }
    return true;
}

const CSkinArchive::Member* CSkinArchive::Find(const std::wstring& name) const {
    if (name.empty() || name.size() > kMaxNameCharacters) return nullptr;
    std::wstring wanted = name;
    std::replace(wanted.begin(), wanted.end(), L'\\', L'/');
    char ansi[kMaxAnsiName];
    int length = WideCharToMultiByte(CP_ACP, 0, wanted.data(), static_cast<int>(wanted.size()), ansi,
                                     kMaxAnsiName - 1, nullptr, nullptr);
    if (length <= 0) return nullptr;
    auto found = index_.find(FoldAscii(std::string(ansi, static_cast<size_t>(length))));
    return found == index_.end() ? nullptr : &members_[found->second];
}

const uint8_t* CSkinArchive::MemberData(const Member& member) const {
    const uint64_t header = member.localHeaderOffset;
    if (header + kLocalHeaderSize > size_) return nullptr;
    const uint8_t* local = data_ + header;
    if (Read32(local) != kLocalHeaderSignature) return nullptr;
    const uint64_t start = header + kLocalHeaderSize + Read16(local + 26) + Read16(local + 28);
    if (start + member.compressedSize > size_) return nullptr;
    return data_ + start;
}

CSkinArchive::ExtractResult CSkinArchive::Extract(const Member& member, void* buffer, size_t capacity) const {
    if (member.flags & kFlagEncrypted) return ExtractResult::Error;
    const uint8_t* data = MemberData(member);
    if (data == nullptr) return ExtractResult::Error;

    if (member.method == kMethodStored) {
        if (member.compressedSize != member.size) return ExtractResult::Error;
        std::memcpy(buffer, data, std::min<size_t>(capacity, member.size));
        return capacity < member.size ? ExtractResult::MoreData : ExtractResult::Ok;
    }
    if (member.method != kMethodDeflated) return ExtractResult::Error;
    if (member.size > (static_cast<uint64_t>(member.compressedSize) + 1) * kMaxDeflateRatio) return ExtractResult::Error;

    z_stream stream{};
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) return ExtractResult::Error;
    stream.next_in = const_cast<Bytef*>(data);
    stream.avail_in = member.compressedSize;
    stream.next_out = static_cast<Bytef*>(buffer);
    stream.avail_out = static_cast<uInt>(capacity);
    const int status = inflate(&stream, Z_FINISH);
    const uLong produced = stream.total_out;
    const bool full = stream.avail_out == 0;
    inflateEnd(&stream);

    if (status == Z_STREAM_END) return produced == member.size ? ExtractResult::Ok : ExtractResult::Error;
    if ((status == Z_BUF_ERROR || status == Z_OK) && full) return ExtractResult::MoreData;
    return ExtractResult::Error;
}

}  // namespace UiLib
