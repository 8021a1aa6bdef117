// The scanner's pure rules: grouping, list order, the link filter and path-name helpers.

#include "npki/scanner.h"

#include "base/text.h"

#include <algorithm>
#include <numeric>
#include <string>
#include <unordered_map>
#include <unordered_set>

namespace {

// FILE_ATTRIBUTE_DIRECTORY, FILE_ATTRIBUTE_REPARSE_POINT and the name-surrogate bit of a reparse
// tag (IsReparseTagNameSurrogate), spelled out so that this file needs no <windows.h>.
constexpr uint32_t k_attribute_directory = 0x10;
constexpr uint32_t k_attribute_reparse_point = 0x400;
constexpr uint32_t k_reparse_name_surrogate = 0x20000000;

bool is_separator(wchar_t c) { return c == L'\\' || c == L'/'; }

// Length of the part of a path that is no component: "D:" or "D:\", "\\server\share\",
// the "\\?\" and "\\?\UNC\" forms of both, or a single leading separator.
size_t root_prefix_length(std::wstring_view path)
{
    size_t at = 0;
    bool unc = false;
    if (path.size() >= 4 && is_separator(path[0]) && is_separator(path[1]) && (path[2] == L'?' || path[2] == L'.') &&
        is_separator(path[3])) {
        at = 4;
        if (path.size() >= at + 4 && (path.substr(at, 3) == L"UNC" || path.substr(at, 3) == L"unc") &&
            is_separator(path[at + 3])) {
            at += 4;
            unc = true;
        }
    } else if (path.size() >= 2 && is_separator(path[0]) && is_separator(path[1])) {
        at = 2;
        unc = true;
    }
    if (unc) {
        // Server and share names belong to the root.
        for (int part = 0; part < 2; ++part) {
            while (at < path.size() && !is_separator(path[at])) ++at;
            if (at < path.size()) ++at;
        }
        return at;
    }
    if (path.size() >= at + 2 && is_ascii_letter(path[at]) && path[at + 1] == L':') at += 2;
    if (at < path.size() && is_separator(path[at])) ++at;
    return at;
}

// The start and end of the last component; start == end when there is none.
std::pair<size_t, size_t> last_component_span(std::wstring_view path)
{
    const size_t prefix = std::min(root_prefix_length(path), path.size());
    size_t end = path.size();
    while (end > prefix && is_separator(path[end - 1])) --end;
    size_t start = end;
    while (start > prefix && !is_separator(path[start - 1])) --start;
    return {start, end};
}

}  // namespace

std::wstring_view last_component(std::wstring_view path)
{
    const auto [start, end] = last_component_span(path);
    return path.substr(start, end - start);
}

std::wstring_view parent_path(std::wstring_view path)
{
    const auto [start, end] = last_component_span(path);
    if (start == end) return {};
    return path.substr(0, start);
}

namespace {

// CON, PRN, AUX, NUL, COM0-9 and LPT0-9 (and the superscript digits ¹ ² ³ Windows also takes), in any
// ASCII case. Windows 11 opens some of them as files again in some places; the walk stays on the safe side.
bool is_device_name(std::wstring_view base)
{
    for (const std::string_view device : {"CON", "PRN", "AUX", "NUL"})
        if (is_folder_named(base, device)) return true;
    if (base.size() != 4 || !(is_folder_named(base.substr(0, 3), "COM") || is_folder_named(base.substr(0, 3), "LPT")))
        return false;
    const wchar_t digit = base[3];
    return (digit >= L'0' && digit <= L'9') || digit == L'\u00B9' || digit == L'\u00B2' || digit == L'\u00B3';
}

}  // namespace

bool is_win32_plain_name(std::wstring_view name)
{
    if (name.empty()) return false;
    if (name.back() == L'.' || name.back() == L' ') return false;  // also every name of dots only
    for (const wchar_t c : name) {
        if (c < 0x20) return false;
        if (std::wstring_view(L"<>:\"/\\|?*").find(c) != std::wstring_view::npos) return false;
    }
    // A device name is its part before the first dot, without the spaces that end it.
    std::wstring_view base = name.substr(0, name.find(L'.'));
    while (!base.empty() && base.back() == L' ') base.remove_suffix(1);
    return !is_device_name(base);
}

LinkReach link_reach(std::span<const uint8_t> data, bool (*is_network_drive)(wchar_t letter))
{
    // The reparse data: tag (4 bytes), data length (2), reserved (2), then for symbolic links and
    // junctions the substitute name's offset and length and the print name's (2 bytes each, counted
    // from the path buffer), for symbolic links a flags word (4), then the path buffer.
    constexpr uint32_t k_tag_mount_point = 0xA0000003;
    constexpr uint32_t k_tag_symlink = 0xA000000C;
    constexpr uint32_t k_symlink_relative = 1;
    const auto u16 = [&](size_t at) { return static_cast<uint32_t>(data[at] | (data[at + 1] << 8)); };
    const auto u32 = [&](size_t at) { return u16(at) | (u16(at + 2) << 16); };
    if (data.size() < 16) return LinkReach::Unknown;
    const uint32_t tag = u32(0);
    if (tag != k_tag_mount_point && tag != k_tag_symlink) return LinkReach::Unknown;
    const size_t buffer = tag == k_tag_symlink ? 20 : 16;
    if (data.size() < buffer) return LinkReach::Unknown;
    if (tag == k_tag_symlink && (u32(16) & k_symlink_relative)) return LinkReach::ThisPc;  // beside the link
    const size_t offset = u16(8), length = u16(10);
    if (length % 2 != 0 || buffer + offset + length > data.size()) return LinkReach::Unknown;
    std::wstring name(length / 2, L'\0');
    for (size_t i = 0; i < name.size(); ++i) name[i] = static_cast<wchar_t>(u16(buffer + offset + 2 * i));

    const std::wstring_view target(name);
    const auto starts = [&](std::wstring_view prefix) { return starts_with_ignoring_ascii_case(target, prefix); };
    if (starts(L"\\??\\UNC\\") || starts(L"\\\\") || starts(L"\\DEVICE\\MUP")) return LinkReach::Network;
    if (starts(L"\\??\\VOLUME{")) return LinkReach::ThisPc;  // a local volume, by its GUID
    if (starts(L"\\??\\") && target.size() >= 6 && is_ascii_letter(target[4]) && target[5] == L':') {
        const wchar_t letter = target[4] >= L'a' ? static_cast<wchar_t>(target[4] - L'a' + L'A') : target[4];
        return is_network_drive(letter) ? LinkReach::Network : LinkReach::ThisPc;
    }
    return LinkReach::Unknown;
}

bool is_folder_named(std::wstring_view name, std::string_view ascii_upper)
{
    if (name.size() != ascii_upper.size()) return false;
    for (size_t i = 0; i < name.size(); ++i) {
        wchar_t c = name[i];
        if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
        if (c != static_cast<wchar_t>(static_cast<unsigned char>(ascii_upper[i]))) return false;
    }
    return true;
}

bool is_link(uint32_t attributes, uint32_t reparse_tag)
{
    return (attributes & k_attribute_reparse_point) && (reparse_tag & k_reparse_name_surrogate);
}

bool is_walkable_folder(uint32_t attributes, uint32_t reparse_tag)
{
    // A link is never entered.
    return (attributes & k_attribute_directory) && !is_link(attributes, reparse_tag);
}

void sort_by_utf8_name(std::vector<Path>& paths, std::vector<std::string>& names)
{
    std::vector<size_t> order(paths.size());
    std::iota(order.begin(), order.end(), size_t{0});
    // std::string compares as unsigned bytes, which is UTF-8 byte order (upper case before lower).
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return names[a] < names[b]; });
    std::vector<Path> sorted_paths;
    std::vector<std::string> sorted_names;
    sorted_paths.reserve(paths.size());
    sorted_names.reserve(names.size());
    for (size_t i : order) {
        sorted_paths.push_back(std::move(paths[i]));
        sorted_names.push_back(std::move(names[i]));
    }
    paths = std::move(sorted_paths);
    names = std::move(sorted_names);
}

std::vector<CertificateEntry> group_copies(FoundList found)
{
    // Identity is an equivalence, so a hash of its key finds the same entry as searching the
    // entries in creation order for the first same_certificate would, without comparing each copy
    // with every entry.
    std::vector<CertificateEntry> entries;
    std::unordered_map<std::string, size_t> entry_of_identity;
    std::vector<std::unordered_set<std::string>> folders_of_entry;
    entry_of_identity.reserve(found.size());
    for (auto& [info, copy] : found) {
        std::string folder_key = path_key(copy.folder);
        auto [it, created] = entry_of_identity.try_emplace(certificate_identity_key(info), entries.size());
        if (created) {
            folders_of_entry.push_back({std::move(folder_key)});
            entries.push_back({std::move(info), {std::move(copy)}, {}});
            continue;
        }
        // The same folder reached through two roots is one copy, not two.
        if (!folders_of_entry[it->second].insert(std::move(folder_key)).second) continue;
        CertificateEntry& entry = entries[it->second];
        // One certificate (issuer and serial) in two sets of bytes: one of the copies is damaged.
        if (info.sha256_hex != entry.info.sha256_hex) {
            copy.differs = true;
            entry.info.trust = TrustState::Damaged;
        }
        entry.copies.push_back(std::move(copy));
    }
    return entries;
}

bool inventory_order(const CertificateEntry& a, const CertificateEntry& b, int64_t scan_time)
{
    const int64_t a_end = a.info.not_after;
    const int64_t b_end = b.info.not_after;
    const bool a_current = scan_time < a_end;  // an end equal to the scan time is already expired
    const bool b_current = scan_time < b_end;
    if (a_current != b_current) return a_current;
    if (a_end != b_end) return a_current ? a_end < b_end : a_end > b_end;
    return a.info.subject_cn < b.info.subject_cn;
}

void sort_inventory(std::vector<CertificateEntry>& entries, int64_t scan_time)
{
    std::stable_sort(entries.begin(), entries.end(), [scan_time](const CertificateEntry& a, const CertificateEntry& b) {
        return inventory_order(a, b, scan_time);
    });
}
