#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Zip archives and images written by the tests themselves, so that no binary fixture is kept.
namespace SkinFixtures {

struct ZipEntry {
    std::string name;
    std::string stored;  // the member's bytes as they stand in the archive (deflated or not)
    uint16_t method = 0;
    uint16_t flags = 0;
    uint32_t crc = 0;
    uint32_t compressedSize = 0;
    uint32_t size = 0;
};

// Raw deflate, as zip members hold it.
std::string Deflate(const std::string& data);
ZipEntry Stored(const std::string& name, const std::string& data);
ZipEntry Deflated(const std::string& name, const std::string& data);
// Local headers and data, then the central directory and its end record. Sizes are taken from
// the entries as they are, so a test can make them lie.
std::string BuildZip(const std::vector<ZipEntry>& entries);

struct Rgba {
    uint8_t r, g, b, a;
};
std::string EncodePng(int width, int height, const std::vector<Rgba>& pixels);
std::string EncodeBmp(int width, int height, const std::vector<Rgba>& pixels);

// Deterministic bytes of a pseudo-random generator; for mutation tests.
class Mutator {
public:
    explicit Mutator(uint32_t seed) : state_(seed) {}
    uint32_t Next();
    // Flips, overwrites, cuts, duplicates or deletes a few bytes.
    std::string Mutate(const std::string& input);

private:
    uint32_t state_;
};

}  // namespace SkinFixtures
