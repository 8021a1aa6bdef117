#pragma once

// The folder scanner: turns the ordered search roots into an Inventory. It knows the NPKI layout,
// ‹root›\NPKI\‹CA›\USER\‹certificate folder›\signCert.der, and accepts as a root the folder above an
// NPKI folder, an NPKI folder, a CA folder, a folder of CA folders or a certificate folder. It looks
// only at the depths of that layout, never through a whole drive.
//
// The walk (scanner.cpp) touches the file system; grouping, ordering and the small name rules
// (scan_rules.cpp) are pure and take everything as parameters.

#include "npki/inventory.h"
#include "trust/issuer_check.h"
#include "x509/certificate.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// One decoded certificate folder, in the order the walk reached it.
using FoundCopy = std::pair<CertificateInfo, CertificateCopy>;
using FoundList = std::vector<FoundCopy>;

// A certificate folder the walk reached (it holds signCert.der as a file), waiting to be decoded.
struct CertificateFolder {
    Path folder;
    std::string ca_folder_name;
};

// --- The walk ---------------------------------------------------------------------------------

// One scan over the roots: walk, then group and order at the time read after the walk. Each
// certificate is verified by `issuers` (the program's built-in roots and CAs unless a caller knows
// better: a test or a benchmark).
Inventory run_scan(const std::vector<Path>& search_roots, const IssuerCheck& issuers = built_in_issuer_check());

struct WalkResult {
    FoundList found;
    uint64_t folders_checked = 0;
};
// The walk of every root in order. Duplicate roots (by path_key) and roots that cannot be reached
// are skipped and not counted; a root that is a file is counted and yields nothing.
WalkResult walk_search_roots(const std::vector<Path>& search_roots,
                             const IssuerCheck& issuers = built_in_issuer_check());
// Groups and orders what a walk found; `scan_time` (seconds since 1970) serves only the order.
Inventory inventory_from(WalkResult walk, int64_t scan_time);

// The walk below one root: appends the certificate folders it reaches, in walk order.
void scan_root(const Path& folder, std::vector<CertificateFolder>& found);
// Every certificate folder in ‹ca_folder›\USER\*.
void scan_ca_folder(const Path& ca_folder, std::vector<CertificateFolder>& found);
// Decodes the folders the walk found, keeping walk order; folders that do not decode are left out.
// Decoding runs on a few threads: it is most of a scan's time and each folder is independent.
FoundList decode_folders(const std::vector<CertificateFolder>& folders,
                         const IssuerCheck& issuers = built_in_issuer_check());
// The sub-folders of a folder (links and names Win32 would rewrite left out), joined to it, sorted by
// the UTF-8 bytes of their names. Empty when the folder cannot be listed.
std::vector<Path> list_subfolders(const Path& folder);

// --- Pure rules -------------------------------------------------------------------------------

// Copies of one certificate (same_certificate) become one entry, in found order; a copy whose
// folder has the path_key of a copy already in the entry is dropped. The entry keeps the data of
// its first copy; a copy whose bytes differ from the first's is marked `differs`, and the entry Damaged.
std::vector<CertificateEntry> group_copies(FoundList found);

// List order at scan time T: current entries (T < not_after) first, soonest end first; then expired
// ones, most recent end first; equal ends by the bytes of subject_cn. Equal entries are left to a
// stable sort.
bool inventory_order(const CertificateEntry& a, const CertificateEntry& b, int64_t scan_time);

// Sorts entries into list order, keeping the grouping order among equals.
void sort_inventory(std::vector<CertificateEntry>& entries, int64_t scan_time);

// Whether a directory-listing entry is a sub-folder the walk may enter: a directory that is not a
// link. Symbolic links, junctions and mount points (reparse tags with the name-surrogate bit) are
// left out; other reparse points (such as cloud placeholders) are ordinary folders.
bool is_walkable_folder(uint32_t attributes, uint32_t reparse_tag);
// A symbolic link or junction (a name surrogate): its target may lie anywhere, another disk or a loop
// back up the tree.
bool is_link(uint32_t attributes, uint32_t reparse_tag);

// Whether Win32 reaches a folder of this name by that name. Other systems (and "\\?\" paths) create
// names that every Win32 file call without "\\?\" rewrites: a trailing dot or space is dropped ("kim."
// opens "kim"), a name of dots only means this folder or the one above ("..." opens the parent), a
// device name with any extension ("CON", "nul.der", "COM1 .txt", "COM¹") opens the device, and some
// characters cannot be named at all (control characters, < > : " / \ | ? *). The walk never lists such
// a folder: every later step (decode, recycle, copy, open) would act on another one.
bool is_win32_plain_name(std::wstring_view name);

// Where a link leads, as its reparse data tells (FSCTL_GET_REPARSE_POINT's output): to this PC (a
// relative symbolic link, a path on a local drive or volume), to the network (a UNC path, a mapped
// network drive), or somewhere it cannot tell (another kind of link, data too short).
enum class LinkReach : uint8_t { ThisPc, Network, Unknown };
// `is_network_drive` says for an upper-case drive letter whether it is a network drive.
LinkReach link_reach(std::span<const uint8_t> reparse_data, bool (*is_network_drive)(wchar_t letter));

// "NPKI" or "USER" in any mix of ASCII letter case; nothing else (no trimming, no other letters).
bool is_folder_named(std::wstring_view name, std::string_view ascii_upper);

// The last component of a path, ignoring trailing separators; empty for a drive root ("D:\"), a
// share root ("\\server\share") or an empty path. Both "\" and "/" separate components, as they do
// for the file system.
std::wstring_view last_component(std::wstring_view path);
// The path up to where its last component begins; empty when the path has no last component.
std::wstring_view parent_path(std::wstring_view path);

// Sorts sibling paths by the UTF-8 bytes of their names, keeping listing order among equal names.
// `names` holds each path's name, index for index; both vectors are reordered together.
void sort_by_utf8_name(std::vector<Path>& paths, std::vector<std::string>& names);
