#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

// What one certificate says. Every text is UTF-8; a value the certificate lacks is the empty text.
struct CertificateInfo {
    std::string subject_cn;
    std::string subject_dn;  // type=value pairs joined by ", ", common name first
    std::string issuer_dn;
    std::string issuer_org;
    std::string issuer_cn;
    std::string serial_hex;  // most significant byte first, upper-case hex
    std::vector<std::string> policy_oids;  // in extension order
    std::string sha1_hex;
    std::string sha256_hex;  // of signCert.der exactly as read from disk
    int64_t not_before = 0;  // seconds since 1970-01-01 00:00:00 UTC; negative before 1970
    int64_t not_after = 0;
};

// Each byte as two upper-case hex digits, no separators.
std::string to_hex_upper(std::span<const uint8_t> bytes);
