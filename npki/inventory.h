#pragma once

#include "x509/certificate.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Folder paths are kept as the UTF-16 the file system gave us, so that a name which is not valid
// UTF-16 still opens; they are turned into (lossy) UTF-8 only for display and comparison.
using Path = std::wstring;

// One certificate folder (the folder holding signCert.der) in which a certificate was found.
struct CertificateCopy {
    Path folder;
    std::string ca_folder_name;  // the folder two levels above `folder`, such as "yessign"
    std::string drive;           // "D:" when `folder` starts with a drive letter, else empty
    bool removable = false;      // the drive reports DRIVE_REMOVABLE
    bool has_private_key = false;  // signPri.key is a file here (never opened)
    bool has_km_cert = false;      // kmCert.der is a file here
};

// One certificate with every place a copy of it was found (never empty, scan order).
struct CertificateEntry {
    CertificateInfo info;  // decoded from the first copy found
    std::vector<CertificateCopy> copies;
};

// The result of one scan.
struct Inventory {
    std::vector<CertificateEntry> entries;  // in list order
    uint64_t folders_checked = 0;           // search roots that existed and were scanned
};

// Identity: issuer names equal after full Unicode lower-casing, serial numbers equal byte for byte.
bool same_certificate(const CertificateInfo& a, const CertificateInfo& b);
// The identity key, so that grouping can hash: equal keys exactly when same_certificate holds.
std::string certificate_identity_key(const CertificateInfo& info);

// Comparison key of a folder path: lossy UTF-8, trailing backslashes removed, full lower-casing.
std::string path_key(std::wstring_view path);

// The holder's name as lists and messages show it: the NPKI identifier digits after the name dropped.
std::string holder_name(std::string_view subject_cn);

// "X:" (upper-cased) when the folder's text begins with an ASCII letter and a colon; empty for UNC
// and relative paths.
std::string drive_of_path(std::wstring_view folder);

// Appends one backslash unless `base` already ends with one (or is empty), then `name`.
Path join_path(std::wstring_view base, std::wstring_view name);
