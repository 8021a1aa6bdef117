// How much of a clean-up is the program's own work.
//
// Lays out N expired certificates, one copy each, scans them as the window would, then measures in
// one run: our own work for the clean-up (choosing the expired entries and their folders, keeping
// copies on USB drives out, the question with its bullet list, the notice), as the median of several
// rounds, and the recycling of all N folders through SHFileOperationW, once (it is destructive).
// The target: our own work under 5 % of the whole.
//
// The folders really go to the Recycle Bin: under Wine that is $XDG_DATA_HOME/Trash, which the
// benchmark empties of its own folders afterwards; on Windows they stay in the user's Recycle Bin.

#include "base/clock.h"
#include "bench/median.h"
#include "fileops/file_ops.h"
#include "fileops/questions.h"
#include "npki/scanner.h"
#include "tests/support/der_writer.h"
#include "tests/support/npki_fixture.h"
#include "tests/support/temp_folder.h"
#include "x509/dates.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include <windows.h>

namespace {

constexpr size_t k_count = 1000;
constexpr int k_repeats = 9;

std::string expired_certificate(size_t index, int64_t now)
{
    TestCertificate test_certificate;
    const std::string cn = "Cleanup User " + std::to_string(index) + "()" + std::to_string(2'000'000'000'000 + index);
    test_certificate.subject.back() = {{std::string(k_oid_common_name), cn, StringType::utf8}};
    test_certificate.serial = std::string("\x01", 1) + std::to_string(index);
    test_certificate.not_after = now - 86'400 * static_cast<int64_t>(1 + index % 400);
    test_certificate.not_before = test_certificate.not_after - 365 * 86'400;
    return make_certificate_der(test_certificate);
}

// Wine's Recycle Bin as a Windows path, or empty on Windows.
std::wstring wine_trash()
{
    wchar_t buffer[1024];
    const DWORD n = GetEnvironmentVariableW(L"XDG_DATA_HOME", buffer, 1024);
    if (n == 0 || n >= 1024 || buffer[0] != L'/') return {};
    std::wstring path = L"Z:" + std::wstring(buffer, n) + L"/Trash";
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}

}  // namespace

int main()
{
    const int64_t now = now_seconds();
    TempFolder temp;
    const std::wstring token = std::to_wstring(GetTickCount64());
    const std::wstring root = temp / L"pc";
    std::vector<std::wstring> names;
    double start = monotonic_seconds();
    for (size_t i = 0; i < k_count; ++i) {
        names.push_back(L"cn=Cleanup " + token + L" " + std::to_wstring(i));
        if (add_certificate(root, L"yessign", names.back(), expired_certificate(i, now)).empty()) {
            std::printf("could not write the tree\n");
            return 1;
        }
    }
    std::printf("N=%zu: tree built in %.1f s\n", k_count, monotonic_seconds() - start);

    const Inventory inventory = run_scan({root});
    const std::vector<CertificateEntry>& entries = inventory.entries;

    std::vector<double> own_s;
    CleanUpPlan plan;
    size_t text_bytes = 0;
    for (int round = 0; round < k_repeats; ++round) {
        start = monotonic_seconds();
        plan = plan_clean_up(entries, now);
        const std::string question = clean_up_question(entries, plan);
        const std::string notice = cleaned_up_notice(plan.folders.size());
        own_s.push_back(monotonic_seconds() - start);
        text_bytes = question.size() + notice.size();
    }

    // The shell's first call loads what it needs; that is no part of a clean-up of many folders.
    const std::wstring scratch = temp / (L"warm-up " + token);
    write_file(scratch + L"\\f", "x");
    recycle_folder(nullptr, scratch);

    start = monotonic_seconds();
    const size_t recycled = recycle_folders(nullptr, plan.folders);
    const double recycle_s = monotonic_seconds() - start;

    const double own = median(own_s);
    const double share = own / (own + recycle_s) * 100;
    const bool correct = entries.size() == k_count && plan.expired.size() == k_count && plan.folders.size() == k_count &&
                         recycled == k_count;
    std::printf("N=%zu: own work (plan, question of %zu bytes, notice) %.3f ms, median of %d\n", k_count, text_bytes,
                own * 1000, k_repeats);
    std::printf("N=%zu: SHFileOperationW for %zu folders %.1f ms (%.2f ms per folder), %zu recycled%s\n", k_count,
                plan.folders.size(), recycle_s * 1000, recycle_s * 1000 / std::max<size_t>(plan.folders.size(), 1),
                recycled, correct ? "" : "  WRONG RESULT");
    std::printf("own work share of the clean-up: %.3f %% (target < 5 %%)\n", share);

    const std::wstring trash = wine_trash();
    if (!trash.empty()) {
        names.push_back(L"warm-up " + token);
        for (const std::wstring& name : names) {
            remove_tree(trash + L"\\files\\" + name);
            DeleteFileW((trash + L"\\info\\" + name + L".trashinfo").c_str());
        }
    }
    return correct && share < 5 ? 0 : 1;
}
