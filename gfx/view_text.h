#pragma once

// The texts of the main view's header area, built apart from drawing so that every language and count
// can be checked without a window. Product callers leave the translation at the catalogue's `tr`.

#include "npki/inventory.h"
#include "x509/dates.h"
#include "x509/translate.h"

#include <cstddef>
#include <cstdint>
#include <string>

// "Looking for certificates" and one to three dots for the seconds since the scan started.
std::string scanning_text(double seconds_since_start, Translate translate = &tr);
// "Certificates: 3", or "No certificates found" for none.
std::string summary_headline(size_t entry_count, Translate translate = &tr);
// The folder count, then " · 2 expiring soon" and " · 1 expired" when there are any.
std::string summary_second_line(uint64_t folders_checked, const ExpirySummary& summary, Translate translate = &tr);
// The toolbar's "Clean up expired (n)".
std::string clean_up_label(size_t expired, Translate translate = &tr);
