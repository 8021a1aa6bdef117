#pragma once

// A revocation list as fetched (DER), read for one certificate: whether the CA that issued the
// certificate signed it, whether it is that issuer's list, when it was issued and is next due, and the
// certificate's entry in it. decide_revocation (trust/revocation.h) makes the outcome of that.

#include "trust/issuer_check.h"
#include "trust/revocation.h"

#include <cstdint>
#include <span>

// Bytes that are no list, or a certificate that is no certificate, give facts that verify nothing.
ListFacts read_revocation_list(std::span<const uint8_t> list_der, std::span<const uint8_t> certificate_der,
                               const IssuerCheck& issuers);
