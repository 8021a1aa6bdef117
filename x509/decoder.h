#pragma once

#include "npki/inventory.h"
#include "x509/certificate.h"

#include <optional>
#include <string>
#include <utility>

// Reads folder\signCert.der and describes it; nothing when the file cannot be read or is no
// certificate. Never opens signPri.key or kmCert.der: it only tests that they exist.
std::optional<std::pair<CertificateInfo, CertificateCopy>> decode_certificate_folder(const Path& folder,
                                                                                     const std::string& ca_folder_name);
