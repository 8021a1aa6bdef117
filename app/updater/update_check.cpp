#include "app/updater/update_check.h"

#include "app/updater/held_file.h"
#include "app/updater/platform.h"
#include "app/updater/transfer.h"
#include "base/handle.h"
#include "base/system_error.h"
#include "base/version.h"
#include "i18n/catalogue.h"

#include <string>
#include <utility>

namespace {

bool is_utf8(std::string_view text)
{
    size_t i = 0;
    while (i < text.size()) {
        const auto byte = static_cast<unsigned char>(text[i]);
        size_t length = 0;
        char32_t code = 0;
        if (byte < 0x80) {
            ++i;
            continue;
        }
        if (byte >= 0xC2 && byte <= 0xDF) {
            length = 2;
            code = byte & 0x1F;
        } else if (byte >= 0xE0 && byte <= 0xEF) {
            length = 3;
            code = byte & 0x0F;
        } else if (byte >= 0xF0 && byte <= 0xF4) {
            length = 4;
            code = byte & 0x07;
        } else {
            return false;
        }
        if (text.size() - i < length) return false;
        for (size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            code = (code << 6) | (next & 0x3F);
        }
        const bool overlong = (length == 3 && code < 0x800) || (length == 4 && code < 0x10000);
        if (overlong || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
        i += length;
    }
    return true;
}

// The manifest as text, or the error to show.
std::variant<std::string, CheckFailed> read_manifest(const Path& path)
{
    const UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return CheckFailed{system_error_text(GetLastError())};
    // curl stops at the limit only when the server announces the length (or, from 8.4 on, while it
    // writes): a longer file is refused here before it is read into memory.
    LARGE_INTEGER length{};
    if (!GetFileSizeEx(file.get(), &length)) return CheckFailed{system_error_text(GetLastError())};
    if (static_cast<uint64_t>(length.QuadPart) > k_manifest_max_bytes) return CheckFailed{std::string(k_manifest_failure)};
    DWORD error = 0;
    const std::optional<std::vector<uint8_t>> bytes = read_whole_file(file.get(), error);
    if (!bytes) return CheckFailed{system_error_text(error)};
    std::string text(bytes->begin(), bytes->end());
    if (!is_utf8(text)) return CheckFailed{system_error_text(ERROR_NO_UNICODE_TRANSLATION)};
    return text;
}

}  // namespace

Slot<PendingUpdateCheck>& pending_update_check()
{
    static Slot<PendingUpdateCheck> slot;
    return slot;
}

UpdateCheckOutcome run_update_check()
{
    const std::optional<Path> folder = work_folder();
    if (!folder) return CheckFailed{system_error_text(ERROR_PATH_NOT_FOUND)};
    // Held for the check, as for a download: a link in its place would have curl write elsewhere.
    const std::optional<UniqueFile> held_folder = hold_plain_folder(*folder);
    if (!held_folder) return CheckFailed{system_error_text(ERROR_REPARSE_TAG_INVALID)};
    const Path manifest_path = join_path(*folder, k_manifest_file_name);
    if (names_reparse_point(manifest_path)) return CheckFailed{system_error_text(ERROR_REPARSE_TAG_INVALID)};
    const std::string url = update_request_url(VESSOP_MAKER_HOST, k_version, current_language());
    if (std::optional<std::string> error = run_curl(url, manifest_path, k_manifest_max_bytes)) return CheckFailed{std::move(*error)};
    std::variant<std::string, CheckFailed> text = read_manifest(manifest_path);
    if (CheckFailed* failed = std::get_if<CheckFailed>(&text)) return std::move(*failed);
    DeleteFileW(manifest_path.c_str());  // read: the copy is of no further use; a failure is ignored
    return check_outcome(std::get<std::string>(text), k_version);
}

bool start_update_check_thread(HWND hwnd, bool user_initiated, UINT message)
{
    return start_detached_thread([hwnd, user_initiated, message] {
        PendingUpdateCheck pending{CheckFailed{}, user_initiated};
        try {
            pending.outcome = run_update_check();
        } catch (...) {
            pending.outcome = CheckFailed{system_error_text(ERROR_NOT_ENOUGH_MEMORY)};  // only allocation can throw
        }
        pending_update_check().put(std::move(pending));
        post_result(hwnd, message);
    });
}
