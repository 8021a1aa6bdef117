#pragma once

// Turns the bytes of a signCert.der into what the certificate says, through crypt32 so that names
// read exactly as Windows' own certificate dialogs show them.

#include "base/handle.h"
#include "x509/certificate.h"

#include <cstdint>
#include <optional>
#include <span>

// Nothing when the bytes are no certificate crypt32 accepts. The SHA-256 thumbprint is of these very
// bytes.
std::optional<CertificateInfo> decode_certificate(std::span<const uint8_t> der);

// Whole seconds since 1970 of a FILETIME crypt32 gives (a certificate's or a list's dates), rounded down.
int64_t seconds_since_1970(const FILETIME& time);
// A certificate's extension `oid` decoded as `type`; none when it lacks the extension
// or the extension does not decode (an undecodable extension counts as absent).
UniqueLocalMem decoded_extension(const CERT_INFO& info, const char* oid, const char* type);
