#pragma once

// A certificate folder read from disk: its signCert.der decoded, and where this copy lies with the
// companions beside it. Never opens signPri.key or kmCert.der: it only tests that they exist.

#include "trust/issuer_check.h"
#include "x509/certificate.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// Whether each drive letter is removable, asked of Windows once per letter. GetDriveTypeW costs a
// round trip to the volume's driver on every call, while a certificate folder's drive cannot change
// type in the moments of one scan: the scan keeps one of these for its own duration and shares it
// between its decoding threads.
class RemovableDrives {
public:
    bool is_removable(const std::string& drive);  // drive as "D:"

private:
    // 0 = not asked yet, 1 = removable, 2 = anything else.
    std::array<std::atomic<uint8_t>, 26> known_{};
};

// The whole of a certificate file, or nothing when it cannot be read, is a link, or is implausibly large.
std::optional<std::vector<uint8_t>> read_certificate_file(const Path& path);

// Reads folder\signCert.der and describes it, with the issuer check's verdict; nothing when the file
// cannot be read or is no certificate. Without `drives`, the drive type is asked for this one call;
// without `verdicts`, the certificate is verified for this one call.
std::optional<std::pair<CertificateInfo, CertificateCopy>> decode_certificate_folder(const Path& folder,
                                                                                     const std::string& ca_folder_name,
                                                                                     RemovableDrives* drives = nullptr,
                                                                                     VerdictCache* verdicts = nullptr);
