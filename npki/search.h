#pragma once

// Find as you type. A query is split into words; a certificate is listed when every word occurs in
// one of the texts it is known by. The texts are lower-cased once per scan (SearchKey), so a keystroke
// costs one pass of substring searches over the list and no allocation per certificate.
//
// Korean users find people by the initial consonants of their names, as phone contacts allow: a word
// made only of the consonants that can begin a syllable (ㄱ ㄲ ㄴ ㄷ ㄸ ㄹ ㅁ ㅂ ㅃ ㅅ ㅆ ㅇ ㅈ ㅉ ㅊ ㅋ ㅌ ㅍ ㅎ)
// also matches a holder whose name has syllables beginning with them in a row: "ㅎㄱㄷ" finds 홍길동,
// "ㄱㄴㄷ" finds (주)가나다. Characters that are not Hangul syllables do not break the row.

#include "npki/inventory.h"
#include "x509/translate.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct SearchWord {
    std::string text;       // lower-cased
    bool initials = false;  // made only of initial consonants
    bool operator==(const SearchWord&) const = default;
};

struct SearchQuery {
    std::vector<SearchWord> words;
    bool empty() const { return words.empty(); }
};

// The words of what was typed, split at Unicode white space and lower-cased in full.
SearchQuery parse_search_query(std::string_view typed);

// What one certificate is found by, each part lower-cased.
struct SearchKey {
    std::string text;      // the holder, the CN, the issuer in Korean and English, the purpose, holder
                           // kind and issuer-check badge as shown, the until date as shown, the serial,
                           // each copy's CA folder, place label and folder; each preceded by a line feed
    std::string hashes;    // "\n" SHA-1 "\n" SHA-256: a word matches from the start of either
    std::string initials;  // the first consonant of each Hangul syllable of the holder's name, in order
};

// `language` picks the texts the list shows (Korean or English issuer names are both kept anyway).
SearchKey search_key(const CertificateEntry& entry, Translate translate, std::string_view language);
std::vector<SearchKey> search_keys(const std::vector<CertificateEntry>& entries, Translate translate,
                                   std::string_view language);

// Every word occurs in the key; an empty query matches everything.
bool search_matches(const SearchQuery& query, const SearchKey& key);

// True when every certificate that matches `after` also matches `before` (each word of `before` is
// the start of a word of `after`): typing on can then narrow the shown list instead of searching the
// whole one again.
bool query_narrows(const SearchQuery& before, const SearchQuery& after);

// The list as the search field leaves it, as indices into the whole list: while a query is active,
// `listed_at[i]` is the whole-list index of listed entry i (in list order); while none is, every
// certificate is listed and `listed_at` is empty. A keystroke rewrites indices and copies no entry.
struct ListFilter {
    std::string query;  // as typed
    bool active = false;
    std::vector<size_t> listed_at;
};

// The index in the whole list of listed entry `index`.
size_t whole_index(const ListFilter& filter, size_t index);
// Where whole-list entry `index` is listed; none when the query hides it.
std::optional<size_t> listed_index(const ListFilter& filter, size_t index);

// The listed certificates of a whole list under a filter: a view that copies nothing, valid while
// both live unchanged.
class ListedEntries {
public:
    ListedEntries(const std::vector<CertificateEntry>& whole, const ListFilter& filter) : whole_(&whole), filter_(&filter) {}
    // Every entry of `whole` listed.
    ListedEntries(const std::vector<CertificateEntry>& whole) : whole_(&whole) {}  // NOLINT: a list is its own listing
    size_t size() const { return filter_ && filter_->active ? filter_->listed_at.size() : whole_->size(); }
    bool empty() const { return size() == 0; }
    // `index` < size().
    const CertificateEntry& operator[](size_t index) const
    {
        return (*whole_)[filter_ ? whole_index(*filter_, index) : index];
    }
    const std::vector<CertificateEntry>& whole() const { return *whole_; }

private:
    const std::vector<CertificateEntry>* whole_;
    const ListFilter* filter_ = nullptr;
};

// Applies a newly typed query to a whole list of `whole_count` certificates whose `keys` they are.
// `keep` (a whole-list index: the certificate whose detail pane is open) stays listed whatever the
// query, so an open pane never loses its certificate. Typing on narrows the listed indices in place;
// anything else lists the matching ones of the whole list again; clearing the query lists them all.
void set_list_query(ListFilter& filter, size_t whole_count, const std::vector<SearchKey>& keys, std::string_view typed,
                    std::optional<size_t> keep);

// A new whole list (a scan result) under the current query: the listed indices become its matching ones.
void relist(ListFilter& filter, size_t whole_count, const std::vector<SearchKey>& keys, std::optional<size_t> keep);
