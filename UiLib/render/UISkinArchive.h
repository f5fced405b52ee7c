#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace UiLib {

// Read-only view of a zip archive that holds skin layouts and pictures. Members are either stored
// or deflated. Every offset and size in the archive is checked against the buffer before use, so a
// damaged or hostile archive gives "not found" or an extraction error, never a read outside it.
class CSkinArchive {
public:
    enum class ExtractResult {
        Ok,        // the member filled the buffer exactly
        MoreData,  // the buffer is full but the member's data goes on
        Error,
    };

    struct Member {
        std::string name;  // as stored, in the ANSI code page
        uint16_t method = 0;
        uint16_t flags = 0;
        uint32_t crc = 0;
        uint32_t compressedSize = 0;
        uint32_t size = 0;  // uncompressed size from the central directory
        uint32_t localHeaderOffset = 0;
    };

    // Reads the whole file; null if it cannot be read or is no zip archive.
    static std::unique_ptr<CSkinArchive> OpenFile(const std::wstring& path);
    // Views a block the caller keeps alive for as long as the archive; null if it is no zip archive.
    static std::unique_ptr<CSkinArchive> OpenMemory(const void* data, size_t size);

    // The first member whose name equals `name` ignoring the case of ASCII letters, with "\" read
    // as "/". Names of 256 characters or more, and names the ANSI code page cannot hold, are never found.
    const Member* Find(const std::wstring& name) const;
    // Extracts the member into `buffer` of `capacity` bytes (normally exactly its size).
    ExtractResult Extract(const Member& member, void* buffer, size_t capacity) const;

    const std::vector<Member>& Members() const { return members_; }

private:
    CSkinArchive(std::vector<uint8_t> owned, const uint8_t* data, size_t size);
    bool ReadDirectory();
    const uint8_t* MemberData(const Member& member) const;

    std::vector<uint8_t> owned_;
    const uint8_t* data_;
    size_t size_;
    std::vector<Member> members_;
    // Folded member name → index of its first member, so a lookup costs one hash.
    std::unordered_map<std::string, size_t> index_;
};

}  // namespace UiLib
