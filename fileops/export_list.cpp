#include "fileops/export_list.h"

#include "base/files.h"
#include "base/system_error.h"
#include "base/text.h"
#include "fileops/dialogs.h"
#include "i18n/catalogue.h"
#include "npki/inventory_csv.h"

#include <optional>

std::wstring export_file_name(LocalDate today)
{
    return L"Vessop-" + utf16_from_utf8(date_text(today)) + L".csv";
}

FileOpOutcome export_list(HWND owner, const std::vector<CertificateEntry>& entries, int64_t now)
{
    const std::optional<Path> target = pick_csv_save_path(owner, export_file_name(local_date_of(now)));
    if (!target) return {};  // cancelled
    const uint32_t error = write_file_replacing(*target, inventory_csv(entries, now, current_language(), &tr));
    if (error != 0) {
        info_box(owner, std::string(tr({"목록을 저장하지 못했습니다.", "Couldn't save the list."})) + "\n\n" +
                            system_error_text(error));
        return {};
    }
    const size_t slash = target->find_last_of(L"\\/");
    const std::wstring name = slash == Path::npos ? *target : target->substr(slash + 1);
    FileOpOutcome outcome;
    outcome.notice = fill_placeholders(tr({"저장했습니다: {0}", "Saved: {0}"}), {utf8_from_utf16(name)});
    return outcome;
}
