#include "tests/UiLib/core/SkinFixtures.h"

#include <zlib.h>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wall"
#pragma GCC diagnostic ignored "-Wextra"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#include <stb_image_write.h>
#pragma GCC diagnostic pop

namespace SkinFixtures {
namespace {

void Put16(std::string& out, uint32_t value) {
    out.push_back(static_cast<char>(value & 0xFF));
    out.push_back(static_cast<char>((value >> 8) & 0xFF));
}

void Put32(std::string& out, uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

uint32_t Crc(const std::string& data) {
    return static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
}

void AppendBytes(void* context, void* data, int size) {
    static_cast<std::string*>(context)->append(static_cast<const char*>(data), static_cast<size_t>(size));
}

}  // namespace

std::string Deflate(const std::string& data) {
    z_stream stream{};
    deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&stream, static_cast<uLong>(data.size())), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

ZipEntry Stored(const std::string& name, const std::string& data) {
    return {name, data, 0, 0, Crc(data), static_cast<uint32_t>(data.size()), static_cast<uint32_t>(data.size())};
}

ZipEntry Deflated(const std::string& name, const std::string& data) {
    std::string packed = Deflate(data);
    const uint32_t packedSize = static_cast<uint32_t>(packed.size());
    return {name, std::move(packed), 8, 0, Crc(data), packedSize, static_cast<uint32_t>(data.size())};
}

std::string BuildZip(const std::vector<ZipEntry>& entries) {
    std::string out;
    std::vector<uint32_t> offsets;
    for (const ZipEntry& entry : entries) {
        offsets.push_back(static_cast<uint32_t>(out.size()));
        Put32(out, 0x04034b50);
        Put16(out, 20);
        Put16(out, entry.flags);
        Put16(out, entry.method);
        Put32(out, 0);
        Put32(out, entry.crc);
        Put32(out, entry.compressedSize);
        Put32(out, entry.size);
        Put16(out, static_cast<uint32_t>(entry.name.size()));
        Put16(out, 0);
        out += entry.name;
        out += entry.stored;
    }
    const uint32_t directory = static_cast<uint32_t>(out.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        const ZipEntry& entry = entries[i];
        Put32(out, 0x02014b50);
        Put16(out, 20);
        Put16(out, 20);
        Put16(out, entry.flags);
        Put16(out, entry.method);
        Put32(out, 0);
        Put32(out, entry.crc);
        Put32(out, entry.compressedSize);
        Put32(out, entry.size);
        Put16(out, static_cast<uint32_t>(entry.name.size()));
        Put16(out, 0);
        Put16(out, 0);
        Put16(out, 0);
        Put16(out, 0);
        Put32(out, 0);
        Put32(out, offsets[i]);
        out += entry.name;
    }
    const uint32_t directorySize = static_cast<uint32_t>(out.size()) - directory;
    Put32(out, 0x06054b50);
    Put16(out, 0);
    Put16(out, 0);
    Put16(out, static_cast<uint32_t>(entries.size()));
    Put16(out, static_cast<uint32_t>(entries.size()));
    Put32(out, directorySize);
    Put32(out, directory);
    Put16(out, 0);
    return out;
}

std::string EncodePng(int width, int height, const std::vector<Rgba>& pixels) {
    std::string out;
    stbi_write_png_to_func(&AppendBytes, &out, width, height, 4, pixels.data(), width * 4);
    return out;
}

std::string EncodeBmp(int width, int height, const std::vector<Rgba>& pixels) {
    std::string out;
    stbi_write_bmp_to_func(&AppendBytes, &out, width, height, 4, pixels.data());
    return out;
}

uint32_t Mutator::Next() {
    // xorshift32: small, fast and the same on every run.
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_;
}

std::string Mutator::Mutate(const std::string& input) {
    std::string out = input;
    const uint32_t edits = 1 + Next() % 4;
    for (uint32_t i = 0; i < edits && !out.empty(); ++i) {
        const size_t at = Next() % out.size();
        switch (Next() % 6) {
        case 0: out[at] = static_cast<char>(out[at] ^ (1u << (Next() % 8))); break;
        case 1: out[at] = static_cast<char>(Next()); break;
        case 2: out.resize(at); break;
        case 3: out.insert(at, out.substr(at, Next() % 16)); break;
        case 4: out.erase(at, 1 + Next() % 8); break;
        default: out[at] = "<>/=\"&!?- \xff\x00"[Next() % 13]; break;
        }
    }
    return out;
}

}  // namespace SkinFixtures
