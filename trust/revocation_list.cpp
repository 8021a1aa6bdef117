#include "trust/revocation_list.h"

#include "base/handle.h"
#include "x509/decoder.h"

#include <windows.h>
#include <wincrypt.h>

namespace {

using UniqueCrlContext = UniqueHandle<NullHandleTraits<PCCRL_CONTEXT, &::CertFreeCRLContext>>;

bool is_set(const FILETIME& time) { return time.dwHighDateTime != 0 || time.dwLowDateTime != 0; }

// The reason code extension of a list entry, when it has one that decodes.
std::optional<int64_t> reason_code_of(const CRL_ENTRY& entry)
{
    const CERT_EXTENSION* extension = CertFindExtension(szOID_CRL_REASON_CODE, entry.cExtension, entry.rgExtension);
    if (!extension) return std::nullopt;
    int code = 0;
    DWORD size = sizeof code;
    if (!CryptDecodeObjectEx(X509_ASN_ENCODING, X509_CRL_REASON_CODE, extension->Value.pbData, extension->Value.cbData,
                             0, nullptr, &code, &size))
        return std::nullopt;
    return code;
}

}  // namespace

ListFacts read_revocation_list(std::span<const uint8_t> list_der, std::span<const uint8_t> certificate_der,
                               const IssuerCheck& issuers)
{
    ListFacts facts;
    if (list_der.empty() || list_der.size() > UINT32_MAX || certificate_der.empty() || certificate_der.size() > UINT32_MAX)
        return facts;
    const UniqueCrlContext list(
        CertCreateCRLContext(X509_ASN_ENCODING, list_der.data(), static_cast<DWORD>(list_der.size())));
    const UniqueCertContext certificate(
        CertCreateCertificateContext(X509_ASN_ENCODING, certificate_der.data(), static_cast<DWORD>(certificate_der.size())));
    if (!list || !certificate) return facts;
    facts.signature_verified = issuers.list_signed_by_issuer_of(certificate.get(), list.get());
    CERT_NAME_BLOB list_issuer = list.get()->pCrlInfo->Issuer;
    CERT_NAME_BLOB certificate_issuer = certificate.get()->pCertInfo->Issuer;
    facts.issuer_matches = CertCompareCertificateName(X509_ASN_ENCODING, &list_issuer, &certificate_issuer) != FALSE;
    facts.this_update = seconds_since_1970(list.get()->pCrlInfo->ThisUpdate);
    if (is_set(list.get()->pCrlInfo->NextUpdate)) facts.next_update = seconds_since_1970(list.get()->pCrlInfo->NextUpdate);
    PCRL_ENTRY entry = nullptr;
    if (!CertFindCertificateInCRL(certificate.get(), list.get(), 0, nullptr, &entry)) {
        facts.signature_verified = false;  // a list crypt32 cannot search says nothing
        return facts;
    }
    if (entry) facts.entry = ListEntry{seconds_since_1970(entry->RevocationDate), reason_code_of(*entry)};
    return facts;
}
