// How far a full scan is from the cost of merely reading the files it must read.
//
// For N certificates it lays out two roots (every second certificate has a copy in the second
// root), five CA folders and a few corrupt signCert.der files, then measures in the same run:
//   I/O floor: a plain FindFirstFileW walk of the same folders reading every signCert.der;
//   run_scan:  the real scan over the same two roots (decode, group, order).
// Each figure is the median of several runs after a warm-up that fills the file cache. To show
// where run_scan's time goes, it also times decode_certificate_folder alone over the same folders
// and the grouping and ordering alone over one walk's result.

#include "base/clock.h"
#include "base/handle.h"
#include "bench/median.h"
#include "npki/scanner.h"
#include "tests/support/der_writer.h"
#include "tests/support/npki_fixture.h"
#include "tests/support/temp_folder.h"
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

std::string certificate_der(size_t index)
{
    TestCertificate test_certificate;
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
        bytes = read_everything(tree.roots);
    }

    void measure_round()
    {
        floor_s.push_back(seconds_of([&] { read_everything(tree.roots); }));
        scan_s.push_back(seconds_of([&] { inventory = run_scan(tree.roots); }));
        decode_s.push_back(seconds_of([&] {
            std::vector<CertificateFolder> folders;
            for (const Path& folder : tree.certificate_folders) folders.push_back({folder, "bench"});
            decode_folders(folders);
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
        std::printf("N=%zu: I/O floor %.1f ms (%zu bytes read), run_scan %.1f ms, ratio %.2f; %zu entries, %zu "
                    "copies%s\n",
                    count, floor * 1000, bytes, scan * 1000, scan / floor, inventory.entries.size(), copies,
                    correct ? "" : "  WRONG RESULT");
        std::printf("N=%zu: decode_folders alone, folders in creation order: %.1f ms, %.3f ms per folder; grouping and "
                    "ordering %.1f ms\n",
                    count, decode * 1000, decode * 1000 / tree.certificate_folders.size(), group * 1000);
        return correct;
    }

    size_t count;
    TempFolder temp;
    Tree tree;
    WalkResult walk;
    Inventory inventory;
    size_t bytes = 0;
    std::vector<double> floor_s, scan_s, decode_s, group_s;
};

}  // namespace

int main()
{
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
