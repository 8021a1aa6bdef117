#include "npki/certificate_folder.h"

#include "base/files.h"
#include "base/handle.h"
#include "base/text.h"
#include "npki/inventory.h"
#include "npki/scanner.h"
#include "trust/issuer_check.h"
#include "x509/decoder.h"

#include <algorithm>
#include <vector>

#include <windows.h>

namespace {

// Real NPKI signing certificates are 1.5 to 2 KB, and even certificates with many extensions stay
// within tens of kilobytes. A signCert.der beyond 1 MiB is something else under that name (a stray
// image, a copied disk file): reading it whole would cost memory and time on the scan thread for a
// file crypt32 would reject anyway, so it counts as no certificate. The limit also keeps the byte
// count well inside the 32-bit length that CertCreateCertificateContext takes.
constexpr uint64_t k_max_certificate_bytes = 1u << 20;
constexpr size_t k_read_chunk_bytes = 64 * 1024;

}  // namespace

std::optional<std::vector<uint8_t>> read_certificate_file(const Path& path)
{
    // Share everything: a scan must never stop another program from writing, renaming or recycling
    // a certificate folder while we read it. The link itself is opened, never its target: a
    // signCert.der on a USB stick that links to \\host\share would have the scan connect out (and hand
    // the user's NTLM hash to that host) as soon as the stick is plugged in.
    constexpr DWORD k_share_all = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, k_share_all, nullptr, OPEN_EXISTING,
                                FILE_FLAG_SEQUENTIAL_SCAN | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file) return std::nullopt;  // missing or unreadable: the folder is skipped
    FILE_ATTRIBUTE_TAG_INFO tag{};
    if (!GetFileInformationByHandleEx(file.get(), FileAttributeTagInfo, &tag, sizeof(tag))) return std::nullopt;
    if (tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        // A link (symbolic link, junction, mount point) is no certificate. Any other reparse point (a
        // cloud file's placeholder) is the file itself, read through its filter as usual.
        if (is_link(tag.FileAttributes, tag.ReparseTag)) return std::nullopt;
        file = UniqueFile(CreateFileW(path.c_str(), GENERIC_READ, k_share_all, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        if (!file) return std::nullopt;
    }

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
                                                                                     RemovableDrives* drives,
                                                                                     VerdictCache* verdicts)
{
    const std::optional<std::vector<uint8_t>> bytes = read_certificate_file(join_path(folder, L"signCert.der"));
    if (!bytes) return std::nullopt;
    std::optional<CertificateInfo> info = decode_certificate(*bytes);
    if (!info) return std::nullopt;
    info->trust = verdicts ? verdicts->check(info->sha256_hex, *bytes) : built_in_issuer_check().check(*bytes);

    CertificateCopy copy;
    copy.folder = folder;
    copy.ca_folder_name = ca_folder_name;
    copy.drive = drive_of_path(folder);
    if (!copy.drive.empty()) {
        RemovableDrives this_call;
        copy.removable = (drives ? *drives : this_call).is_removable(copy.drive);
    }
    copy.has_private_key = is_file(join_path(folder, L"signPri.key"));
    copy.has_km_cert = is_file(join_path(folder, L"kmCert.der"));
    copy.identity = file_identity(folder);
    return std::pair{std::move(*info), std::move(copy)};
}
