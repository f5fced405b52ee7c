#include "online/PackageTrust.h"

#include <softpub.h>
#include <wincrypt.h>
#include <wintrust.h>

#include <string>

#include "UiLib/Utils/LibraryFunction.h"
#include "online/VersionResource.h"
#include "shared/ScopedHandle.h"

namespace {

// Bound when a package is first checked, not at start: most starts check none, and these
// libraries would slow every start.
struct TrustFunctions {
    decltype(&::WinVerifyTrust) verify;
    decltype(&::WTHelperProvDataFromStateData) providerData;
    decltype(&::WTHelperGetProvSignerFromChain) signer;
    decltype(&::WTHelperGetProvCertFromChain) certificate;
};

bool BindTrust(HMODULE library, TrustFunctions& functions) {
    using UiLib::BindLibraryFunction;
    return BindLibraryFunction(library, "WinVerifyTrust", functions.verify) &&
           BindLibraryFunction(library, "WTHelperProvDataFromStateData", functions.providerData) &&
           BindLibraryFunction(library, "WTHelperGetProvSignerFromChain", functions.signer) &&
           BindLibraryFunction(library, "WTHelperGetProvCertFromChain", functions.certificate);
}

const TrustFunctions* Trust() { return UiLib::LibraryTable(L"wintrust.dll", &BindTrust); }

struct CertificateFunctions {
    decltype(&::CertCompareCertificateName) compareName;
    decltype(&::CertComparePublicKeyInfo) compareKey;
};

bool BindCertificates(HMODULE library, CertificateFunctions& functions) {
    using UiLib::BindLibraryFunction;
    return BindLibraryFunction(library, "CertCompareCertificateName", functions.compareName) &&
           BindLibraryFunction(library, "CertComparePublicKeyInfo", functions.compareKey);
}

const CertificateFunctions* Certificates() { return UiLib::LibraryTable(L"crypt32.dll", &BindCertificates); }

// The subject interface package of Windows programs: the file is read as one whatever its name.
GUID kPeImageSubject = {0xc689aab8, 0x8e78, 0x11d0, {0x8c, 0x47, 0x00, 0xc0, 0x4f, 0xc2, 0x95, 0xee}};
GUID kVerifyAction = WINTRUST_ACTION_GENERIC_VERIFY_V2;

std::wstring FinalPath(HANDLE file) {
    wchar_t path[MAX_PATH * 2] = {};
    const DWORD length = GetFinalPathNameByHandleW(file, path, MAX_PATH * 2, FILE_NAME_NORMALIZED);
    return length > 0 && length < MAX_PATH * 2 ? path : L"";
}

// The trust provider's verdict on the signature of one file, read through its handle: signed, the
// signature made by its certificate's key, and the image's digest still the signed one (Wine's
// provider checks that too). The provider's state, which holds the signer, lives as long as this.
class SignatureCheck {
public:
    explicit SignatureCheck(HANDLE file) : path_(FinalPath(file)) {
        if (trust_ == nullptr) return;
        fileInfo_.cbStruct = sizeof(fileInfo_);
        fileInfo_.pcwszFilePath = path_.c_str();
        fileInfo_.hFile = file;
        fileInfo_.pgKnownSubject = &kPeImageSubject;
        data_.cbStruct = sizeof(data_);
        data_.dwUIChoice = WTD_UI_NONE;
        // The signer is pinned to the program's own, so a revocation list adds nothing that would
        // justify reaching the network from an elevated process.
        data_.fdwRevocationChecks = WTD_REVOKE_NONE;
        data_.dwProvFlags = WTD_REVOCATION_CHECK_NONE | WTD_CACHE_ONLY_URL_RETRIEVAL;
        data_.dwUnionChoice = WTD_CHOICE_FILE;
        data_.pFile = &fileInfo_;
        data_.dwStateAction = WTD_STATEACTION_VERIFY;
        result_ = trust_->verify(static_cast<HWND>(INVALID_HANDLE_VALUE), &kVerifyAction, &data_);
    }
    ~SignatureCheck() {
        if (trust_ == nullptr) return;
        data_.dwStateAction = WTD_STATEACTION_CLOSE;
        trust_->verify(static_cast<HWND>(INVALID_HANDLE_VALUE), &kVerifyAction, &data_);
    }
    SignatureCheck(const SignatureCheck&) = delete;
    SignatureCheck& operator=(const SignatureCheck&) = delete;

    // The certificate that made a valid signature over the file as it is now; null otherwise.
    PCCERT_CONTEXT ValidSigner() const {
        // An untrusted root is what a self-signed development certificate gives; it is accepted
        // only because the caller pins the signer to the running program's. A bad digest, a bad
        // signature or none at all is never accepted.
        if (trust_ == nullptr || (result_ != ERROR_SUCCESS && result_ != CERT_E_UNTRUSTEDROOT)) return nullptr;
        CRYPT_PROVIDER_DATA* provider = trust_->providerData(data_.hWVTStateData);
        if (provider == nullptr) return nullptr;
        CRYPT_PROVIDER_SGNR* signer = trust_->signer(provider, 0, FALSE, 0);
        CRYPT_PROVIDER_CERT* certificate = signer == nullptr ? nullptr : trust_->certificate(signer, 0);
        return certificate == nullptr ? nullptr : certificate->pCert;
    }

private:
    const TrustFunctions* trust_ = Trust();
    std::wstring path_;
    WINTRUST_FILE_INFO fileInfo_{};
    WINTRUST_DATA data_{};
    LONG result_ = TRUST_E_NOSIGNATURE;
};

// One publisher: the same subject name and the same public key. The key is what proves who
// signed; the name is compared as well so that another certificate issued for that key (say to a
// different name of the maker's) does not stand in for the program's. A renewal that keeps both
// still matches; a new key needs one release signed with the old key first.
bool SamePublisher(PCCERT_CONTEXT first, PCCERT_CONTEXT second) {
    constexpr DWORD kEncoding = X509_ASN_ENCODING | PKCS_7_ASN_ENCODING;
    const CertificateFunctions* certificates = Certificates();
    return certificates != nullptr &&
           certificates->compareName(kEncoding, &first->pCertInfo->Subject, &second->pCertInfo->Subject) &&
           certificates->compareKey(kEncoding, &first->pCertInfo->SubjectPublicKeyInfo,
                                    &second->pCertInfo->SubjectPublicKeyInfo);
}

ScopedHandle OpenRunningProgram() {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    // Delete sharing: an update may rename the running program; its bytes stay what they are.
    return AdoptFileHandle(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
}

}  // namespace

bool IsTrustedPackageOf(HANDLE package, const std::wstring& version, HANDLE publisherProgram) {
    SignatureCheck publisher(publisherProgram);
    PCCERT_CONTEXT publisherSigner = publisher.ValidSigner();
    if (publisherSigner == nullptr) return false;
    SignatureCheck candidate(package);
    PCCERT_CONTEXT packageSigner = candidate.ValidSigner();
    if (packageSigner == nullptr || !SamePublisher(publisherSigner, packageSigner)) return false;
    return version.empty() || ImageFileVersion(package) == version;
}

bool IsTrustedPackage(HANDLE package, const std::wstring& version) {
    ScopedHandle program = OpenRunningProgram();
    return program && IsTrustedPackageOf(package, version, program.get());
}
