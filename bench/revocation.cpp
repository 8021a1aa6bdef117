// What a check with the issuers costs: 1,000 certificates over 20 distribution points of a local LDAP
// directory (bench/revocation.sh starts slapd and loads the lists this program writes).
//
//   bench_revocation.exe write FOLDER PORT   lays out FOLDER\roots (the bench's root and CA, trusted
//                                            through VESSOP_TEST_ROOTS), FOLDER\tree (the certificates,
//                                            each naming one of the 20 points on 127.0.0.1:PORT) and
//                                            FOLDER\lists\crl1dpK.crl (each point's list, signed by the CA,
//                                            revoking every tenth of its certificates among others);
//   bench_revocation.exe check FOLDER        scans the tree and checks every certificate: once through the
//                                            directory, timing each fetch, and then, for the program's own
//                                            time, several times more with the same lists served from
//                                            memory (the median is given).

#include "base/clock.h"
#include "base/command_line.h"
#include "base/handle.h"
#include "base/sha256.h"
#include "npki/certificate_folder.h"
#include "bench/median.h"
#include "npki/revocation_run.h"
#include "npki/scanner.h"
#include "tests/support/der_writer.h"
#include "tests/support/test_key.h"
#include "trust/directory.h"
#include "x509/dates.h"

#include <cstdio>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include <windows.h>

namespace {

constexpr int k_certificates = 1000;
constexpr int k_points = 20;
constexpr int k_revoked_others = 200;  // entries in each list for certificates that are not here
constexpr int k_repeats = 5;

bool write_file(const std::wstring& path, const std::string& bytes)
{
    const UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file && WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

std::string serial_of(int k) { return std::string{'\x10', static_cast<char>(k >> 8), static_cast<char>(k & 0xFF)}; }

std::string point_url(int port, int point)
{
    return "ldap://127.0.0.1:" + std::to_string(port) + "/cn=crl1dp" + std::to_string(point) +
           ",ou=crldp,ou=AccreditedCA,o=TestCA,c=KR";
}

Extension distribution_point(const std::string& url)
{
    return {"2.5.29.31", der::sequence(der::sequence(der::tlv(0xA0, der::tlv(0xA0, der::tlv(0x86, url)))))};
}

int write_bench(const std::wstring& folder, int port)
{
    const TestKey root_key;
    const TestKey ca_key;
    const DistinguishedName root_name = {{{std::string(k_oid_common_name), "Revocation Bench Root", StringType::utf8}}};
    const DistinguishedName ca_name = {{{std::string(k_oid_country), "KR", StringType::printable}},
                                       {{std::string(k_oid_organization), "TestCA", StringType::utf8}},
                                       {{std::string(k_oid_common_name), "TestCA Bench", StringType::utf8}}};
    const auto certificate = [](const DistinguishedName& subject, const std::string& key_info, const DistinguishedName& issuer,
                                const TestKey& signer) {
        TestCertificate c;
        c.subject = subject;
        c.issuer = issuer;
        c.not_before = now_seconds() - 86'400;
        c.not_after = now_seconds() + 300 * 86'400;
        if (!key_info.empty()) c.public_key_info = key_info;
        c.sign = [&signer](std::string_view data) { return signer.sign(data); };
        return c;
    };
    for (const wchar_t* sub : {L"", L"\\roots", L"\\tree", L"\\tree\\NPKI", L"\\tree\\NPKI\\TestCA",
                               L"\\tree\\NPKI\\TestCA\\USER", L"\\lists"})
        CreateDirectoryW((folder + sub).c_str(), nullptr);
    bool ok = write_file(folder + L"\\roots\\root-bench.der",
                         make_certificate_der(certificate(root_name, root_key.public_key_info(), root_name, root_key)));
    ok = ok && write_file(folder + L"\\roots\\ca-bench.der",
                          make_certificate_der(certificate(ca_name, ca_key.public_key_info(), root_name, root_key)));

    std::vector<std::vector<TestKey::ListEntry>> lists(k_points);
    for (int k = 0; ok && k < k_certificates; ++k) {
        const int point = k % k_points;
        DistinguishedName subject = TestCertificate{}.subject;
        subject.back()[0].value = "Bench" + std::to_string(k) + "()0012345678901234";
        TestCertificate c = certificate(subject, {}, ca_name, ca_key);
        c.serial = serial_of(k);
        c.other_extensions = {distribution_point(point_url(port, point))};
        const std::wstring user = folder + L"\\tree\\NPKI\\TestCA\\USER\\cn=Bench" + std::to_wstring(k);
        CreateDirectoryW(user.c_str(), nullptr);
        ok = write_file(user + L"\\signCert.der", make_certificate_der(c));
        if (k % 10 == 0) lists[point].push_back({serial_of(k), now_seconds() - 86'400, 4});
    }
    for (int point = 0; ok && point < k_points; ++point) {
        for (int other = 0; other < k_revoked_others; ++other)
            lists[point].push_back({std::string{'\x20', static_cast<char>(point), static_cast<char>(other)}, now_seconds() - 3600, 1});
        const std::string list = ca_key.sign_list(encode_name(ca_name), now_seconds() - 3600, now_seconds() + 7 * 86'400,
                                                  lists[point]);
        ok = write_file(folder + L"\\lists\\crl1dp" + std::to_wstring(point) + L".crl", list);
    }
    if (!ok) std::fprintf(stderr, "could not write the bench's files under the folder\n");
    return ok ? 0 : 1;
}

int check_bench(const std::wstring& folder)
{
    SetEnvironmentVariableW(L"VESSOP_TEST_ROOTS", (folder + L"\\roots").c_str());
    const Inventory inventory = run_scan({folder + L"\\tree"});
    const int64_t now = now_seconds();

    // Once through the directory, each fetch timed.
    std::mutex mutex;
    std::map<std::string, FetchedList> fetched;
    double fetch_seconds = 0;
    const ListFetcher directory = [&](const DistributionPoint& point) {
        const double start = monotonic_seconds();
        FetchedList list = fetch_from_issuer(point);
        const double took = monotonic_seconds() - start;
        const std::lock_guard lock(mutex);
        fetch_seconds += took;
        fetched[point.dn] = list;
        return list;
    };
    const double start = monotonic_seconds();
    const std::vector<RevocationOutcome> outcomes = check_entries(inventory.entries, built_in_issuer_check(), directory, now);
    const double whole = monotonic_seconds() - start;
    size_t good = 0, revoked = 0, unknown = 0;
    for (const RevocationOutcome& outcome : outcomes) {
        good += outcome.state == RevocationState::Good;
        revoked += outcome.state == RevocationState::Revoked;
        unknown += outcome.state == RevocationState::Unknown;
    }

    // The program's own time: the same check with the lists already in memory.
    const ListFetcher memory = [&](const DistributionPoint& point) { return fetched.at(point.dn); };
    std::vector<double> own;
    for (int r = 0; r < k_repeats; ++r) {
        const double from = monotonic_seconds();
        check_entries(inventory.entries, built_in_issuer_check(), memory, now);
        own.push_back(monotonic_seconds() - from);
    }
    const double own_median = median(own);
    // Of which: reading each certificate again (and its SHA-256, to be sure it is the one scanned).
    std::vector<double> reread;
    for (int r = 0; r < k_repeats; ++r) {
        const double from = monotonic_seconds();
        for (const CertificateEntry& entry : inventory.entries) {
            const std::optional<std::vector<uint8_t>> bytes =
                read_certificate_file(join_path(entry.copies.front().folder, L"signCert.der"));
            if (bytes) sha256(*bytes);
        }
        reread.push_back(monotonic_seconds() - from);
    }
    std::printf("certificates %zu, distribution points %zu (%d expected), answers: %zu good, %zu revoked, %zu unknown\n",
                inventory.entries.size(), fetched.size(), k_points, good, revoked, unknown);
    std::printf("whole check through the directory: %.0f ms (fetches: %.0f ms in all, %.1f ms each, up to %zu at once)\n",
                whole * 1e3, fetch_seconds * 1e3, fetch_seconds * 1e3 / static_cast<double>(std::max<size_t>(fetched.size(), 1)),
                k_max_parallel_fetches);
    const double per = 1e6 / static_cast<double>(std::max<size_t>(inventory.entries.size(), 1));
    std::printf("the program's own time (lists in memory, median of %d): %.0f ms, %.0f us per certificate\n", k_repeats,
                own_median * 1e3, own_median * per);
    std::printf("  of which reading the certificates again, on one thread: %.0f us per certificate\n", median(reread) * per);
    return inventory.entries.size() == k_certificates && revoked == k_certificates / 10 && unknown == 0 ? 0 : 1;
}

}  // namespace

int main()
{
    const std::vector<std::wstring> arguments = arguments_after_program_name();
    if (arguments.size() == 3 && arguments[0] == L"write") return write_bench(arguments[1], _wtoi(arguments[2].c_str()));
    if (arguments.size() == 2 && arguments[0] == L"check") return check_bench(arguments[1]);
    std::fprintf(stderr, "usage: bench_revocation write FOLDER PORT | check FOLDER\n");
    return 2;
}
