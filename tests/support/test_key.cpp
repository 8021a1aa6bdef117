#include "tests/support/test_key.h"

#include "x509/dates.h"

#include <algorithm>
#include <stdexcept>
#include <vector>

namespace {

FILETIME filetime_of(int64_t seconds)
{
    const uint64_t ticks = ticks_from_seconds(seconds);
    return FILETIME{static_cast<DWORD>(ticks & 0xFFFFFFFF), static_cast<DWORD>(ticks >> 32)};
}

std::string encoded(LPCSTR type, const void* value)
{
    DWORD size = 0;
    CryptEncodeObjectEx(X509_ASN_ENCODING, type, value, 0, nullptr, nullptr, &size);
    std::string out(size, '\0');
    if (!CryptEncodeObjectEx(X509_ASN_ENCODING, type, value, 0, nullptr, out.data(), &size))
        throw std::runtime_error("not encoded");
    out.resize(size);
    return out;
}

}  // namespace

TestKey::TestKey()
{
    if (!CryptAcquireContextW(&provider_, nullptr, MS_ENH_RSA_AES_PROV_W, PROV_RSA_AES, CRYPT_VERIFYCONTEXT))
        throw std::runtime_error("no RSA provider");
    if (!CryptGenKey(provider_, AT_SIGNATURE, (1024u << 16) | CRYPT_EXPORTABLE, &key_)) {
        CryptReleaseContext(provider_, 0);
        throw std::runtime_error("no RSA key");
    }
}

extern const unsigned char k_fixture_key_blob[];
extern const size_t k_fixture_key_blob_size;

TestKey::TestKey(FromBlob, const unsigned char* blob, size_t size)
{
    if (!CryptAcquireContextW(&provider_, nullptr, MS_ENH_RSA_AES_PROV_W, PROV_RSA_AES, CRYPT_VERIFYCONTEXT))
        throw std::runtime_error("no RSA provider");
    // A signature key blob lands in the container's AT_SIGNATURE slot, where sign() and
    // public_key_info() look for it.
    if (!CryptImportKey(provider_, blob, static_cast<DWORD>(size), 0, 0, &key_)) {
        CryptReleaseContext(provider_, 0);
        throw std::runtime_error("fixture key not imported");
    }
}

TestKey TestKey::fixture()
{
    return TestKey(FromBlob{}, k_fixture_key_blob, k_fixture_key_blob_size);
}

TestKey::~TestKey()
{
    CryptDestroyKey(key_);
    CryptReleaseContext(provider_, 0);
}

std::string TestKey::public_key_info() const
{
    DWORD size = 0;
    CryptExportPublicKeyInfo(provider_, AT_SIGNATURE, X509_ASN_ENCODING, nullptr, &size);
    std::vector<BYTE> info(size);
    auto* key = reinterpret_cast<CERT_PUBLIC_KEY_INFO*>(info.data());
    if (!CryptExportPublicKeyInfo(provider_, AT_SIGNATURE, X509_ASN_ENCODING, key, &size))
        throw std::runtime_error("public key not exported");
    return encoded(X509_PUBLIC_KEY_INFO, key);
}

std::string TestKey::sign(std::string_view data) const
{
    HCRYPTHASH hash = 0;
    if (!CryptCreateHash(provider_, CALG_SHA_256, 0, 0, &hash)) throw std::runtime_error("no hash");
    DWORD size = 0;
    const bool hashed = CryptHashData(hash, reinterpret_cast<const BYTE*>(data.data()), static_cast<DWORD>(data.size()), 0);
    CryptSignHashW(hash, AT_SIGNATURE, nullptr, 0, nullptr, &size);
    std::string signature(size, '\0');
    const bool signed_ok =
        hashed && CryptSignHashW(hash, AT_SIGNATURE, nullptr, 0, reinterpret_cast<BYTE*>(signature.data()), &size);
    CryptDestroyHash(hash);
    if (!signed_ok) throw std::runtime_error("not signed");
    signature.resize(size);
    std::reverse(signature.begin(), signature.end());  // CryptoAPI writes it least significant byte first
    return signature;
}

std::string TestKey::sign_list(std::string_view issuer, int64_t this_update, int64_t next_update,
                               const std::vector<ListEntry>& entries) const
{
    // CryptoAPI's integers are least significant byte first; the reason extensions must outlive the call.
    std::vector<std::string> serials, reasons;
    std::vector<CERT_EXTENSION> extensions(entries.size());
    std::vector<CRL_ENTRY> crl_entries(entries.size());
    serials.reserve(entries.size());
    reasons.reserve(entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        serials.emplace_back(entries[i].serial.rbegin(), entries[i].serial.rend());
        CRL_ENTRY& e = crl_entries[i];
        e.SerialNumber = {static_cast<DWORD>(serials.back().size()), reinterpret_cast<BYTE*>(serials.back().data())};
        e.RevocationDate = filetime_of(entries[i].revoked_at);
        if (entries[i].reason) {
            const int code = *entries[i].reason;
            reasons.push_back(encoded(X509_CRL_REASON_CODE, &code));
            extensions[i] = {const_cast<char*>(szOID_CRL_REASON_CODE), FALSE,
                             {static_cast<DWORD>(reasons.back().size()), reinterpret_cast<BYTE*>(reasons.back().data())}};
            e.cExtension = 1;
            e.rgExtension = &extensions[i];
        }
    }
    std::string issuer_bytes(issuer);
    CRL_INFO info{};
    info.dwVersion = CRL_V2;
    info.SignatureAlgorithm.pszObjId = const_cast<char*>(szOID_RSA_SHA256RSA);
    info.Issuer = {static_cast<DWORD>(issuer_bytes.size()), reinterpret_cast<BYTE*>(issuer_bytes.data())};
    info.ThisUpdate = filetime_of(this_update);
    info.NextUpdate = filetime_of(next_update);
    info.cCRLEntry = static_cast<DWORD>(crl_entries.size());
    info.rgCRLEntry = crl_entries.data();
    CRYPT_ALGORITHM_IDENTIFIER algorithm{const_cast<char*>(szOID_RSA_SHA256RSA), {}};
    DWORD size = 0;
    CryptSignAndEncodeCertificate(provider_, AT_SIGNATURE, X509_ASN_ENCODING, X509_CERT_CRL_TO_BE_SIGNED, &info, &algorithm,
                                  nullptr, nullptr, &size);
    std::string list(size, '\0');
    if (!CryptSignAndEncodeCertificate(provider_, AT_SIGNATURE, X509_ASN_ENCODING, X509_CERT_CRL_TO_BE_SIGNED, &info,
                                       &algorithm, nullptr, reinterpret_cast<BYTE*>(list.data()), &size))
        throw std::runtime_error("list not signed");
    list.resize(size);
    return list;
}
