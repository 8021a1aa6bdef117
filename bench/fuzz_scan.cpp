// Certificate fuzzer: hostile signCert.der files against the real scan.
//
// For each tree it builds certificates of every shape the DER writer knows (RSA and EC keys,
// UTF8/Printable/BMP/Universal names with Hangul, policies, UTCTime and GeneralizedTime, long
// serials), mutates them (bit flips, inserted, deleted and cut bytes, length fields set to zero,
// huge or indefinite, inner lengths running past their parent, duplicated extensions, garbage
// policies, empty and 1 MiB ± 1 files, a folder named signCert.der) and lays them into one NPKI
// tree beside ten untouched control certificates. Then it:
//   1. decodes every mutant on its own, so that a crash names the mutant that caused it;
//   2. runs run_scan over the tree, as Vessop and vessop-scan do;
//   3. checks that the scan listed exactly the mutants that decode on their own, every control with
//      its serial and SHA-256, that the valid shapes were all accepted, and that the JSON and the
//      text table of vessop-scan hold every entry and copy (the table within its column caps).
// Everything follows from the seed: tree t uses seed + t and mutant i its own stream of that, so a
// failure reported as "seed S mutant I" comes back with --seed S --trees 1.
//
// usage: bench_fuzz_scan [--seed N] [--trees N] [--mutants-per-tree N] [--work FOLDER]
// Exit status 0 when every check held, 1 on any failure, 2 for a bad command line. A crash prints
// "Unhandled exception" (CTest fails on it) and ends the process with status 1.

#include "base/clock.h"
#include "base/command_line.h"
#include "base/handle.h"
#include "base/sha256.h"
#include "base/text.h"
#include "npki/certificate_folder.h"
#include "npki/inventory_json.h"
#include "npki/inventory_table.h"
#include "npki/scanner.h"
#include "tests/support/der_writer.h"
#include "tests/support/npki_fixture.h"
#include "tests/support/temp_folder.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include <windows.h>

namespace {

// --- Reproducible randomness ------------------------------------------------------------------

// SplitMix64: tiny, and the same numbers on every compiler (the standard distributions are not).
class Random {
public:
    explicit Random(uint64_t seed) : state_(seed) {}
    uint64_t next()
    {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    size_t below(size_t n) { return n == 0 ? 0 : static_cast<size_t>(next() % n); }
    size_t between(size_t low, size_t high) { return low + below(high - low + 1); }
    bool one_in(size_t n) { return below(n) == 0; }
    std::string bytes(size_t count)
    {
        std::string out(count, '\0');
        for (char& c : out) c = static_cast<char>(next());
        return out;
    }
    template <class T, size_t N>
    const T& pick(const T (&items)[N])
    {
        return items[below(N)];
    }

private:
    uint64_t state_;
};

uint64_t mixed(uint64_t a, uint64_t b) { return Random(a * 0x9E3779B97F4A7C15ull ^ b).next(); }

// --- Crash reports ----------------------------------------------------------------------------

std::atomic<uint64_t> g_tree_seed{0};
std::atomic<int64_t> g_mutant{-1};  // the mutant decoded on its own at the moment; -1 during the scan

LONG WINAPI on_unhandled_exception(EXCEPTION_POINTERS* info)
{
    const int64_t mutant = g_mutant.load();
    std::fprintf(stderr, "Unhandled exception 0x%08lX: seed %llu, %s %lld\n",
                 info && info->ExceptionRecord ? info->ExceptionRecord->ExceptionCode : 0ul,
                 static_cast<unsigned long long>(g_tree_seed.load()), mutant >= 0 ? "mutant" : "scan or outputs of the tree",
                 static_cast<long long>(mutant));
    std::fflush(stderr);
    TerminateProcess(GetCurrentProcess(), 1);
    return EXCEPTION_EXECUTE_HANDLER;
}

// --- Valid certificates -----------------------------------------------------------------------

constexpr const char* k_korean_names[] = {"\xED\x99\x8D\xEA\xB8\xB8\xEB\x8F\x99", "\xEA\xB9\x80\xEC\xB2\xA0\xEC\x88\x98",
                                          "\xEC\x9D\xB4\xEC\x98\x81\xED\x9D\xAC",
                                          "(\xEC\xA3\xBC)\xED\x95\x9C\xEB\xB9\x9B\xEB\xAC\xBC\xEC\x82\xB0"};
constexpr const char* k_latin_names[] = {"Example User", "KIM CHULSOO", "Gana Trading Co", "A"};
constexpr const char* k_issuers[][2] = {{"yessign", "yessignCA Class 2"}, {"SignKorea", "SignKorea CA4"},
                                        {"CrossCert", "CrossCertCA4"},    {"KICA", "signGATE CA5"},
                                        {"TradeSign", "TradeSignCA4"},    {"Example Trust", "Example CA"}};
constexpr const char* k_policies[] = {"1.2.410.200005.1.1.1",   "1.2.410.200005.1.1.5",   "1.2.410.200005.1.1.4",
                                      "1.2.410.200004.5.2.1.2", "1.2.410.200004.5.1.1.9", "1.2.410.200012.1.1.3",
                                      "1.2.3.4",                "2.999.4294967296.1",     "1.2.410.200005.1.1.6.8"};
constexpr std::wstring_view k_ca_folders[] = {L"yessign", L"SignKorea", L"CrossCert", L"KICA", L"TradeSign"};

bool is_printable_string(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
               std::string_view(" '()+,-./:=?").find(c) != std::string_view::npos;
    });
}

StringType string_type_for(Random& random, std::string_view text)
{
    if (is_printable_string(text) && random.one_in(3)) return StringType::printable;
    switch (random.below(6)) {
    case 0: return StringType::bmp;
    case 1: return StringType::universal;  // crypt32 under Wine renders these empty; they still decode
    default: return StringType::utf8;
    }
}

NameAttribute attribute(Random& random, std::string_view oid, std::string value)
{
    const StringType type = string_type_for(random, value);
    return {std::string(oid), std::move(value), type};
}

TestCertificate random_certificate(Random& random)
{
    TestCertificate c;
    c.key = random.pick({KeyKind::rsa_512, KeyKind::rsa_2048, KeyKind::ec_p256});
    const auto& issuer = random.pick(k_issuers);
    c.issuer = {{attribute(random, k_oid_country, "kr")}, {attribute(random, k_oid_organization, issuer[0])},
                {attribute(random, k_oid_common_name, issuer[1])}};
    std::string name = random.one_in(2) ? random.pick(k_korean_names) : random.pick(k_latin_names);
    if (!random.one_in(4)) name += "()" + std::to_string(random.next() % 10'000'000'000'000'000ull);
    c.subject = {{attribute(random, k_oid_country, "KR")}, {attribute(random, k_oid_organization, issuer[0])},
                 {attribute(random, k_oid_organizational_unit, "personal4IB")},
                 {attribute(random, k_oid_common_name, name)}};
    // Serials from one byte to well past the 20 that RFC 5280 allows; any first byte, sign bit included.
    c.serial = random.bytes(random.one_in(5) ? random.between(21, 64) : random.between(1, 20));
    const int64_t start = static_cast<int64_t>(random.between(631'152'000, 2'208'988'800));  // 1990..2040
    c.not_before = start;
    c.not_after = start + static_cast<int64_t>(random.between(86'400, 3 * 366 * 86'400));
    if (random.one_in(8)) c.not_after += 60ll * 365 * 86'400;  // past 2049: GeneralizedTime
    c.time_encoding = random.one_in(4) ? TimeEncoding::generalized_time : TimeEncoding::automatic;
    c.has_policies = !random.one_in(6);
    c.policy_oids.clear();
    for (size_t n = random.between(1, 3); n > 0; --n) c.policy_oids.push_back(random.pick(k_policies));
    if (random.one_in(2)) c.other_extensions.push_back(key_usage_extension());
    return c;
}

// A valid certificate of exactly `size` bytes: an unknown, non-critical extension carries the padding.
std::string certificate_of_size(TestCertificate c, size_t size)
{
    c.other_extensions.push_back({"1.3.6.1.4.1.55555.1", ""});
    const size_t bare = make_certificate_der(c).size();
    size_t padding = size > bare ? size - bare : 0;
    for (int attempt = 0; attempt < 16; ++attempt) {
        c.other_extensions.back().value = der::octet_string(std::string(padding, '\x5A'));
        const std::string out = make_certificate_der(c);
        if (out.size() == size) return out;
        // Length fields grow by a byte at their thresholds: a few steps settle on the size.
        padding = out.size() > size ? padding - std::min(padding, out.size() - size) : padding + (size - out.size());
    }
    return {};
}

// --- Mutations --------------------------------------------------------------------------------

// One tag-length-value found in the certificate's bytes.
struct Tlv {
    size_t offset;          // of the tag
    size_t header;          // tag and length bytes
    size_t length;          // of the content
    size_t parent_end = 0;  // where the enclosing content ends (the file's end at the top)
};

// Indexes the DER written by the test writer (single-byte tags, definite lengths), descending into
// constructed values and into OCTET and BIT STRINGs that hold DER themselves (extension values, the
// public key). Stops quietly at the first thing that is not such an encoding.
bool index_tlvs(std::string_view der, size_t at, size_t end, std::vector<Tlv>& out)
{
    while (at < end) {
        if (end - at < 2) return false;
        const auto tag = static_cast<uint8_t>(der[at]);
        size_t header = 2;
        size_t length = static_cast<uint8_t>(der[at + 1]);
        if (length & 0x80) {
            const size_t count = length & 0x7F;
            if (count == 0 || count > 4 || end - at < 2 + count) return false;
            length = 0;
            for (size_t k = 0; k < count; ++k) length = (length << 8) | static_cast<uint8_t>(der[at + 2 + k]);
            header += count;
        }
        if (length > end - at - header) return false;
        const size_t start = at + header;
        const size_t mark = out.size();
        out.push_back({at, header, length, end});
        bool nested = false;
        if (tag & 0x20) {
            nested = index_tlvs(der, start, start + length, out);
        } else if (tag == 0x04 && length > 0) {
            nested = index_tlvs(der, start, start + length, out);
        } else if (tag == 0x03 && length > 1 && der[start] == 0) {
            nested = index_tlvs(der, start + 1, start + length, out);
        }
        if (!nested && !(tag & 0x20)) out.resize(mark + 1);  // plain content after all
        at = start + length;
    }
    return true;
}

std::string long_form_length(uint64_t length, size_t count)
{
    std::string out(1, static_cast<char>(0x80 | count));
    for (size_t k = count; k > 0; --k) out += static_cast<char>((length >> (8 * (k - 1))) & 0xFF);
    return out;
}

enum class Mutation {
    // Fixed, one each per tree.
    empty_file,
    valid_just_under_mib,  // 1 MiB − 1 bytes: must be listed
    valid_mib,             // exactly 1 MiB: must be listed
    valid_just_over_mib,   // 1 MiB + 1 bytes: past the decoder's limit, never listed
    folder_named_certificate,
    huge_holder_name,  // 100,000 Hangul syllables: must be listed
    // Drawn at random for the rest.
    untouched,  // a valid certificate of a random shape: must be listed
    bit_flips,
    inserted_bytes,
    deleted_bytes,
    truncated,
    length_zero,
    length_huge,
    length_indefinite,
    nested_length_overflow,
    duplicated_extension,
    garbage_policies,
    stacked,  // several byte-level mutations at once
};
constexpr size_t k_fixed_mutations = static_cast<size_t>(Mutation::untouched);
constexpr size_t k_mutation_kinds = static_cast<size_t>(Mutation::stacked) + 1;

const char* mutation_name(Mutation m)
{
    constexpr const char* k_names[k_mutation_kinds] = {
        "empty file",        "1 MiB - 1",         "1 MiB",           "1 MiB + 1",
        "folder signCert.der", "100,000-char name", "untouched",       "bit flips",
        "inserted bytes",    "deleted bytes",     "truncated",       "length 0",
        "length huge",       "length indefinite", "nested overflow", "duplicated extension",
        "garbage policies",  "stacked",
    };
    return k_names[static_cast<size_t>(m)];
}

bool must_be_listed(Mutation m)
{
    return m == Mutation::valid_just_under_mib || m == Mutation::valid_mib || m == Mutation::huge_holder_name ||
           m == Mutation::untouched;
}

bool must_be_skipped(Mutation m)
{
    return m == Mutation::empty_file || m == Mutation::valid_just_over_mib || m == Mutation::folder_named_certificate;
}

std::string with_length(std::string der, const Tlv& tlv, std::string_view length_bytes, std::string_view appended = {})
{
    const size_t content_end = tlv.offset + tlv.header + tlv.length;
    der.insert(content_end, appended);
    der.replace(tlv.offset + 1, tlv.header - 1, length_bytes);
    return der;
}

std::string mutate_lengths(Random& random, std::string der, Mutation m)
{
    std::vector<Tlv> tlvs;
    index_tlvs(der, 0, der.size(), tlvs);
    if (tlvs.empty()) return der;
    const Tlv& tlv = tlvs[random.below(tlvs.size())];
    switch (m) {
    case Mutation::length_zero: return with_length(std::move(der), tlv, std::string(1, '\0'));
    case Mutation::length_huge: {
        const std::string choices[] = {long_form_length(0xFFFFFFFFu, 4), long_form_length(0x7FFFFFFFu, 4),
                                       long_form_length(~0ull, 8), long_form_length(0x80000000u, 4),
                                       std::string(1, '\xFF'), long_form_length(1, 9) + std::string(1, '\x01')};
        return with_length(std::move(der), tlv, random.pick(choices));
    }
    case Mutation::length_indefinite:
        return with_length(std::move(der), tlv, std::string(1, '\x80'), random.one_in(2) ? std::string(2, '\0') : "");
    default: {
        // Longer than what is left of the enclosing value, by a little or by a lot.
        const size_t room = tlv.parent_end - tlv.offset - tlv.header;
        const uint64_t over = random.one_in(2) ? room + random.between(1, 300) : room + 0x7FFFFF00ull + random.below(512);
        return with_length(std::move(der), tlv, long_form_length(over, over > 0xFFFFFF ? 4 : 3));
    }
    }
}

// One byte-level mutation: `m` is bit_flips, inserted_bytes, deleted_bytes or truncated.
std::string mutate_bytes(Random& random, std::string der, Mutation m)
{
    if (der.empty()) return der;
    switch (m) {
    case Mutation::bit_flips:
        for (size_t n = random.between(1, 8); n > 0; --n) der[random.below(der.size())] ^= static_cast<char>(1 << random.below(8));
        return der;
    case Mutation::inserted_bytes: {
        const size_t at = random.below(der.size() + 1);
        // Random bytes, or a copy of a piece of the certificate (a repeated structure).
        const size_t from = random.below(der.size());
        const std::string piece = random.one_in(2) ? random.bytes(random.between(1, 16)) : der.substr(from, random.between(1, 64));
        der.insert(at, piece);
        return der;
    }
    case Mutation::deleted_bytes: der.erase(random.below(der.size()), random.between(1, 32)); return der;
    default: der.resize(random.below(der.size())); return der;
    }
}

// Certificate-policies values that no CA would write: huge and negative-looking arcs, OIDs past any
// integer type, qualifiers of the wrong shape, bytes that are no structure at all.
std::string garbage_policies_value(Random& random)
{
    switch (random.below(5)) {
    case 0: return random.bytes(random.between(0, 64));
    case 1: {
        std::string many;
        for (size_t n = random.between(1, 200); n > 0; --n) many += der::sequence(der::oid("1.2.410." + std::to_string(random.next())));
        return der::sequence(many);
    }
    case 2: {
        std::string arcs = "\x2A";
        arcs += std::string(random.between(10, 40), '\xFF') + '\x7F';  // one arc far past 64 bits
        return der::sequence(der::sequence(der::tlv(0x06, arcs)));
    }
    case 3:
        return der::sequence(der::sequence(der::oid("1.2.410.200005.1.1.1") + der::sequence(random.bytes(random.between(0, 40)))));
    default: return der::sequence(der::sequence(der::tlv(0x06, random.one_in(2) ? "" : "\x80\x80\x01")));
    }
}

struct Mutant {
    Mutation mutation;
    std::string bytes;  // signCert.der (unused for the folder-named-signCert.der case)
};

Mutant make_mutant(uint64_t tree_seed, size_t index)
{
    Random random(mixed(tree_seed, index));
    TestCertificate base = random_certificate(random);
    if (index < k_fixed_mutations) {
        const auto m = static_cast<Mutation>(index);
        switch (m) {
        case Mutation::empty_file: return {m, ""};
        case Mutation::valid_just_under_mib: return {m, certificate_of_size(base, (1u << 20) - 1)};
        case Mutation::valid_mib: return {m, certificate_of_size(base, 1u << 20)};
        case Mutation::valid_just_over_mib: return {m, certificate_of_size(base, (1u << 20) + 1)};
        case Mutation::folder_named_certificate: return {m, ""};
        default: {
            std::string name;
            for (int i = 0; i < 100'000; ++i) name += "\xEA\xB0\x80";  // 가
            base.subject.back() = {{std::string(k_oid_common_name), name, StringType::utf8}};
            return {m, make_certificate_der(base)};
        }
        }
    }
    const auto m = static_cast<Mutation>(k_fixed_mutations + random.below(k_mutation_kinds - k_fixed_mutations));
    switch (m) {
    case Mutation::untouched: return {m, make_certificate_der(base)};
    case Mutation::duplicated_extension: {
        const Extension policies{std::string(k_oid_certificate_policies), encode_certificate_policies({"1.2.410.200005.1.1.4"})};
        base.has_policies = true;
        base.other_extensions.push_back(random.one_in(2) ? policies : key_usage_extension());
        base.other_extensions.push_back(base.other_extensions.back());
        return {m, make_certificate_der(base)};
    }
    case Mutation::garbage_policies:
        base.has_policies = false;
        base.other_extensions.push_back({std::string(k_oid_certificate_policies), garbage_policies_value(random)});
        return {m, make_certificate_der(base)};
    case Mutation::length_zero:
    case Mutation::length_huge:
    case Mutation::length_indefinite:
    case Mutation::nested_length_overflow: return {m, mutate_lengths(random, make_certificate_der(base), m)};
    case Mutation::stacked: {
        constexpr Mutation k_byte_mutations[] = {Mutation::bit_flips, Mutation::inserted_bytes, Mutation::deleted_bytes,
                                                 Mutation::truncated};
        std::string der = make_certificate_der(base);
        for (size_t n = random.between(2, 4); n > 0; --n) der = mutate_bytes(random, std::move(der), random.pick(k_byte_mutations));
        return {m, der};
    }
    default: return {m, mutate_bytes(random, make_certificate_der(base), m)};
    }
}

// --- One tree ---------------------------------------------------------------------------------

constexpr size_t k_controls = 10;

std::string sha256_hex(std::string_view bytes)
{
    const auto digest = sha256({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()});
    return digest ? to_hex_upper(*digest) : "";
}

std::string serial_hex(std::string_view serial)
{
    return to_hex_upper({reinterpret_cast<const uint8_t*>(serial.data()), serial.size()});
}

std::string_view english(Text text) { return text.english; }

bool write_whole_file(const std::wstring& path, std::string_view bytes)
{
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD written = 0;
    return bytes.empty() || (WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                             written == bytes.size());
}

struct Counts {
    uint64_t tried = 0;
    uint64_t accepted = 0;  // mutants listed as a copy of some entry
    uint64_t entries = 0;   // entries in the inventories, controls included
    uint64_t failures = 0;
    std::array<uint64_t, k_mutation_kinds> tried_by_kind{};
    std::array<uint64_t, k_mutation_kinds> accepted_by_kind{};
};

class TreeRun {
public:
    TreeRun(uint64_t tree_seed, size_t mutants, const std::wstring& root) : seed_(tree_seed), root_(root), mutants_(mutants)
    {
    }

    bool run(Counts& counts)
    {
        if (!lay_out()) return fail(-1, "the tree could not be written");
        decode_each();
        g_mutant = -1;
        const Inventory inventory = run_scan({root_});
        check_inventory(inventory);
        check_outputs(inventory);
        counts.tried += mutants_;
        counts.entries += inventory.entries.size();
        for (size_t i = 0; i < mutants_; ++i) {
            const auto kind = static_cast<size_t>(mutations_[i]);
            ++counts.tried_by_kind[kind];
            if (decoded_alone_[i]) {
                ++counts.accepted;
                ++counts.accepted_by_kind[kind];
            }
        }
        counts.failures += failures_;
        return failures_ == 0;
    }

    // Removes the tree: the known files and folders one call each, then whatever is left.
    void remove()
    {
        for (size_t i = 0; i < mutations_.size(); ++i) {
            const std::wstring folder = folder_of(i);
            const std::wstring file = folder + L"\\signCert.der";
            if (mutations_[i] == Mutation::folder_named_certificate) {
                RemoveDirectoryW(file.c_str());
            } else {
                DeleteFileW(file.c_str());
            }
            RemoveDirectoryW(folder.c_str());
        }
        remove_tree(root_);  // the controls, the CA folders, anything left over
    }

    size_t json_bytes() const { return json_bytes_; }
    size_t table_bytes() const { return table_bytes_; }

private:
    std::wstring folder_of(size_t i) const
    {
        std::wstring name = std::to_wstring(i);
        name.insert(0, name.size() < 6 ? 6 - name.size() : 0, L'0');
        return root_ + L"\\NPKI\\" + std::wstring(k_ca_folders[i % std::size(k_ca_folders)]) + L"\\USER\\m" + name;
    }

    // Thousands of folders: each is made with the fewest file-system calls (its parents exist), so
    // that a tree is laid out and removed in seconds even under Wine.
    bool lay_out()
    {
        for (std::wstring_view ca : k_ca_folders) {
            if (!make_folders(root_ + L"\\NPKI\\" + std::wstring(ca) + L"\\USER")) return false;
        }
        for (size_t i = 0; i < mutants_; ++i) {
            Mutant mutant = make_mutant(seed_, i);
            const std::wstring folder = folder_of(i);
            mutations_.push_back(mutant.mutation);
            if (!CreateDirectoryW(folder.c_str(), nullptr)) return false;
            const std::wstring file = folder + L"\\signCert.der";
            const bool ok = mutant.mutation == Mutation::folder_named_certificate ? CreateDirectoryW(file.c_str(), nullptr)
                                                                                  : write_whole_file(file, mutant.bytes);
            if (!ok) return false;
        }
        Random random(mixed(seed_, ~0ull));
        for (size_t c = 0; c < k_controls; ++c) {
            TestCertificate control = random_certificate(random);
            // A serial no mutant can share: the controls' identities stay their own.
            control.serial = "\x7C" + random.bytes(14) + static_cast<char>(c);
            control.issuer.back() = {{std::string(k_oid_common_name), "Vessop Fuzz Control CA", StringType::utf8}};
            const std::string der = make_certificate_der(control);
            const std::wstring folder = root_ + L"\\NPKI\\" + std::wstring(k_ca_folders[c % std::size(k_ca_folders)]) +
                                        L"\\USER\\control " + std::to_wstring(c) + L" \xD55C";  // 한
            if (!write_certificate_folder(folder, der, c % 2 == 0, c % 3 == 0)) return false;
            controls_.push_back({folder, serial_hex(control.serial), sha256_hex(der)});
        }
        return true;
    }

    void decode_each()
    {
        decoded_alone_.assign(mutants_, false);
        for (size_t i = 0; i < mutants_; ++i) {
            g_mutant = static_cast<int64_t>(i);
            decoded_alone_[i] = decode_certificate_folder(folder_of(i), "fuzz").has_value();
            const auto index = static_cast<int64_t>(i);
            if (must_be_listed(mutations_[i]) && !decoded_alone_[i]) fail(index, "a valid certificate does not decode");
            if (must_be_skipped(mutations_[i]) && decoded_alone_[i]) fail(index, "decoded, but must be left out");
        }
    }

    void check_inventory(const Inventory& inventory)
    {
        if (inventory.folders_checked != 1) fail(-1, "folders_checked is not 1");
        std::unordered_map<std::wstring, const CertificateEntry*> listed;
        for (const CertificateEntry& entry : inventory.entries) {
            if (entry.copies.empty()) fail(-1, "an entry without copies");
            for (const CertificateCopy& copy : entry.copies) {
                if (!listed.emplace(copy.folder, &entry).second) fail(-1, "one folder listed twice");
            }
        }
        for (size_t i = 0; i < mutants_; ++i) {
            if (listed.count(folder_of(i)) != (decoded_alone_[i] ? 1u : 0u))
                fail(static_cast<int64_t>(i), decoded_alone_[i] ? "decodes alone but the scan lost it" : "listed but does not decode");
        }
        for (size_t c = 0; c < controls_.size(); ++c) {
            const auto found = listed.find(controls_[c].folder);
            if (found == listed.end()) {
                fail(-1, "control " + std::to_string(c) + " not found");
            } else if (found->second->info.serial_hex != controls_[c].serial_hex ||
                       found->second->info.sha256_hex != controls_[c].sha256_hex) {
                fail(-1, "control " + std::to_string(c) + " listed with another serial or SHA-256");
            }
        }
        const auto alone = static_cast<size_t>(std::count(decoded_alone_.begin(), decoded_alone_.end(), true));
        if (listed.size() != alone + controls_.size())
            fail(-1, "the scan listed folders that are no mutant and no control");
    }

    // What vessop-scan prints: the JSON must hold every entry and copy, the table one line per copy
    // and no line wider than its caps allow.
    void check_outputs(const Inventory& inventory)
    {
        const int64_t now = now_seconds();
        const std::string json_text = inventory_json_text(inventory_json(inventory, now, "en", english));
        try {
            const nlohmann::json back = nlohmann::json::parse(json_text);
            const nlohmann::json& entries = back.at("entries");
            if (entries.size() != inventory.entries.size()) fail(-1, "the JSON does not hold every entry");
            for (size_t e = 0; e < std::min(entries.size(), inventory.entries.size()); ++e) {
                const nlohmann::json& entry = entries.at(e);
                const auto& copies = inventory.entries[e].copies;
                bool whole = entry.at("serial_hex") == inventory.entries[e].info.serial_hex &&
                             entry.at("copies").size() == copies.size();
                for (size_t k = 0; whole && k < copies.size(); ++k)
                    whole = entry.at("copies").at(k).at("folder") == utf8_from_utf16(copies[k].folder);
                if (!whole) fail(-1, "JSON entry " + std::to_string(e) + " is not whole");
            }
        } catch (const nlohmann::json::exception& error) {
            fail(-1, std::string("the JSON does not read back: ") + error.what());
        }

        const std::string table = inventory_table(inventory, now, "en", english);
        size_t lines = 1;  // the count of folders checked
        size_t bound = 200;
        size_t cells = 0;
        for (size_t cap : k_table_column_caps) cells += 4 * cap + 2;  // at most four bytes per column
        for (const CertificateEntry& entry : inventory.entries) {
            lines += std::max<size_t>(entry.copies.size(), 1);
            for (const CertificateCopy& copy : entry.copies) bound += cells + 64 + 3 * utf8_from_utf16(copy.folder).size();
        }
        if (static_cast<size_t>(std::count(table.begin(), table.end(), '\n')) != lines)
            fail(-1, "the text table does not have one line per copy");
        if (table.size() > bound) fail(-1, "the text table is larger than its columns allow");
        json_bytes_ = json_text.size();
        table_bytes_ = table.size();
    }

    bool fail(int64_t mutant, const std::string& what)
    {
        ++failures_;
        if (mutant >= 0) {
            std::printf("FAIL: seed %llu mutant %lld (%s): %s\n", static_cast<unsigned long long>(seed_),
                        static_cast<long long>(mutant), mutation_name(mutations_[static_cast<size_t>(mutant)]),
                        what.c_str());
        } else {
            std::printf("FAIL: seed %llu: %s\n", static_cast<unsigned long long>(seed_), what.c_str());
        }
        return false;
    }

    struct Control {
        std::wstring folder;
        std::string serial_hex;
        std::string sha256_hex;
    };

    uint64_t seed_;
    std::wstring root_;
    size_t mutants_;
    std::vector<Mutation> mutations_;
    std::vector<bool> decoded_alone_;
    std::vector<Control> controls_;
    uint64_t failures_ = 0;
    size_t json_bytes_ = 0;
    size_t table_bytes_ = 0;
};

// --- Command line -----------------------------------------------------------------------------

struct Options {
    uint64_t seed = 1;
    uint64_t trees = 1;
    size_t mutants_per_tree = 5000;
    std::wstring work;  // empty: the system's temporary folder
};

std::optional<Options> parse_options(const std::vector<std::wstring>& arguments)
{
    Options options;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::wstring_view name = arguments[i];
        if (i + 1 >= arguments.size()) return std::nullopt;
        const wchar_t* value = arguments[++i].c_str();
        wchar_t* end = nullptr;
        const unsigned long long number = wcstoull(value, &end, 10);
        const bool numeric = end && *end == 0 && end != value;
        if (name == L"--seed" && numeric) {
            options.seed = number;
        } else if (name == L"--trees" && numeric && number > 0) {
            options.trees = number;
        } else if (name == L"--mutants-per-tree" && numeric && number > k_fixed_mutations && number < 10'000'000) {
            options.mutants_per_tree = static_cast<size_t>(number);
        } else if (name == L"--work") {
            options.work = value;
        } else {
            return std::nullopt;
        }
    }
    return options;
}

}  // namespace

int main()
{
    SetUnhandledExceptionFilter(on_unhandled_exception);
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    const std::optional<Options> options = parse_options(arguments_after_program_name());
    if (!options) {
        std::fprintf(stderr, "usage: bench_fuzz_scan [--seed N] [--trees N] [--mutants-per-tree N] [--work FOLDER]\n");
        return 2;
    }

    Counts counts;
    const double start = monotonic_seconds();
    for (uint64_t t = 0; t < options->trees; ++t) {
        const uint64_t tree_seed = options->seed + t;
        g_tree_seed = tree_seed;
        const double tree_start = monotonic_seconds();
        std::optional<TempFolder> temp;
        std::wstring root;
        if (options->work.empty()) {
            temp.emplace();
            root = temp->path();
        } else {
            root = options->work + L"\\fuzz-tree-" + std::to_wstring(tree_seed);
            remove_tree(root);
        }
        TreeRun tree(tree_seed, options->mutants_per_tree, root);
        const uint64_t accepted_before = counts.accepted;
        const bool ok = tree.run(counts);
        tree.remove();
        std::printf("tree seed %llu: %zu mutants, %llu accepted as entries, %llu skipped; JSON %zu bytes, text %zu "
                    "bytes; %.1f s%s\n",
                    static_cast<unsigned long long>(tree_seed), options->mutants_per_tree,
                    static_cast<unsigned long long>(counts.accepted - accepted_before),
                    static_cast<unsigned long long>(options->mutants_per_tree - (counts.accepted - accepted_before)),
                    tree.json_bytes(), tree.table_bytes(), monotonic_seconds() - tree_start, ok ? "" : "  FAILED");
        std::fflush(stdout);
    }

    std::printf("\nby kind (tried / accepted):\n");
    for (size_t k = 0; k < k_mutation_kinds; ++k) {
        std::printf("  %-22s %8llu / %llu\n", mutation_name(static_cast<Mutation>(k)),
                    static_cast<unsigned long long>(counts.tried_by_kind[k]),
                    static_cast<unsigned long long>(counts.accepted_by_kind[k]));
    }
    // A crash ends the process in the filter above, so a run that gets here had none.
    std::printf("seeds %llu..%llu: tried %llu, accepted as entries %llu, skipped %llu, crashes 0, entries listed %llu, "
                "failures %llu; %.1f s\n",
                static_cast<unsigned long long>(options->seed),
                static_cast<unsigned long long>(options->seed + options->trees - 1),
                static_cast<unsigned long long>(counts.tried), static_cast<unsigned long long>(counts.accepted),
                static_cast<unsigned long long>(counts.tried - counts.accepted), static_cast<unsigned long long>(counts.entries),
                static_cast<unsigned long long>(counts.failures), monotonic_seconds() - start);
    return counts.failures == 0 ? 0 : 1;
}
