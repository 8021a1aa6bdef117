#include "tests/support/test_key.h"

#include <algorithm>
#include <stdexcept>
#include <vector>

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
    DWORD encoded_size = 0;
    CryptEncodeObjectEx(X509_ASN_ENCODING, X509_PUBLIC_KEY_INFO, key, 0, nullptr, nullptr, &encoded_size);
    std::string encoded(encoded_size, '\0');
    if (!CryptEncodeObjectEx(X509_ASN_ENCODING, X509_PUBLIC_KEY_INFO, key, 0, nullptr, encoded.data(), &encoded_size))
        throw std::runtime_error("public key not encoded");
    encoded.resize(encoded_size);
    return encoded;
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
