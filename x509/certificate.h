#pragma once

// The two records the decoder and the scan produce for every certificate folder they read: what the
// certificate says, and where that copy of it lies.

#include "base/files.h"
#include "base/path.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

// Whether a certificate is genuine, by the issuer check (trust/issuer_check.h).
enum class TrustState : uint8_t {
    Licensed,       // chains to a root of the Korean root authority
    Test,           // chains to one of its test roots: banks do not accept it
    UnknownIssuer,  // no known CA issued it
    Damaged,        // a known CA's key does not verify its signature: changed or corrupted
};

// What one certificate says. Every text is UTF-8; a value the certificate lacks is the empty text.
struct CertificateInfo {
    std::string subject_cn;
    std::string subject_dn;  // type=value pairs joined by ", ", common name first
    std::string issuer_dn;
    std::string issuer_org;
    std::string issuer_cn;
    std::string serial_hex;  // most significant byte first, upper-case hex
    std::vector<std::string> policy_oids;  // in extension order
    std::vector<std::string> crl_distribution_points;  // the URLs of its issuer's revocation lists, in order
    std::string sha1_hex;
    std::string sha256_hex;  // of signCert.der exactly as read from disk
    int64_t not_before = 0;  // seconds since 1970-01-01 00:00:00 UTC; negative before 1970
    int64_t not_after = 0;
    TrustState trust = TrustState::UnknownIssuer;  // set by the scan; Damaged also when copies differ
};

// One certificate folder (the folder holding signCert.der) in which a certificate was found.
struct CertificateCopy {
    Path folder;
    std::string ca_folder_name;    // the folder two levels above `folder`, such as "yessign"
    std::string drive;             // "D:" when `folder` starts with a drive letter, else empty
    bool removable = false;        // the drive reports DRIVE_REMOVABLE
    bool has_private_key = false;  // signPri.key is a file here (never opened)
    bool has_km_cert = false;      // kmCert.der is a file here
    // The folder the scan read, told apart from any folder that takes its name later: a file
    // operation acts on `folder` only while it still is this one. Empty when the file system gave none.
    std::optional<FileIdentity> identity{};
    // Its signCert.der is not byte for byte the entry's first copy's: one of them is damaged.
    bool differs = false;
};

// Each byte as two upper-case hex digits, no separators.
std::string to_hex_upper(std::span<const uint8_t> bytes);
// The same with the digits "0"-"9", "a"-"f".
std::string to_hex_lower(std::span<const uint8_t> bytes);
