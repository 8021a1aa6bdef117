// vessop-scan.exe: one scan, printed to standard output, for administrators and scripts.
// JSON by default (UTF-8), a readable table with --text, CSV for spreadsheets with --csv. Exit status 0 after a scan, 2 for a
// command line it does not understand, 1 when the output could not be written.

#include "base/command_line.h"
#include "base/error_mode.h"
#include "base/text.h"
#include "i18n/catalogue.h"
#include "npki/inventory_csv.h"
#include "npki/inventory_json.h"
#include "npki/inventory_table.h"
#include "npki/revocation_run.h"
#include "npki/scan_options.h"
#include "npki/scanner.h"
#include "npki/search_roots.h"
#include "x509/dates.h"

#include <algorithm>
#include <exception>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <windows.h>

namespace {

constexpr int k_exit_ok = 0;
constexpr int k_exit_failed = 1;
constexpr int k_exit_usage = 2;

// Writes a text of units in pieces of at most `chunk` through `write` (which reports the units it
// took); false as soon as a write fails or takes nothing.
template <class Unit, class Write>
bool write_all(std::basic_string_view<Unit> text, size_t chunk, Write write)
{
    for (size_t at = 0; at < text.size();) {
        DWORD written = 0;
        const DWORD piece = static_cast<DWORD>(std::min(text.size() - at, chunk));
        if (!write(text.data() + at, piece, &written) || written == 0) return false;
        at += written;
    }
    return true;
}

// A console gets UTF-16 through WriteConsoleW, so the console code page cannot garble Hangul; a
// file or a pipe gets the UTF-8 bytes unchanged.
bool write_text(DWORD which, std::string_view utf8)
{
    const HANDLE out = GetStdHandle(which);
    if (out == nullptr || out == INVALID_HANDLE_VALUE) return false;
    DWORD mode = 0;
    if (GetConsoleMode(out, &mode)) {
        // A console shows characters, not bytes: the CSV's byte-order mark has no place there.
        if (utf8.starts_with(k_utf8_bom)) utf8.remove_prefix(k_utf8_bom.size());
        const std::wstring text = utf16_from_utf8(utf8);
        return write_all(std::wstring_view(text), size_t{1} << 14, [&](const wchar_t* p, DWORD n, DWORD* done) {
            return WriteConsoleW(out, p, n, done, nullptr);
        });
    }
    return write_all(utf8, size_t{1} << 20,
                     [&](const char* p, DWORD n, DWORD* done) { return WriteFile(out, p, n, done, nullptr); });
}

int run()
{
    const std::optional<ScanToolOptions> options = parse_scan_tool_arguments(arguments_after_program_name());
    if (!options) {
        write_text(STD_ERROR_HANDLE, k_scan_tool_usage);
        return k_exit_usage;
    }
    if (options->help) return write_text(STD_OUTPUT_HANDLE, k_scan_tool_usage) ? k_exit_ok : k_exit_failed;

    Inventory inventory = run_scan(collect_search_roots(options->roots));
    const int64_t now = now_seconds();
    if (options->check_revocation) {
        const std::vector<RevocationOutcome> outcomes =
            check_entries(inventory.entries, built_in_issuer_check(), &fetch_from_issuer, now);
        for (size_t k = 0; k < outcomes.size(); ++k) inventory.entries[k].revocation = outcomes[k];
    }
    std::string output;
    if (options->text) output = inventory_table(inventory, now, current_language(), &tr);
    else if (options->csv) output = inventory_csv(inventory.entries, now, current_language(), &tr);
    else output = inventory_json_text(inventory_json(inventory, now, current_language(), &tr));
    return write_text(STD_OUTPUT_HANDLE, output) ? k_exit_ok : k_exit_failed;
}

}  // namespace

int main()
{
    load_libraries_from_system32_only();  // before anything loads a DLL
    fail_critical_errors_quietly();  // before anything can touch a drive
    try {
        return run();
    } catch (const std::exception&) {
        return k_exit_failed;  // out of memory while building the output
    }
}
