#include "npki/search.h"

#include "base/text.h"
#include "trust/issuer_check.h"
#include "x509/dates.h"
#include "x509/policy.h"

#include <algorithm>
#include <utility>

namespace {

// The compatibility jamo of the 19 consonants that begin a syllable, in the order of the syllable
// block's leading-consonant index: ㄱ ㄲ ㄴ ㄷ ㄸ ㄹ ㅁ ㅂ ㅃ ㅅ ㅆ ㅇ ㅈ ㅉ ㅊ ㅋ ㅌ ㅍ ㅎ.
constexpr char32_t k_initial_jamo[19] = {0x3131, 0x3132, 0x3134, 0x3137, 0x3138, 0x3139, 0x3141,
                                         0x3142, 0x3143, 0x3145, 0x3146, 0x3147, 0x3148, 0x3149,
                                         0x314A, 0x314B, 0x314C, 0x314D, 0x314E};
constexpr char32_t k_first_syllable = 0xAC00;  // 가
constexpr char32_t k_last_syllable = 0xD7A3;   // 힣
constexpr char32_t k_syllables_per_initial = 21 * 28;

bool is_initial_jamo(char32_t c)
{
    return std::find(std::begin(k_initial_jamo), std::end(k_initial_jamo), c) != std::end(k_initial_jamo);
}

void append_utf8(std::string& out, char32_t c)
{
    // Only the jamo above pass through here: three bytes each.
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
}

std::string initials_of(std::string_view name)
{
    std::string out;
    for (size_t at = 0; at < name.size();) {
        const char32_t c = next_code_point(name, at);
        if (c >= k_first_syllable && c <= k_last_syllable)
            append_utf8(out, k_initial_jamo[(c - k_first_syllable) / k_syllables_per_initial]);
    }
    return out;
}

bool only_initials(std::string_view word)
{
    if (word.empty()) return false;
    for (size_t at = 0; at < word.size();)
        if (!is_initial_jamo(next_code_point(word, at))) return false;
    return true;
}

bool word_matches(const SearchWord& word, const SearchKey& key)
{
    if (key.text.find(word.text) != std::string::npos) return true;
    if (word.initials && key.initials.find(word.text) != std::string::npos) return true;
    // A thumbprint is read from its start, so "3f" does not find every certificate whose hash holds it.
    const size_t at = key.hashes.find(word.text);
    for (size_t from = at; from != std::string::npos; from = key.hashes.find(word.text, from + 1))
        if (from > 0 && key.hashes[from - 1] == '\n') return true;
    return false;
}

// Lower-cased, with final sigma read as sigma: "ΟΔΥΣ" typed so far is not yet the end of the word.
std::string folded(std::string_view text)
{
    std::string out = lower_full(text);
    for (size_t at = out.find("\xCF\x82"); at != std::string::npos; at = out.find("\xCF\x82", at + 2))
        out[at + 1] = '\x83';
    return out;
}

void add_field(std::string& text, std::string_view field)
{
    text += '\n';
    text += field;
}

// Whether the whole list's entry `at` is listed: it matches, or it is the one kept whatever the query.
bool listed_under(const SearchQuery& query, const std::vector<SearchKey>& keys, std::optional<size_t> keep, size_t at)
{
    return keep == at || (at < keys.size() && search_matches(query, keys[at]));
}

// Lists the matching (or kept) entries of the whole list afresh.
void list_matching(ListFilter& filter, size_t whole_count, const std::vector<SearchKey>& keys, const SearchQuery& query,
                   std::optional<size_t> keep)
{
    filter.listed_at.clear();
    for (size_t i = 0; i < whole_count; ++i) {
        if (listed_under(query, keys, keep, i)) filter.listed_at.push_back(i);
    }
}

}  // namespace

SearchQuery parse_search_query(std::string_view typed)
{
    const std::string lower = folded(typed);
    SearchQuery query;
    size_t word_start = 0;
    const auto end_word = [&](size_t end) {
        if (end > word_start) {
            SearchWord word{lower.substr(word_start, end - word_start), false};
            word.initials = only_initials(word.text);
            query.words.push_back(std::move(word));
        }
    };
    for (size_t at = 0; at < lower.size();) {
        const size_t before = at;
        if (is_unicode_space(next_code_point(lower, at))) {
            end_word(before);
            word_start = at;
        }
    }
    end_word(lower.size());
    return query;
}

SearchKey search_key(const CertificateEntry& entry, Translate translate, std::string_view language)
{
    const CertificateInfo& info = entry.info;
    const CertificateCopy* first_copy = first_copy_of(entry);
    const PolicyClass policy_class = classify_policies(info.policy_oids);
    const std::string holder = holder_name(info.subject_cn);

    std::string text;
    add_field(text, holder);
    add_field(text, info.subject_cn);
    add_field(text, issuer_display_name(info, first_copy, "ko"));
    add_field(text, issuer_display_name(info, first_copy, "en"));
    if (language != "ko" && language != "en") add_field(text, issuer_display_name(info, first_copy, language));
    add_field(text, list_purpose_text(policy_class, info.policy_oids, translate));
    if (const std::optional<Text> kind = holder_kind_label(policy_class.holder_kind)) add_field(text, translate(*kind));
    if (const std::optional<Text> badge = trust_badge(info.trust)) add_field(text, translate(*badge));
    add_field(text, until_text(info, translate));
    add_field(text, info.serial_hex);
    for (const CertificateCopy& copy : entry.copies) {
        add_field(text, copy.ca_folder_name);
        add_field(text, place_label(copy, translate));
        add_field(text, utf8_from_utf16(copy.folder));
    }

    SearchKey key;
    key.text = folded(text);
    key.hashes = lower_full("\n" + info.sha1_hex + "\n" + info.sha256_hex);
    key.initials = initials_of(holder);
    return key;
}

std::vector<SearchKey> search_keys(const std::vector<CertificateEntry>& entries, Translate translate,
                                   std::string_view language)
{
    std::vector<SearchKey> keys;
    keys.reserve(entries.size());
    for (const CertificateEntry& entry : entries) keys.push_back(search_key(entry, translate, language));
    return keys;
}

bool search_matches(const SearchQuery& query, const SearchKey& key)
{
    return std::all_of(query.words.begin(), query.words.end(),
                       [&](const SearchWord& word) { return word_matches(word, key); });
}

bool query_narrows(const SearchQuery& before, const SearchQuery& after)
{
    return std::all_of(before.words.begin(), before.words.end(), [&](const SearchWord& old_word) {
        return std::any_of(after.words.begin(), after.words.end(),
                           [&](const SearchWord& word) { return word.text.starts_with(old_word.text); });
    });
}

size_t whole_index(const ListFilter& filter, size_t index)
{
    return filter.active && index < filter.listed_at.size() ? filter.listed_at[index] : index;
}

std::optional<size_t> listed_index(const ListFilter& filter, size_t index)
{
    if (!filter.active) return index;
    const auto it = std::lower_bound(filter.listed_at.begin(), filter.listed_at.end(), index);
    if (it == filter.listed_at.end() || *it != index) return std::nullopt;
    return static_cast<size_t>(it - filter.listed_at.begin());
}

void set_list_query(ListFilter& filter, size_t whole_count, const std::vector<SearchKey>& keys, std::string_view typed,
                    std::optional<size_t> keep)
{
    const SearchQuery before = parse_search_query(filter.query);
    const SearchQuery after = parse_search_query(typed);
    filter.query = std::string(typed);
    if (after.empty()) {
        filter.listed_at.clear();
        filter.active = false;
        return;
    }
    const bool keep_listed = !keep || listed_index(filter, *keep).has_value();
    if (filter.active && !before.empty() && keep_listed && query_narrows(before, after)) {
        // Typing on: what did not match before cannot match now, so only the listed ones are tried.
        std::erase_if(filter.listed_at, [&](size_t at) { return !listed_under(after, keys, keep, at); });
        return;
    }
    filter.active = true;
    list_matching(filter, whole_count, keys, after, keep);
}

void relist(ListFilter& filter, size_t whole_count, const std::vector<SearchKey>& keys, std::optional<size_t> keep)
{
    if (filter.active) list_matching(filter, whole_count, keys, parse_search_query(filter.query), keep);
}
