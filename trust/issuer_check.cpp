#include "trust/issuer_check.h"

#include <optional>
#include <string>

#include <windows.h>
#include <wincrypt.h>

namespace {

UniqueCertContext certificate_of(std::span<const uint8_t> der)
{
    if (der.empty() || der.size() > UINT32_MAX) return UniqueCertContext();
    return UniqueCertContext(CertCreateCertificateContext(X509_ASN_ENCODING | PKCS_7_ASN_ENCODING, der.data(),
                                                          static_cast<DWORD>(der.size())));
}

// Whether `issuer`'s key verifies `subject`'s signature.
bool signed_by(PCCERT_CONTEXT subject, PCCERT_CONTEXT issuer)
{
    return CryptVerifyCertificateSignatureEx(0, X509_ASN_ENCODING, CRYPT_VERIFY_CERT_SIGN_SUBJECT_CERT,
                                             const_cast<CERT_CONTEXT*>(subject), CRYPT_VERIFY_CERT_SIGN_ISSUER_CERT,
                                             const_cast<CERT_CONTEXT*>(issuer), 0, nullptr) != FALSE;
}

// A certificate's extension `oid`, decoded as `type` into a buffer the caller owns; none when the
// certificate lacks it or it does not decode.
UniqueLocalMem decoded_extension(PCCERT_CONTEXT certificate, const char* oid, const char* type)
{
    const CERT_INFO* info = certificate->pCertInfo;
    const CERT_EXTENSION* extension = CertFindExtension(oid, info->cExtension, info->rgExtension);
    void* decoded = nullptr;
    DWORD size = 0;
    if (!extension || !CryptDecodeObjectEx(X509_ASN_ENCODING, type, extension->Value.pbData, extension->Value.cbData,
                                           CRYPT_DECODE_ALLOC_FLAG, nullptr, &decoded, &size))
        return UniqueLocalMem();
    return UniqueLocalMem(decoded);
}

std::optional<std::vector<uint8_t>> bytes_of(const CRYPT_DATA_BLOB& blob)
{
    if (blob.cbData == 0) return std::nullopt;
    return std::vector<uint8_t>(blob.pbData, blob.pbData + blob.cbData);
}

// The key identifier a certificate names for its issuer (authority key identifier), if it names one.
std::optional<std::vector<uint8_t>> authority_key_id(PCCERT_CONTEXT certificate)
{
    const UniqueLocalMem decoded = decoded_extension(certificate, szOID_AUTHORITY_KEY_IDENTIFIER2, X509_AUTHORITY_KEY_ID2);
    if (!decoded) return std::nullopt;
    return bytes_of(static_cast<const CERT_AUTHORITY_KEY_ID2_INFO*>(decoded.get())->KeyId);
}

// The identifier a certificate gives its own key (subject key identifier extension), if it gives one.
std::optional<std::vector<uint8_t>> subject_key_id(PCCERT_CONTEXT certificate)
{
    const UniqueLocalMem decoded = decoded_extension(certificate, szOID_SUBJECT_KEY_IDENTIFIER, X509_OCTET_STRING);
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

IssuerCheck::IssuerCheck(const std::vector<AnchorCertificate>& anchors)
{
    // Roots first: a root's certificates are of its own kind. Then each CA takes the kind of the
    // first root whose key verifies it.
    for (const AnchorKind kind : {AnchorKind::Root, AnchorKind::TestRoot}) {
        for (const AnchorCertificate& anchor : anchors) {
            if (anchor.kind != kind) continue;
            UniqueCertContext certificate = certificate_of(anchor.der);
            if (!certificate) continue;
            issuers_.push_back({anchor.name, std::move(certificate),
                                kind == AnchorKind::Root ? TrustState::Licensed : TrustState::Test});
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
                signed_by(certificate.get(), issuers_[i].certificate.get()))
                standing = issuers_[i].standing;
        }
        issuers_.push_back({anchor.name, std::move(certificate), standing});
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
        if (signed_by(certificate.get(), issuer.certificate.get())) return issuer.standing;
    }
    return known_name ? TrustState::Damaged : TrustState::UnknownIssuer;
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
