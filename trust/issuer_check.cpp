#include "trust/issuer_check.h"

#include "x509/decoder.h"

#include <array>
#include <cstring>
#include <iterator>
#include <optional>
#include <string>

#include <windows.h>
#include <bcrypt.h>
#include <wincrypt.h>

namespace {

UniqueCertContext certificate_of(std::span<const uint8_t> der)
{
    if (der.empty() || der.size() > UINT32_MAX) return UniqueCertContext();
    return UniqueCertContext(CertCreateCertificateContext(X509_ASN_ENCODING | PKCS_7_ASN_ENCODING, der.data(),
                                                          static_cast<DWORD>(der.size())));
}

// Whether `issuer`'s key verifies the signature of `subject` (a certificate or a revocation list, as
// `subject_type` says), by crypt32 in full (the key imported anew).
bool verified_by_crypt32(DWORD subject_type, const void* subject, PCCERT_CONTEXT issuer)
{
    return CryptVerifyCertificateSignatureEx(0, X509_ASN_ENCODING, subject_type, const_cast<void*>(subject),
                                             CRYPT_VERIFY_CERT_SIGN_ISSUER_CERT, const_cast<CERT_CONTEXT*>(issuer), 0,
                                             nullptr) != FALSE;
}

void close_algorithm(BCRYPT_ALG_HANDLE algorithm) { BCryptCloseAlgorithmProvider(algorithm, 0); }
using UniqueAlgorithm = UniqueHandle<NullHandleTraits<BCRYPT_ALG_HANDLE, &close_algorithm>>;

// The RSA signature algorithms certificates use, with the hash each signs.
struct RsaSignature {
    const char* oid;
    const wchar_t* hash;  // a CNG algorithm name
    ULONG digest_size;
};
constexpr RsaSignature k_rsa_signatures[] = {
    {szOID_RSA_SHA256RSA, BCRYPT_SHA256_ALGORITHM, 32},
    {szOID_RSA_SHA1RSA, BCRYPT_SHA1_ALGORITHM, 20},
    {szOID_RSA_SHA384RSA, BCRYPT_SHA384_ALGORITHM, 48},
    {szOID_RSA_SHA512RSA, BCRYPT_SHA512_ALGORITHM, 64},
};

// A hash provider per algorithm, opened once per process and shared by every thread (opening is the
// expensive step).
BCRYPT_ALG_HANDLE hash_provider(size_t index)
{
    static const std::array<UniqueAlgorithm, std::size(k_rsa_signatures)> providers = [] {
        std::array<UniqueAlgorithm, std::size(k_rsa_signatures)> opened;
        for (size_t i = 0; i < opened.size(); ++i)
            if (BCryptOpenAlgorithmProvider(opened[i].put(), k_rsa_signatures[i].hash, nullptr, 0) < 0) opened[i].reset();
        return opened;
    }();
    return providers[index].get();
}

// The verdict of the quick path: the signed part hashed and the signature checked against the issuer's
// imported key with CNG. Only a success is final; anything else (another algorithm, a signature CNG
// does not take as it stands) is left to crypt32. `encoded` is any signed structure of X.509 (a
// certificate, a revocation list): crypt32 decodes the signed content of both alike.
bool verified_with_key(std::span<const BYTE> encoded, BCRYPT_KEY_HANDLE key)
{
    CERT_SIGNED_CONTENT_INFO* signed_content = nullptr;
    DWORD size = 0;
    // Big-endian, as the certificate carries it and CNG takes it (crypt32 reverses it by default).
    if (encoded.size() > UINT32_MAX ||
        !CryptDecodeObjectEx(X509_ASN_ENCODING, X509_CERT, encoded.data(), static_cast<DWORD>(encoded.size()),
                             CRYPT_DECODE_ALLOC_FLAG | CRYPT_DECODE_NOCOPY_FLAG | CRYPT_DECODE_NO_SIGNATURE_BYTE_REVERSAL_FLAG,
                             nullptr, &signed_content, &size))
        return false;
    const UniqueLocalMem owner(signed_content);
    const char* algorithm = signed_content->SignatureAlgorithm.pszObjId;
    for (size_t i = 0; algorithm && i < std::size(k_rsa_signatures); ++i) {
        if (std::strcmp(algorithm, k_rsa_signatures[i].oid) != 0) continue;
        const BCRYPT_ALG_HANDLE provider = hash_provider(i);
        std::array<UCHAR, 64> digest{};
        const ULONG digest_size = k_rsa_signatures[i].digest_size;
        if (!provider || BCryptHash(provider, nullptr, 0, signed_content->ToBeSigned.pbData,
                                    signed_content->ToBeSigned.cbData, digest.data(), digest_size) < 0)
            return false;
        BCRYPT_PKCS1_PADDING_INFO padding{k_rsa_signatures[i].hash};
        return BCryptVerifySignature(key, &padding, digest.data(), digest_size, signed_content->Signature.pbData,
                                     signed_content->Signature.cbData, BCRYPT_PAD_PKCS1) >= 0;
    }
    return false;
}

std::optional<std::vector<uint8_t>> bytes_of(const CRYPT_DATA_BLOB& blob)
{
    if (blob.cbData == 0) return std::nullopt;
    return std::vector<uint8_t>(blob.pbData, blob.pbData + blob.cbData);
}

// The key identifier a certificate names for its issuer (authority key identifier), if it names one.
std::optional<std::vector<uint8_t>> authority_key_id(PCCERT_CONTEXT certificate)
{
    const UniqueLocalMem decoded =
        decoded_extension(*certificate->pCertInfo, szOID_AUTHORITY_KEY_IDENTIFIER2, X509_AUTHORITY_KEY_ID2);
    if (!decoded) return std::nullopt;
    return bytes_of(static_cast<const CERT_AUTHORITY_KEY_ID2_INFO*>(decoded.get())->KeyId);
}

// The identifier a certificate gives its own key (subject key identifier extension), if it gives one.
std::optional<std::vector<uint8_t>> subject_key_id(PCCERT_CONTEXT certificate)
{
    const UniqueLocalMem decoded = decoded_extension(*certificate->pCertInfo, szOID_SUBJECT_KEY_IDENTIFIER, X509_OCTET_STRING);
    if (!decoded) return std::nullopt;
    return bytes_of(*static_cast<const CRYPT_DATA_BLOB*>(decoded.get()));
}

// Whether `candidate` may have issued `certificate`: its subject is the certificate's issuer name, and
// their key identifiers, where both are given, agree.
bool may_have_issued(PCCERT_CONTEXT candidate, PCCERT_CONTEXT certificate)
{
    CERT_NAME_BLOB issuer = certificate->pCertInfo->Issuer;
    CERT_NAME_BLOB subject = candidate->pCertInfo->Subject;
    if (!CertCompareCertificateName(X509_ASN_ENCODING, &issuer, &subject)) return false;
    const std::optional<std::vector<uint8_t>> wanted = authority_key_id(certificate);
    const std::optional<std::vector<uint8_t>> given = wanted ? subject_key_id(candidate) : std::nullopt;
    return !wanted || !given || *wanted == *given;
}

}  // namespace

std::string_view trust_state_name(TrustState state)
{
    switch (state) {
    case TrustState::Licensed: return "Licensed";
    case TrustState::Test: return "Test";
    case TrustState::UnknownIssuer: return "UnknownIssuer";
    case TrustState::Damaged: return "Damaged";
    }
    return "UnknownIssuer";
}

Text trust_text(TrustState state)
{
    switch (state) {
    case TrustState::Licensed: return {"공인된 국내 인증기관이 발급", "Issued by a licensed Korean CA"};
    case TrustState::Test: return {"시험용 인증서 — 은행에서 쓸 수 없습니다", "Test certificate — banks do not accept it"};
    case TrustState::UnknownIssuer: return {"알 수 없는 발급자", "Issuer not recognised"};
    case TrustState::Damaged: return {"손상됨: 서명이 맞지 않습니다", "Damaged: its signature does not verify"};
    }
    return {"알 수 없는 발급자", "Issuer not recognised"};
}

std::optional<Text> trust_badge(TrustState state)
{
    switch (state) {
    case TrustState::Licensed: return std::nullopt;
    case TrustState::Test: return Text{"시험용", "Test certificate"};
    case TrustState::UnknownIssuer: return Text{"발급자 불명", "Unknown issuer"};
    case TrustState::Damaged: return Text{"손상됨", "Damaged"};
    }
    return Text{"발급자 불명", "Unknown issuer"};
}

IssuerCheck::Issuer IssuerCheck::issuer_of(std::string name, UniqueCertContext certificate, TrustState standing) const
{
    UniqueKey key;
    if (!CryptImportPublicKeyInfoEx2(X509_ASN_ENCODING, &certificate.get()->pCertInfo->SubjectPublicKeyInfo, 0, nullptr,
                                     key.put()))
        key.reset();
    return {std::move(name), std::move(certificate), standing, std::move(key)};
}

bool IssuerCheck::signed_by(PCCERT_CONTEXT subject, const Issuer& issuer) const
{
    // The key imported once makes a verification several times cheaper than crypt32's, which imports
    // it for every call; crypt32 still has the last word on anything the quick path does not confirm.
    if (issuer.key) {
        const std::lock_guard lock(key_mutex_);
        if (verified_with_key({subject->pbCertEncoded, subject->cbCertEncoded}, issuer.key.get())) return true;
    }
    return verified_by_crypt32(CRYPT_VERIFY_CERT_SIGN_SUBJECT_CERT, subject, issuer.certificate.get());
}

IssuerCheck::IssuerCheck(const std::vector<AnchorCertificate>& anchors)
{
    // Roots first: a root's certificates are of its own kind. Then each CA takes the kind of the
    // first root whose key verifies it.
    for (const AnchorKind kind : {AnchorKind::Root, AnchorKind::TestRoot}) {
        for (const AnchorCertificate& anchor : anchors) {
            if (anchor.kind != kind) continue;
            UniqueCertContext certificate = certificate_of(anchor.der);
            if (!certificate) continue;
            issuers_.push_back(issuer_of(anchor.name, std::move(certificate),
                                         kind == AnchorKind::Root ? TrustState::Licensed : TrustState::Test));
        }
    }
    const size_t roots = issuers_.size();
    for (const AnchorCertificate& anchor : anchors) {
        if (anchor.kind != AnchorKind::Ca) continue;
        UniqueCertContext certificate = certificate_of(anchor.der);
        if (!certificate) continue;
        TrustState standing = TrustState::UnknownIssuer;
        for (size_t i = 0; i < roots && standing == TrustState::UnknownIssuer; ++i) {
            if (may_have_issued(issuers_[i].certificate.get(), certificate.get()) &&
                signed_by(certificate.get(), issuers_[i]))
                standing = issuers_[i].standing;
        }
        issuers_.push_back(issuer_of(anchor.name, std::move(certificate), standing));
    }
}

TrustState IssuerCheck::check(std::span<const uint8_t> der) const
{
    const UniqueCertContext certificate = certificate_of(der);
    if (!certificate) return TrustState::Damaged;  // read as a certificate by the scan, not by Windows
    bool known_name = false;
    for (const Issuer& issuer : issuers_) {
        if (!may_have_issued(issuer.certificate.get(), certificate.get())) continue;
        known_name = true;
        if (signed_by(certificate.get(), issuer)) return issuer.standing;
    }
    return known_name ? TrustState::Damaged : TrustState::UnknownIssuer;
}

bool IssuerCheck::list_signed_by_issuer_of(PCCERT_CONTEXT certificate, PCCRL_CONTEXT list) const
{
    if (!certificate || !list) return false;
    for (const Issuer& issuer : issuers_) {
        if (!may_have_issued(issuer.certificate.get(), certificate) || !signed_by(certificate, issuer)) continue;
        // The same quick path as for certificates: a check reads one list for each of its certificates.
        if (issuer.key) {
            const std::lock_guard lock(key_mutex_);
            if (verified_with_key({list->pbCrlEncoded, list->cbCrlEncoded}, issuer.key.get())) return true;
        }
        return verified_by_crypt32(CRYPT_VERIFY_CERT_SIGN_SUBJECT_CRL, list, issuer.certificate.get());
    }
    return false;
}

TrustState IssuerCheck::standing_of_ca(std::string_view name) const
{
    for (const Issuer& issuer : issuers_)
        if (issuer.name == name) return issuer.standing;
    return TrustState::UnknownIssuer;
}

const IssuerCheck& built_in_issuer_check()
{
    static const IssuerCheck check(anchor_certificates());
    return check;
}

TrustState VerdictCache::check(const std::string& sha256_hex, std::span<const uint8_t> der)
{
    {
        const std::lock_guard lock(mutex_);
        if (const auto found = known_.find(sha256_hex); found != known_.end()) return found->second;
    }
    // Verified outside the lock: two threads may verify one certificate at once, and agree.
    const TrustState state = check_.check(der);
    const std::lock_guard lock(mutex_);
    known_.emplace(sha256_hex, state);
    return state;
}
