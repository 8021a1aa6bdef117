// How far a full scan is from the cost of merely reading the files it must read.
//
// For N certificates it lays out two roots (every second certificate has a copy in the second
// root), five CA folders and a few corrupt signCert.der files, then measures in the same run:
//   I/O floor: a plain FindFirstFileW walk of the same folders reading every signCert.der;
//   run_scan:  the real scan over the same two roots (decode, group, order).
// Each figure is the median of several runs after a warm-up that fills the file cache. To show
// where run_scan's time goes, it also times decode_certificate_folder alone over the same folders
// and the grouping and ordering alone over one walk's result.
// The certificates are signed for real by a CA of the bench's own, which the test build trusts through
// VESSOP_TEST_ROOTS, so the issuer check verifies a signature for every certificate as it would on a
// user's PC. The same rounds also run the scan with a check that knows no CA (no signature verified,
// every certificate "unknown issuer"): the scan as it was before the check, for the ratio before and
// after. The check of every copy's bytes alone, on one thread, is timed too.

#include "base/clock.h"
#include "base/handle.h"
#include "bench/median.h"
#include "npki/scanner.h"
#include "tests/support/der_writer.h"
#include "tests/support/npki_fixture.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_key.h"
#include "trust/issuer_check.h"
#include "x509/decoder.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include <windows.h>

namespace {

constexpr int k_repeats = 7;
constexpr const wchar_t* k_ca_folders[] = {L"yessign", L"signkorea", L"crosscert", L"kica", L"tradesign"};
constexpr int k_corrupt_every = 100;  // one corrupt certificate folder per this many certificates

struct Tree {
    std::vector<Path> roots;
    std::vector<Path> certificate_folders;  // every folder holding a signCert.der, corrupt ones included
    size_t certificates = 0;
    size_t copies = 0;
};

// The bench's own root and CA, in a folder the test build trusts (VESSOP_TEST_ROOTS).
struct BenchAuthority {
    TempFolder folder;
    TestKey root_key;
    TestKey ca_key;
    DistinguishedName ca_name = {{{std::string(k_oid_country), "kr", StringType::printable}},
                                 {{std::string(k_oid_organization), "yessign", StringType::utf8}},
                                 {{std::string(k_oid_organizational_unit), "AccreditedCA", StringType::utf8}},
                                 {{std::string(k_oid_common_name), "yessignCA Bench", StringType::utf8}}};

    BenchAuthority()
    {
        const DistinguishedName root_name = {{{std::string(k_oid_common_name), "Bench Root", StringType::utf8}}};
        write(L"root-bench.der", signed_by(root_name, root_key, root_name, root_key));
        write(L"ca-bench.der", signed_by(ca_name, ca_key, root_name, root_key));
        SetEnvironmentVariableW(L"VESSOP_TEST_ROOTS", folder.path().c_str());
    }

    static std::string signed_by(const DistinguishedName& subject, const TestKey& key, const DistinguishedName& issuer,
                                 const TestKey& signer)
    {
        TestCertificate certificate;
        certificate.subject = subject;
        certificate.issuer = issuer;
        certificate.public_key_info = key.public_key_info();
        certificate.sign = [&signer](std::string_view data) { return signer.sign(data); };
        return make_certificate_der(certificate);
    }

    void write(const wchar_t* name, const std::string& der) const
    {
        const UniqueFile file(CreateFileW((folder.path() + L"\\" + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        if (file) WriteFile(file.get(), der.data(), static_cast<DWORD>(der.size()), &written, nullptr);
    }
};

const BenchAuthority& authority()
{
    static const BenchAuthority made;
    return made;
}

std::string certificate_der(size_t index)
{
    TestCertificate test_certificate;
    test_certificate.issuer = authority().ca_name;
    test_certificate.sign = [](std::string_view data) { return authority().ca_key.sign(data); };
    const std::string cn = "Bench User " + std::to_string(index) + "()" + std::to_string(1'000'000'000'000 + index);
    test_certificate.subject.back() = {{std::string(k_oid_common_name), cn, StringType::utf8}};
    test_certificate.serial = std::string("\x01", 1) + std::to_string(index);
    test_certificate.not_before = 1'700'000'000;
    test_certificate.not_after = 1'700'000'000 + static_cast<int64_t>(index % 1000) * 86'400 * 3;
    return make_certificate_der(test_certificate);
}

Tree build_tree(const TempFolder& temp, size_t count)
{
    Tree tree;
    tree.roots = {temp / L"pc", temp / L"usb"};
    for (size_t i = 0; i < count; ++i) {
        const std::wstring ca = k_ca_folders[i % std::size(k_ca_folders)];
        const std::wstring folder = L"cn=Bench User " + std::to_wstring(i) + L",ou=XYZ,o=" + ca + L",c=kr";
        const std::string der = certificate_der(i);
        tree.certificate_folders.push_back(add_certificate(tree.roots[0], ca, folder, der, true, i % 3 == 0));
        ++tree.copies;
        if (i % 2 == 0) {
            tree.certificate_folders.push_back(add_certificate(tree.roots[1], ca, folder, der, i % 4 == 0, false));
            ++tree.copies;
        }
        if (i % k_corrupt_every == 0) {
            const std::wstring broken = tree.roots[1] + L"\\NPKI\\" + ca + L"\\USER\\broken " + std::to_wstring(i);
            write_certificate_folder(broken, der.substr(0, der.size() / 2));
            tree.certificate_folders.push_back(broken);
        }
    }
    tree.certificates = count;
    return tree;
}

// The floor: list NPKI\*\USER\* below each root with FindFirstFileW and read every signCert.der.
size_t read_everything(const std::vector<Path>& roots)
{
    size_t bytes = 0;
    std::vector<char> buffer(1 << 16);
    const auto for_each_folder = [](const std::wstring& folder, auto&& visit) {
        WIN32_FIND_DATAW data;
        UniqueFind find(FindFirstFileW((folder + L"\\*").c_str(), &data));
        if (!find) return;
        do {
            if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || data.cFileName[0] == L'.') continue;
            visit(folder + L"\\" + data.cFileName);
        } while (FindNextFileW(find.get(), &data));
    };
    for (const Path& root : roots) {
        for_each_folder(root + L"\\NPKI", [&](const std::wstring& ca) {
            for_each_folder(ca + L"\\USER", [&](const std::wstring& certificate_folder) {
                UniqueFile file(CreateFileW((certificate_folder + L"\\signCert.der").c_str(), GENERIC_READ,
                                            FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
                if (!file) return;
                DWORD got = 0;
                while (ReadFile(file.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr) && got) {
                    bytes += got;
                }
            });
        });
    }
    return bytes;
}

std::vector<uint8_t> read_certificate(const Path& folder)
{
    std::vector<uint8_t> bytes(1 << 16);
    const UniqueFile file(CreateFileW((folder + L"\\signCert.der").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD got = 0;
    if (!file || !ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr)) got = 0;
    bytes.resize(got);
    return bytes;
}

double seconds_of(const auto& work)
{
    const double start = monotonic_seconds();
    work();
    return monotonic_seconds() - start;
}

// One tree with its measurements. The machine is shared, so the figures to be compared are taken
// in alternation, round by round, rather than one series after the other: a burst of load then
// touches both sides of a ratio alike.
struct Bench {
    explicit Bench(size_t count) : count(count)
    {
        const double start = monotonic_seconds();
        tree = build_tree(temp, count);
        std::printf("N=%zu: tree of %zu copies (+%zu corrupt) built in %.1f s\n", count, tree.copies,
                    tree.certificate_folders.size() - tree.copies, monotonic_seconds() - start);
        walk = walk_search_roots(tree.roots);
        inventory = run_scan(tree.roots);  // warm-up: file cache, crypt32 and CNG initialised
        for (const auto& [info, copy] : walk.found) {
            (void)info;
            copy_bytes.push_back(read_certificate(copy.folder));
        }
        bytes = read_everything(tree.roots);
    }

    void measure_round()
    {
        floor_s.push_back(seconds_of([&] { read_everything(tree.roots); }));
        scan_s.push_back(seconds_of([&] { inventory = run_scan(tree.roots); }));
        unchecked_s.push_back(seconds_of([&] { run_scan(tree.roots, no_issuers); }));
        decode_s.push_back(seconds_of([&] {
            std::vector<CertificateFolder> folders;
            for (const Path& folder : tree.certificate_folders) folders.push_back({folder, "bench"});
            decode_folders(folders);
        }));
        check_s.push_back(seconds_of([&] {
            for (const std::vector<uint8_t>& der : copy_bytes) built_in_issuer_check().check(der);
        }));
        group_s.push_back(seconds_of([&] { inventory_from(walk, 1'750'000'000); }));
    }

    bool report() const
    {
        size_t copies = 0;
        for (const CertificateEntry& entry : inventory.entries) copies += entry.copies.size();
        const bool correct = inventory.entries.size() == tree.certificates && copies == tree.copies &&
                             inventory.folders_checked == tree.roots.size();
        const double floor = median(floor_s);
        const double scan = median(scan_s);
        const double decode = median(decode_s);
        const double group = median(group_s);
        const double check = median(check_s);
        size_t licensed = 0;
        for (const CertificateEntry& entry : inventory.entries) licensed += entry.info.trust == TrustState::Licensed;
        std::printf("N=%zu: I/O floor %.1f ms (%zu bytes read), run_scan %.1f ms, ratio %.2f; %zu entries, %zu "
                    "copies%s\n",
                    count, floor * 1000, bytes, scan * 1000, scan / floor, inventory.entries.size(), copies,
                    correct ? "" : "  WRONG RESULT");
        std::printf("N=%zu: decode_folders alone, folders in creation order: %.1f ms, %.3f ms per folder; grouping and "
                    "ordering %.1f ms\n",
                    count, decode * 1000, decode * 1000 / tree.certificate_folders.size(), group * 1000);
        const double unchecked = median(unchecked_s);
        std::printf("N=%zu: issuer check alone (every copy, one thread) %.1f ms; run_scan without the check %.1f ms: "
                    "ratio before %.2f, after %.2f (%+.1f %%); %zu of %zu entries licensed\n",
                    count, check * 1000, unchecked * 1000, unchecked / floor, scan / floor,
                    (scan / unchecked - 1) * 100, licensed, inventory.entries.size());
        return correct && licensed == tree.certificates;
    }

    size_t count;
    TempFolder temp;
    Tree tree;
    WalkResult walk;
    Inventory inventory;
    size_t bytes = 0;
    std::vector<std::vector<uint8_t>> copy_bytes;  // every copy's signCert.der, for the check alone
    const IssuerCheck no_issuers{std::vector<AnchorCertificate>{}};  // knows no root and no CA: verifies nothing
    std::vector<double> floor_s, scan_s, unchecked_s, decode_s, group_s, check_s;
};

}  // namespace

int main()
{
    authority();  // trusted before the first scan makes the check
    Bench small(2000);
    Bench large(4000);
    for (int round = 0; round < k_repeats; ++round) {
        small.measure_round();
        large.measure_round();
    }
    const bool correct = small.report() & large.report();
    std::printf("run_scan N=4000 / N=2000: %.2f (I/O floor: %.2f)\n", median(large.scan_s) / median(small.scan_s),
                median(large.floor_s) / median(small.floor_s));
    return correct ? 0 : 1;
}
