#include "x509/decoder.h"

#include "base/file_time.h"
#include "base/handle.h"
#include "base/sha256.h"
#include "base/text.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include <windows.h>
#include <wincrypt.h>

// Parsing, name rendering and the SHA-1 thumbprint are left to crypt32 so that names read exactly as
// Windows' own certificate dialogs show them. The certificate context and the SHA-256 are both made
// from the one copy of the bytes the caller read.

namespace {

constexpr DWORD k_encoding = X509_ASN_ENCODING | PKCS_7_ASN_ENCODING;  // 0x00010001
// X.500 "type=value" pairs joined by ", ", last RDN first (common name first for NPKI names).
constexpr DWORD k_name_str_type = CERT_X500_NAME_STR | CERT_NAME_STR_REVERSE_FLAG;  // 0x02000003

// One attribute of the subject (flags 0) or the issuer (CERT_NAME_ISSUER_FLAG); empty when absent.
std::string name_attribute(PCCERT_CONTEXT context, DWORD flags, const char* oid)
{
    // pvTypePara is declared non-const but only read.
    void* type_para = const_cast<char*>(oid);
    const DWORD units = CertGetNameStringW(context, CERT_NAME_ATTR_TYPE, flags, type_para, nullptr, 0);
    if (units <= 1) return {};  // nothing but the terminator
    std::wstring buffer(units, L'\0');
    CertGetNameStringW(context, CERT_NAME_ATTR_TYPE, flags, type_para, buffer.data(), units);
    return utf8_from_utf16_until_nul(buffer.data(), buffer.size());
}

std::string name_text(const CERT_NAME_BLOB& name)
{
    // The blob is declared non-const but only read.
    auto* blob = const_cast<CERT_NAME_BLOB*>(&name);
    const DWORD units = CertNameToStrW(k_encoding, blob, k_name_str_type, nullptr, 0);
    if (units <= 1) return {};
    std::wstring buffer(units, L'\0');
    CertNameToStrW(k_encoding, blob, k_name_str_type, buffer.data(), units);
    return utf8_from_utf16_until_nul(buffer.data(), buffer.size());
}


std::vector<std::string> policy_oids(const CERT_INFO& info)
{
    std::vector<std::string> oids;
    const UniqueLocalMem decoded = decoded_extension(info, szOID_CERT_POLICIES, X509_CERT_POLICIES);
    const auto* policies = static_cast<const CERT_POLICIES_INFO*>(decoded.get());
    if (!policies) return oids;
    for (DWORD i = 0; i < policies->cPolicyInfo; ++i) {
        const char* id = policies->rgPolicyInfo[i].pszPolicyIdentifier;
        if (id && is_valid_utf8(id)) oids.emplace_back(id);
    }
    return oids;
}

// The URLs of the certificate's CRL distribution points, in extension order: where its issuer
// publishes the list of certificates it revoked. Names of other kinds (a directory name, a relative
// name) are left out; so is a URL that is not text.
std::vector<std::string> crl_distribution_points(const CERT_INFO& info)
{
    std::vector<std::string> urls;
    const UniqueLocalMem decoded = decoded_extension(info, szOID_CRL_DIST_POINTS, X509_CRL_DIST_POINTS);
    const auto* points = static_cast<const CRL_DIST_POINTS_INFO*>(decoded.get());
    if (!points) return urls;
    for (DWORD i = 0; i < points->cDistPoint; ++i) {
        const CRL_DIST_POINT_NAME& name = points->rgDistPoint[i].DistPointName;
        if (name.dwDistPointNameChoice != CRL_DIST_POINT_FULL_NAME) continue;
        for (DWORD k = 0; k < name.FullName.cAltEntry; ++k) {
            const CERT_ALT_NAME_ENTRY& entry = name.FullName.rgAltEntry[k];
            if (entry.dwAltNameChoice == CERT_ALT_NAME_URL && entry.pwszURL && *entry.pwszURL)
                urls.push_back(utf8_from_utf16(entry.pwszURL));
        }
    }
    return urls;
}

}  // namespace

int64_t seconds_since_1970(const FILETIME& time)
{
    return unix_seconds_of_ticks((static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
}

UniqueLocalMem decoded_extension(const CERT_INFO& info, const char* oid, const char* type)
{
    UniqueLocalMem decoded;
    if (info.cExtension == 0) return decoded;
    const CERT_EXTENSION* extension = CertFindExtension(oid, info.cExtension, info.rgExtension);
    DWORD size = 0;
    if (!extension || !CryptDecodeObjectEx(k_encoding, type, extension->Value.pbData, extension->Value.cbData,
                                           CRYPT_DECODE_ALLOC_FLAG, nullptr, decoded.put(), &size))
        decoded.reset();
    return decoded;
}

std::optional<CertificateInfo> decode_certificate(std::span<const uint8_t> der)
{
    // CertCreateCertificateContext takes a 32-bit length; callers read at most a few megabytes.
    if (der.size() > 0xFFFFFFFFu) return std::nullopt;
    UniqueCertContext context(CertCreateCertificateContext(k_encoding, der.data(), static_cast<DWORD>(der.size())));
    if (!context) return std::nullopt;  // not a certificate: left out of the list
    const CERT_INFO& cert = *context.get()->pCertInfo;

    CertificateInfo info;
    std::vector<uint8_t> serial(cert.SerialNumber.pbData, cert.SerialNumber.pbData + cert.SerialNumber.cbData);
    std::reverse(serial.begin(), serial.end());  // crypt32 keeps it least significant byte first
    info.serial_hex = to_hex_upper(serial);

    std::array<uint8_t, 20> sha1{};
    DWORD sha1_size = static_cast<DWORD>(sha1.size());
    if (CertGetCertificateContextProperty(context.get(), CERT_SHA1_HASH_PROP_ID, sha1.data(), &sha1_size))
        info.sha1_hex = to_hex_upper(std::span(sha1.data(), std::min<size_t>(sha1_size, sha1.size())));

    info.subject_cn = name_attribute(context.get(), 0, szOID_COMMON_NAME);
    info.subject_dn = name_text(cert.Subject);
    info.issuer_dn = name_text(cert.Issuer);
    info.issuer_org = name_attribute(context.get(), CERT_NAME_ISSUER_FLAG, szOID_ORGANIZATION_NAME);
    info.issuer_cn = name_attribute(context.get(), CERT_NAME_ISSUER_FLAG, szOID_COMMON_NAME);

    info.not_before = seconds_since_1970(cert.NotBefore);
    info.not_after = seconds_since_1970(cert.NotAfter);
    info.policy_oids = policy_oids(cert);
    info.crl_distribution_points = crl_distribution_points(cert);

    if (const auto digest = sha256(der)) info.sha256_hex = to_hex_upper(*digest);
    return info;
}
