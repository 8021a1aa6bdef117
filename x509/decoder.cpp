#include "x509/decoder.h"

#include "base/handle.h"
#include "base/sha256.h"
#include "base/text.h"

#include <algorithm>
#include <array>
#include <vector>

#include <windows.h>
#include <wincrypt.h>

// Parsing, name rendering and the SHA-1 thumbprint are left to crypt32 so that names read exactly as
// Windows' own certificate dialogs show them. signCert.der is read once; the certificate context and
// the SHA-256 are both made from that one copy.

namespace {

constexpr DWORD k_encoding = X509_ASN_ENCODING | PKCS_7_ASN_ENCODING;  // 0x00010001
// X.500 "type=value" pairs joined by ", ", last RDN first (common name first for NPKI names).
constexpr DWORD k_name_str_type = CERT_X500_NAME_STR | CERT_NAME_STR_REVERSE_FLAG;  // 0x02000003
constexpr int64_t k_seconds_1601_to_1970 = 11'644'473'600;
constexpr uint64_t k_ticks_per_second = 10'000'000;

// Real NPKI signing certificates are 1.5 to 2 KB, and even certificates with many extensions stay
// within tens of kilobytes. A signCert.der beyond 1 MiB is something else under that name (a stray
// image, a copied disk file): reading it whole would cost memory and time on the scan thread for a
// file crypt32 would reject anyway, so it counts as no certificate. The limit also keeps the byte
// count well inside the 32-bit length that CertCreateCertificateContext takes.
constexpr uint64_t k_max_certificate_bytes = 1u << 20;
constexpr size_t k_read_chunk_bytes = 64 * 1024;

// The whole file, or nothing when it cannot be read or is implausibly large.
std::optional<std::vector<uint8_t>> read_certificate_file(const Path& path)
{
    // Share everything: a scan must never stop another program from writing, renaming or recycling
    // a certificate folder while we read it.
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) return std::nullopt;  // missing or unreadable: the folder is skipped

    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size)) return std::nullopt;
    if (size.QuadPart < 0 || static_cast<uint64_t>(size.QuadPart) > k_max_certificate_bytes) return std::nullopt;

    // Read to the end rather than trusting the size: the file may change between the two calls. Asking
    // for one byte more than the size means a file that did not grow is read in a single call (a short
    // read of a disk file is its end).
    std::vector<uint8_t> bytes(static_cast<size_t>(size.QuadPart) + 1);
    size_t have = 0;
    for (;;) {
        DWORD got = 0;
        const DWORD want = static_cast<DWORD>(std::min<size_t>(bytes.size() - have, k_read_chunk_bytes));
        if (!ReadFile(file.get(), bytes.data() + have, want, &got, nullptr)) return std::nullopt;
        have += got;
        if (got < want) break;
        if (have > k_max_certificate_bytes) return std::nullopt;  // grew past the limit
        if (have == bytes.size()) bytes.resize(bytes.size() + k_read_chunk_bytes);
    }
    bytes.resize(have);
    return bytes;
}

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

int64_t seconds_since_1970(const FILETIME& time)
{
    const uint64_t ticks = (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    return static_cast<int64_t>(ticks / k_ticks_per_second) - k_seconds_1601_to_1970;
}

bool is_valid_utf8(std::string_view text)
{
    // The lossy round trip changes exactly the malformed sequences.
    return utf8_from_utf16(utf16_from_utf8(text)) == text;
}

std::vector<std::string> policy_oids(const CERT_INFO& info)
{
    std::vector<std::string> oids;
    if (info.cExtension == 0) return oids;
    const CERT_EXTENSION* extension = CertFindExtension(szOID_CERT_POLICIES, info.cExtension, info.rgExtension);
    if (!extension) return oids;

    UniqueLocalMem decoded;
    DWORD size = 0;
    if (!CryptDecodeObjectEx(k_encoding, X509_CERT_POLICIES, extension->Value.pbData, extension->Value.cbData,
                             CRYPT_DECODE_ALLOC_FLAG, nullptr, decoded.put(), &size))
        return oids;  // undecodable extension: no policies
    const auto* policies = static_cast<const CERT_POLICIES_INFO*>(decoded.get());
    if (!policies) return oids;
    for (DWORD i = 0; i < policies->cPolicyInfo; ++i) {
        const char* id = policies->rgPolicyInfo[i].pszPolicyIdentifier;
        if (id && is_valid_utf8(id)) oids.emplace_back(id);
    }
    return oids;
}

bool is_regular_file(const Path& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

bool RemovableDrives::is_removable(const std::string& drive)
{
    if (drive.size() != 2 || drive[0] < 'A' || drive[0] > 'Z') return false;
    std::atomic<uint8_t>& known = known_[static_cast<size_t>(drive[0] - 'A')];
    uint8_t state = known.load(std::memory_order_relaxed);
    if (state == 0) {
        // Two threads may both ask for the same letter at first; they get the same answer.
        const std::wstring root = utf16_from_utf8(drive) + L"\\";
        state = GetDriveTypeW(root.c_str()) == DRIVE_REMOVABLE ? 1 : 2;  // any error counts as fixed
        known.store(state, std::memory_order_relaxed);
    }
    return state == 1;
}

std::optional<std::pair<CertificateInfo, CertificateCopy>> decode_certificate_folder(const Path& folder,
                                                                                     const std::string& ca_folder_name,
                                                                                     RemovableDrives* drives)
{
    const std::optional<std::vector<uint8_t>> bytes = read_certificate_file(join_path(folder, L"signCert.der"));
    if (!bytes) return std::nullopt;

    UniqueCertContext context(
        CertCreateCertificateContext(k_encoding, bytes->data(), static_cast<DWORD>(bytes->size())));
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

    if (const auto digest = sha256(*bytes)) info.sha256_hex = to_hex_upper(*digest);
    context.reset();

    CertificateCopy copy;
    copy.folder = folder;
    copy.ca_folder_name = ca_folder_name;
    copy.drive = drive_of_path(folder);
    if (!copy.drive.empty()) {
        RemovableDrives this_call;
        copy.removable = (drives ? *drives : this_call).is_removable(copy.drive);
    }
    copy.has_private_key = is_regular_file(join_path(folder, L"signPri.key"));
    copy.has_km_cert = is_regular_file(join_path(folder, L"kmCert.der"));
    return std::pair{std::move(info), std::move(copy)};
}
