#include "app/updater/signature.h"

#include "base/sha256.h"
#include "base/text.h"
#include "signer_keys.h"
#include "x509/certificate.h"

#include <algorithm>

#include <softpub.h>
#include <wincrypt.h>
#include <wintrust.h>

std::optional<std::string> signer_name_of(std::wstring_view name)
{
    if (name.find(L'\0') != std::wstring_view::npos) return std::nullopt;
    return utf8_from_utf16(name);
}

std::vector<std::string> parse_signer_keys(std::string_view list)
{
    std::vector<std::string> keys;
    while (!list.empty()) {
        const size_t end = std::min(list.find(';'), list.size());
        std::string key = ascii_lower(list.substr(0, end));
        if (!key.empty()) keys.push_back(std::move(key));
        list.remove_prefix(std::min(end + 1, list.size()));
    }
    return keys;
}

const std::vector<std::string>& pinned_signer_keys()
{
    static const std::vector<std::string> keys = parse_signer_keys(VESSOP_SIGNER_KEY_SHA256);
    return keys;
}

bool is_maker(const Signer& signer, std::span<const std::string> pinned)
{
    if (signer.name != k_required_signer) return false;
    return pinned.empty() || std::find(pinned.begin(), pinned.end(), signer.key_sha256) != pinned.end();
}

TrustVerdict trust_verdict(LONG result)
{
    switch (static_cast<HRESULT>(result)) {
    case S_OK: return TrustVerdict::Trusted;
    case CERT_E_REVOCATION_FAILURE:
    case CRYPT_E_REVOCATION_OFFLINE:
    case CRYPT_E_NO_REVOCATION_CHECK: return TrustVerdict::RevocationUnknown;
    default: return TrustVerdict::Untrusted;  // CERT_E_REVOKED and CRYPT_E_REVOKED among them
    }
}

std::optional<std::string> key_sha256_of(PCCERT_CONTEXT certificate)
{
    CERT_PUBLIC_KEY_INFO* key = &certificate->pCertInfo->SubjectPublicKeyInfo;
    DWORD size = 0;
    if (!CryptEncodeObjectEx(X509_ASN_ENCODING, X509_PUBLIC_KEY_INFO, key, 0, nullptr, nullptr, &size)) return std::nullopt;
    std::vector<uint8_t> encoded(size);
    if (!CryptEncodeObjectEx(X509_ASN_ENCODING, X509_PUBLIC_KEY_INFO, key, 0, nullptr, encoded.data(), &size))
        return std::nullopt;
    encoded.resize(size);
    const std::optional<std::array<uint8_t, 32>> digest = sha256(encoded);
    if (!digest) return std::nullopt;
    return to_hex_lower(*digest);
}

namespace {

std::optional<std::string> name_of(PCCERT_CONTEXT certificate)
{
    // Asked for its size first: the count returned covers the whole name, NULs inside included.
    const DWORD size = CertGetNameStringW(certificate, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr, nullptr, 0);
    if (size <= 1) return std::nullopt;
    std::wstring buffer(size, L'\0');
    const DWORD written = CertGetNameStringW(certificate, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr, buffer.data(), size);
    if (written <= 1 || written > size) return std::nullopt;
    return signer_name_of(std::wstring_view(buffer.data(), written - 1));
}

struct Verification {
    LONG result = TRUST_E_FAIL;
    std::optional<Signer> signer;  // when trusted
};

// One WinVerifyTrust verification of the held file.
Verification verify(const Path& file, HANDLE held, bool check_revocation)
{
    // The file is read through the held handle, from its start: the bytes judged are the bytes that
    // were measured and hashed, whatever the path names meanwhile.
    LARGE_INTEGER start{};
    if (!SetFilePointerEx(held, start, nullptr, FILE_BEGIN)) return {};
    WINTRUST_FILE_INFO file_info{};
    file_info.cbStruct = sizeof(file_info);
    file_info.pcwszFilePath = file.c_str();
    file_info.hFile = held;

    WINTRUST_DATA data{};
    data.cbStruct = sizeof(data);
    data.dwUIChoice = WTD_UI_NONE;
    data.fdwRevocationChecks = check_revocation ? WTD_REVOKE_WHOLECHAIN : WTD_REVOKE_NONE;
    data.dwProvFlags = check_revocation ? WTD_REVOCATION_CHECK_CHAIN : WTD_REVOCATION_CHECK_NONE;
    data.dwUnionChoice = WTD_CHOICE_FILE;
    data.pFile = &file_info;
    data.dwStateAction = WTD_STATEACTION_VERIFY;

    GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    Verification verification;
    verification.result = WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
    if (verification.result == 0) {
        CRYPT_PROVIDER_DATA* provider = WTHelperProvDataFromStateData(data.hWVTStateData);
        CRYPT_PROVIDER_SGNR* signer = provider ? WTHelperGetProvSignerFromChain(provider, 0, FALSE, 0) : nullptr;
        if (signer && signer->csCertChain > 0 && signer->pasCertChain && signer->pasCertChain[0].pCert) {
            const PCCERT_CONTEXT certificate = signer->pasCertChain[0].pCert;
            std::optional<std::string> name = name_of(certificate);
            std::optional<std::string> key = key_sha256_of(certificate);
            if (name && key) verification.signer = Signer{std::move(*name), std::move(*key)};
        }
    }
    // Whatever the verdict: the state the first call made is released by a second one.
    data.dwStateAction = WTD_STATEACTION_CLOSE;
    WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
    return verification;
}

}  // namespace

std::optional<Signer> trusted_signer(const Path& file, HANDLE held)
{
    Verification checked = verify(file, held, true);
    switch (trust_verdict(checked.result)) {
    case TrustVerdict::Trusted: return std::move(checked.signer);
    case TrustVerdict::Untrusted: return std::nullopt;
    case TrustVerdict::RevocationUnknown: break;
    }
    // A revoked certificate fails above; one whose revocation could not be asked about counts as
    // trusted when everything else is.
    Verification again = verify(file, held, false);
    if (trust_verdict(again.result) != TrustVerdict::Trusted) return std::nullopt;
    return std::move(again.signer);
}

bool signed_by_maker(const Path& file, HANDLE held)
{
    const std::optional<Signer> signer = trusted_signer(file, held);
    return signer && is_maker(*signer, pinned_signer_keys());
}
