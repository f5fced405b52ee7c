#include "online/FileMd5.h"

#include <windows.h>
#include <wincrypt.h>

#include "shared/ScopedHandle.h"

namespace {

constexpr DWORD kChunkSize = 1024;
constexpr DWORD kDigestSize = 16;

class Md5Hash {
public:
    Md5Hash() {
        if (!CryptAcquireContextW(&provider_, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT)) provider_ = 0;
        if (provider_ != 0 && !CryptCreateHash(provider_, CALG_MD5, 0, 0, &hash_)) hash_ = 0;
    }
    ~Md5Hash() {
        if (hash_ != 0) CryptDestroyHash(hash_);
        if (provider_ != 0) CryptReleaseContext(provider_, 0);
    }
    Md5Hash(const Md5Hash&) = delete;
    Md5Hash& operator=(const Md5Hash&) = delete;

    bool Valid() const { return hash_ != 0; }
    void Add(const BYTE* bytes, DWORD count) { CryptHashData(hash_, bytes, count, 0); }

    std::wstring Hex() const {
        BYTE digest[kDigestSize] = {};
        DWORD size = kDigestSize;
        if (!CryptGetHashParam(hash_, HP_HASHVAL, digest, &size, 0) || size != kDigestSize) return {};
        static const wchar_t kDigits[] = L"0123456789abcdef";
        std::wstring text;
        for (BYTE byte : digest) {
            text += kDigits[byte >> 4];
            text += kDigits[byte & 0x0F];
        }
        return text;
    }

private:
    HCRYPTPROV provider_ = 0;
    HCRYPTHASH hash_ = 0;
};

}  // namespace

std::wstring FileMd5Hex(HANDLE file) {
    Md5Hash md5;
    if (!md5.Valid()) return {};
    LARGE_INTEGER start{};
    if (file != nullptr && SetFilePointerEx(file, start, nullptr, FILE_BEGIN)) {
        BYTE buffer[kChunkSize];
        DWORD read = 0;
        while (ReadFile(file, buffer, kChunkSize, &read, nullptr) && read > 0) md5.Add(buffer, read);
    }
    return md5.Hex();
}

std::wstring FileMd5Hex(const std::wstring& path) {
    ScopedHandle file = AdoptFileHandle(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return FileMd5Hex(file.get());
}
