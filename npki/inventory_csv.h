#pragma once

// The inventory as a CSV table that Excel, LibreOffice and Google Sheets open correctly in Korea:
// UTF-8 with a byte-order mark (without it Excel reads the bytes in the ANSI code page), CR LF line
// ends and RFC 4180 quoting. One row per certificate in list order, headed by the column names in
// the program's language; the places of a certificate share one cell, one per line.
//
// A cell whose first character other than a space is "=", "+", "-" or "@" (or their full-width forms
// "＝", "＋", "－", "＠"), or that begins with a tab, a carriage return or a line feed, is prefixed with "'":
// a spreadsheet would otherwise run it as a formula, and a certificate's name comes from whoever made
// the certificate or the folder on a USB stick. A plain integer ("-3" days left) stays a number.

#include "npki/inventory.h"
#include "x509/translate.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

inline constexpr std::string_view k_utf8_bom = "\xEF\xBB\xBF";

// One cell as it is written: guarded against formulas, then quoted when it holds a comma, a quote,
// a line feed or a carriage return (inner quotes doubled).
std::string csv_cell(std::string_view text);

// One row: the cells joined by commas, ended by CR LF.
std::string csv_row(const std::vector<std::string>& cells);

// The whole table, byte-order mark first.
std::string inventory_csv(const std::vector<CertificateEntry>& entries, int64_t now, std::string_view language,
                          Translate translate);
