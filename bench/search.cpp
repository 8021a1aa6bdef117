// What one keystroke in the search field costs with 10,000 certificates: all the program's own work
// between the field's change notice and the frame, as the window runs it (list_search_query: the
// matching, the listed indices, the pane, focus and scroll carried over, the change queued for screen
// readers), then what the next frame reads that depends on the query: the headline, the scroll bar and
// the texts of the cards in view. Drawing is the frame's cost, measured by bench_paint; the search keys
// are made on the scan thread.
//
// Types queries a key at a time and deletes them again, as a user does: a holder's name syllable by
// syllable ("홍", "홍길", "홍길동"), its initial consonants ("ㅎ", "ㅎㄱ", "ㅎㄱㄷ"), a thumbprint's start
// ("3", "3f", "3fa"...), and the worst case, a letter found in every certificate. Prints the median and
// the slowest keystroke of each kind, and the every-certificate letter's median against a name's.
//   scripts/wine-run build/mingw/bin/bench_search.exe

#include "app/search_field.h"
#include "app/window_state.h"
#include "bench/median.h"
#include "gfx/layout.h"
#include "gfx/main_view.h"
#include "npki/search.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include <windows.h>

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

// What the frame after the keystroke reads that the query decides: the headline, the scroll bar and
// the cards in view. Returns a figure that depends on all of it, so none of the work is left out.
size_t next_frame_needs(const WindowState& state)
{
    size_t seen = headline_of(state).size();
    if (const std::optional<ScrollBarGeometry> bar = list_scroll_bar(state)) seen += bar->thumb.height > 0 ? 1 : 0;
    const CardRange range = visible_cards(view_metrics_of(state), state.listed_count(), state.list_scroll);
    for (size_t i = range.first; i < range.last; ++i) {
        const CertificateEntry& entry = state.listed(i);
        seen += holder_name(entry.info.subject_cn).size() + (card_badge(entry) ? 1 : 0);
    }
    return seen;
}

}  // namespace

int main()
{
    // The window the state belongs to: its client size decides the cards in view and the scroll.
    const HWND hwnd = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1000, 700, nullptr, nullptr,
                                      GetModuleHandleW(nullptr), nullptr);
    const std::vector<CertificateEntry> whole = office_list();
    const std::vector<SearchKey> keys = search_keys(whole, &english, "en");
    const struct {
        const char* what;
        std::vector<std::string> typed;
    } k_queries[] = {
        {"name", {"홍", "홍길", "홍길동"}},
        {"initials", {"ㅎ", "ㅎㄱ", "ㅎㄱㄷ"}},
        {"thumbprint", {"3", "3f", "3fa", "3fa0"}},
        {"every one", {"c", "c:"}},  // in every folder path: every certificate stays listed
    };
    std::printf("%zu certificates, %d rounds, the whole keystroke\n", whole.size(), k_rounds);
    double name_median = 0;
    size_t seen = 0;
    for (const auto& query : k_queries) {
        std::vector<double> ms;
        size_t shown_at_end_of_typing = 0;
        for (int round = 0; round < k_rounds; ++round) {
            WindowState state;
            state.hwnd = hwnd;
            state.entries = whole;
            state.search_keys = keys;
            for (const std::string& step : keystrokes(query.typed)) {
                const auto start = std::chrono::steady_clock::now();
                list_search_query(state, step);
                seen += next_frame_needs(state);
                const auto end = std::chrono::steady_clock::now();
                ms.push_back(std::chrono::duration<double, std::milli>(end - start).count());
                if (step == query.typed.back()) shown_at_end_of_typing = state.listed_count();
            }
        }
        const double slowest = *std::max_element(ms.begin(), ms.end());
        const double mid = median(ms);
        if (std::string(query.what) == "name") name_median = mid;
        std::printf("%-10s per keystroke: median %.2f ms, slowest %.2f ms (%zu listed at \"%s\")", query.what, mid,
                    slowest, shown_at_end_of_typing, query.typed.back().c_str());
        if (std::string(query.what) == "every one" && name_median > 0) std::printf(", %.2fx a name", mid / name_median);
        std::printf("\n");
    }
    std::printf("(%zu)\n", seen % 10);  // keeps the frame's reads from being optimised away
    if (hwnd) DestroyWindow(hwnd);
    return 0;
}
