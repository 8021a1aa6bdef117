// What one keystroke in the search field costs with 10,000 certificates: the program's own work of
// matching and rebuilding the listed entries (set_list_query), as the field's change notice runs it.
// Drawing is the frame's cost, measured by bench_paint; the search keys are made on the scan thread.
//
// Types three queries a key at a time and deletes them again, as a user does: a holder's name
// syllable by syllable ("홍", "홍길", "홍길동"), its initial consonants ("ㅎ", "ㅎㄱ", "ㅎㄱㄷ") and a
// thumbprint's start ("3", "3f", "3fa"...), and the worst case, a letter found in every certificate. Prints the median and the slowest keystroke of each kind.
//   scripts/wine-run build/mingw/bin/bench_search.exe

#include "bench/median.h"
#include "npki/search.h"

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr size_t k_entries = 10'000;
constexpr int k_rounds = 5;

const char* const k_family[] = {"김", "이", "박", "최", "정", "강", "조", "윤", "장", "임", "홍", "한"};
const char* const k_given[] = {"민준", "서연", "길동", "지우", "하은", "도윤", "서준", "수아", "예준", "지호"};

std::vector<CertificateEntry> office_list()
{
    std::vector<CertificateEntry> entries;
    entries.reserve(k_entries);
    for (size_t i = 0; i < k_entries; ++i) {
        CertificateEntry e;
        const std::string name = std::string(k_family[i % std::size(k_family)]) + k_given[(i / 7) % std::size(k_given)];
        e.info.subject_cn = name + "()00" + std::to_string(1000000000 + i);
        e.info.issuer_org = i % 3 ? "yessign" : "signGATE";
        e.info.issuer_cn = e.info.issuer_org + "CA Class 2";
        e.info.issuer_dn = "CN=" + e.info.issuer_cn + ",O=" + e.info.issuer_org + ",C=kr";
        e.info.serial_hex = std::to_string(100000 + i);
        char hash[65];
        std::snprintf(hash, sizeof hash, "%08zX%056zX", i * 2654435761u % 0xFFFFFFFFu, i);
        e.info.sha256_hex = hash;
        e.info.sha1_hex = e.info.sha256_hex.substr(24);
        e.info.policy_oids = {i % 2 ? "1.2.410.200005.1.1.1" : "1.2.410.200005.1.1.5"};
        e.info.not_before = 1700000000;
        e.info.not_after = 1700000000 + static_cast<int64_t>(i % 900) * 86400;
        CertificateCopy copy;
        copy.folder = L"C:\\Users\\office\\AppData\\LocalLow\\NPKI\\" + std::wstring(i % 3 ? L"yessign" : L"SignGATE") +
                      L"\\USER\\cn=" + std::to_wstring(i);
        copy.ca_folder_name = i % 3 ? "yessign" : "SignGATE";
        copy.drive = "C:";
        copy.has_private_key = true;
        e.copies.push_back(std::move(copy));
        entries.push_back(std::move(e));
    }
    return entries;
}

std::string_view english(Text text) { return text.english; }

// Every prefix of `word` typed, then deleted back to nothing.
std::vector<std::string> keystrokes(const std::vector<std::string>& typed)
{
    std::vector<std::string> steps = typed;
    for (size_t i = typed.size(); i-- > 1;) steps.push_back(typed[i - 1]);
    steps.push_back("");
    return steps;
}

}  // namespace

int main()
{
    const std::vector<CertificateEntry> whole = office_list();
    const std::vector<SearchKey> keys = search_keys(whole, &english, "en");
    const struct {
        const char* what;
        std::vector<std::string> typed;
    } k_queries[] = {
        {"name", {"홍", "홍길", "홍길동"}},
        {"initials", {"ㅎ", "ㅎㄱ", "ㅎㄱㄷ"}},
        {"thumbprint", {"3", "3f", "3fa", "3fa0"}},
        {"every one", {"c", "c:"}},  // in every folder path: the first key copies the whole list
    };
    std::printf("%zu certificates, %d rounds\n", whole.size(), k_rounds);
    for (const auto& query : k_queries) {
        std::vector<double> ms;
        size_t shown_at_end_of_typing = 0;
        for (int round = 0; round < k_rounds; ++round) {
            std::vector<CertificateEntry> listed = whole;
            ListFilter filter;
            for (const std::string& step : keystrokes(query.typed)) {
                const auto start = std::chrono::steady_clock::now();
                set_list_query(listed, filter, keys, step, std::nullopt);
                const auto end = std::chrono::steady_clock::now();
                ms.push_back(std::chrono::duration<double, std::milli>(end - start).count());
                if (step == query.typed.back()) shown_at_end_of_typing = listed.size();
            }
        }
        double slowest = 0;
        for (double v : ms) slowest = std::max(slowest, v);
        std::printf("%-10s per keystroke: median %.2f ms, slowest %.2f ms (%zu listed at \"%s\")\n", query.what,
                    median(ms), slowest, shown_at_end_of_typing, query.typed.back().c_str());
    }
    return 0;
}
