#pragma once

// The texts of the main view and the detail pane, built apart from drawing so that every language and
// count can be checked without a window. Product callers leave the translation at the catalogue's
// `tr` and the language (for issuer names) at the process's own.

#include "npki/inventory.h"
#include "x509/dates.h"
#include "x509/translate.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// "Looking for certificates" and one to three dots for the seconds since the scan started.
std::string scanning_text(double seconds_since_start, Translate translate = &tr);
// "Certificates: 3", or "No certificates found" for none.
std::string summary_headline(size_t entry_count, Translate translate = &tr);
// "Certificates: 2 of 30" while a search narrows the list.
std::string filtered_headline(size_t shown, size_t total, Translate translate = &tr);
// In place of the cards when a search matches none of them.
std::string no_match_text(std::string_view query, Translate translate = &tr);
// The folder count, then " · 2 expiring soon" and " · 1 expired" when there are any.
std::string summary_second_line(uint64_t folders_checked, const ListSummary& summary, Translate translate = &tr);
// Under "No certificates found": where certificates come from.
std::string empty_list_hint(Translate translate = &tr);
// The toolbar's "Clean up expired (n)".
std::string clean_up_label(size_t expired, Translate translate = &tr);

// A card's second line: the issuing authority, the purpose and the until date, joined by " · ".
std::string card_second_line(const CertificateEntry& entry, Translate translate = &tr,
                             std::string_view language = current_language());
// A card's location line: the one place, or "In n places · " and every place label (runs of equal
// neighbours once), then " · Private key missing" when a copy lacks its key.
std::string location_line(const std::vector<CertificateCopy>& copies, Translate translate = &tr);
// Whether a card's location glyph is the USB drive's: some copy lies on a removable drive.
bool on_usb_drive(const std::vector<CertificateCopy>& copies);

// One row of the detail pane: a translated label and a value (values are never translated).
struct DetailRow {
    std::string label;
    std::string value;
    bool operator==(const DetailRow&) const = default;
};
// Fifteen rows of facts (the issuer check and the issuer's revocation answer after the issuing
// authority), then one "Location" row per copy (numbered when there are several). detail_row_count
// says how many without building their texts: every mouse move hit-tests the pane.
size_t detail_row_count(const CertificateEntry& entry);
std::vector<DetailRow> detail_rows_for(const CertificateEntry& entry, int64_t now, Translate translate = &tr,
                                       std::string_view language = current_language(), bool revocation_checking = false);
// The revocation row: its place, and what it says ("Asking the issuers…" while a check runs for a
// certificate not yet answered). A click on it starts a check when the certificate was never checked.
inline constexpr size_t k_revocation_row = 5;
std::string revocation_row_text(const CertificateEntry& entry, bool revocation_checking, Translate translate = &tr);
// Whether a click on row `row` asks the issuers rather than copying the row.
bool row_starts_revocation_check(const CertificateEntry& entry, size_t row, bool revocation_checking);
// "label: value" per row, joined by line feeds, none after the last.
std::string copy_all_text(const std::vector<DetailRow>& rows);
// The pane's button that copies every row.
std::string_view copy_all_label();
// "Copied: <label>".
std::string copied_notice(std::string_view label, Translate translate = &tr);

// A line as a screen reader should say it: the " · " between its parts becomes ", ", the pause a
// reader makes there (a middle dot is read out as a word, or not at all).
std::string spoken(std::string_view line);
// A card as a screen reader names it: the holder, the issuer, the purpose, the until date, the status
// ("D-40", "Expired"), the issuer check's badge when the card shows one, and the places, in that order.
std::string card_spoken_name(const CertificateEntry& entry, int64_t now, Translate translate = &tr,
                             std::string_view language = current_language());
// A detail row as a screen reader names it: "label: value".
std::string row_spoken_name(const DetailRow& row);
