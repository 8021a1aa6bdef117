#pragma once

// Turns the bytes of a signCert.der into what the certificate says, through crypt32 so that names
// read exactly as Windows' own certificate dialogs show them.

#include "x509/certificate.h"

#include <cstdint>
#include <optional>
#include <span>

// Nothing when the bytes are no certificate crypt32 accepts. The SHA-256 thumbprint is of these very
// bytes.
std::optional<CertificateInfo> decode_certificate(std::span<const uint8_t> der);
