#include "app/settings_menu.h"

#include "app/reminder_task.h"
#include "app/revocation_control.h"
#include "app/scan_control.h"
#include "app/settings.h"
#include "app/shell.h"
#include "app/startup_logic.h"
#include "app/update_control.h"
#include "base/handle.h"
#include "base/settings_store.h"
#include "base/text.h"
#include "base/version.h"
#include "fileops/export_list.h"
#include "fileops/file_ops.h"
#include "gfx/menu_items.h"
#include "i18n/language.h"
#include "npki/search_roots.h"
#include "x509/dates.h"

#include <iterator>
#include <vector>

#include <shellapi.h>

namespace {

constexpr size_t k_language_count = std::size(k_languages);
// The maker's page for this program, the same in every language.
constexpr char k_program_page[] = "https://" VESSOP_MAKER_HOST "/Vessop/";
constexpr char k_legal_notice[] = "\xC2\xA9 2026 Tamsel Works Co., Ltd. Free to use; provided as is, without warranty.";

void append(HMENU menu, UINT id, std::string_view text, bool checked = false)
{
    const std::wstring wide = utf16_from_utf8(text);
    AppendMenuW(menu, MF_STRING | (checked ? MF_CHECKED : MF_UNCHECKED), id, wide.c_str());  // a failure drops the item
}

void append_submenu(HMENU menu, UniqueMenu submenu, std::string_view text)
{
    const std::wstring wide = utf16_from_utf8(text);
    // Once appended, the submenu is destroyed with its parent.
    if (AppendMenuW(menu, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(submenu.get()), wide.c_str()))
        submenu.release();
}

UniqueMenu language_submenu(const std::optional<std::string>& stored)
{
    UniqueMenu menu(CreatePopupMenu());
    if (!menu) return menu;
    append(menu.get(), k_menu_follow_windows, tr({"Windows 언어 따라가기", "Follow Windows"}), !stored || stored->empty());
    AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    for (size_t i = 0; i < k_language_count; ++i) {
        const Language& language = k_languages[i];
        append(menu.get(), k_menu_follow_windows + 1 + static_cast<UINT>(i), language.display_name,
               stored && *stored == language.code);
    }
    return menu;
}

UniqueMenu added_folders_submenu(const std::vector<Path>& folders)
{
    UniqueMenu menu(CreatePopupMenu());
    if (!menu) return menu;
    for (size_t i = 0; i < folders.size(); ++i)
        append(menu.get(), k_menu_first_added_folder + static_cast<UINT>(i), utf8_from_utf16(literal_menu_text(folders[i])));
    return menu;
}

}  // namespace

MenuChoice menu_choice(UINT id, size_t added_folder_count)
{
    switch (id) {
    case k_menu_auto_update: return {MenuAction::ToggleAutoUpdate, {}, 0};
    case k_menu_check_for_updates: return {MenuAction::CheckForUpdates, {}, 0};
    case k_menu_more_apps: return {MenuAction::MoreApps, {}, 0};
    case k_menu_about: return {MenuAction::About, {}, 0};
    case k_menu_reminders: return {MenuAction::ToggleReminders, {}, 0};
    case k_menu_export: return {MenuAction::ExportList, {}, 0};
    case k_menu_check_revocation: return {MenuAction::CheckRevocation, {}, 0};
    case k_menu_follow_windows: return {MenuAction::SetLanguage, {}, 0};
    default: break;
    }
    if (id > k_menu_follow_windows && id <= k_menu_follow_windows + k_language_count)
        return {MenuAction::SetLanguage, k_languages[id - k_menu_follow_windows - 1].code, 0};
    if (id >= k_menu_first_added_folder && id - k_menu_first_added_folder < added_folder_count)
        return {MenuAction::RemoveAddedFolder, {}, id - k_menu_first_added_folder};
    return {};
}

std::string about_text(Translate translate)
{
    std::string text = "Vessop ";
    text += k_version;
    text += "\n\n";
    text += translate({"공동인증서(옛 공인인증서)를 한 화면에서 보고 관리하는 무료 프로그램",
                       "A free app to see and manage Korean joint certificates (NPKI) on one screen"});
    text += "\n\n";
    text += translate({"공개 인증서만 읽습니다. 개인 키 파일은 열지 않고, 비밀번호를 묻지 않습니다.",
                       "It reads only the public certificate. It never opens private key files or asks for passwords."});
    text += "\n\n";
    text += k_program_page;
    text += "\n";
    text += k_legal_notice;
    return text;
}

void run_settings_menu(HWND hwnd, float x, float y)
{
    // Read once for the marks; the added folders are kept for a removal chosen from this very menu.
    const std::optional<std::string> language = read_text_setting(k_setting_language);
    const std::vector<Path> folders = read_added_folders();

    UniqueMenu menu(CreatePopupMenu());
    if (!menu) return;
    append_submenu(menu.get(), language_submenu(language), tr({"언어", "Language"}));
    append(menu.get(), k_menu_export, tr({"목록 내보내기…", "Export list…"}));
    if (!folders.empty())
        append_submenu(menu.get(), added_folders_submenu(folders), tr({"추가한 폴더 빼기", "Remove an added folder"}));
    AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    append(menu.get(), k_menu_auto_update, tr({"자동 업데이트", "Automatic updates"}), read_auto_update());
    append(menu.get(), k_menu_reminders, tr({"만료 전에 알림 받기", "Remind me before certificates expire"}),
           read_reminders());
    append(menu.get(), k_menu_check_for_updates, tr({"업데이트 확인", "Check for updates"}));
    append(menu.get(), k_menu_more_apps, tr({"Orlentu 의 다른 프로그램", "More apps from Orlentu"}));
    append(menu.get(), k_menu_about, tr({"Vessop 정보", "About Vessop"}));
    // Added after every older item, so that each keeps its place.
    AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    append(menu.get(), k_menu_check_revocation, tr({"발급 기관에 확인", "Check with issuers"}));

    POINT point{saturating_trunc(x), saturating_trunc(y)};
    ClientToScreen(hwnd, &point);
    const UINT id = static_cast<UINT>(
        TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, point.x, point.y, 0, hwnd, nullptr));
    menu.reset();

    const MenuChoice choice = menu_choice(id, folders.size());
    switch (choice.action) {
    case MenuAction::None: break;
    case MenuAction::ToggleAutoUpdate: write_auto_update(!read_auto_update()); break;
    case MenuAction::CheckForUpdates: request_update_check(hwnd, true); break;
    case MenuAction::ToggleReminders: {
        const bool on = !read_reminders();
        write_reminders(on);
        // Off the window's thread, as at start-up: the scheduler's service can take a second to answer.
        settle_reminder_task_in_background(read_reminders);
        show_notice(std::string(on ? tr({"만료 알림을 켰습니다", "Expiry reminders on"})
                                   : tr({"만료 알림을 껐습니다", "Expiry reminders off"})));
        break;
    }
    case MenuAction::MoreApps: {
        const std::wstring page = utf16_from_utf8(tr(k_maker_page_text));
        ShellExecuteW(nullptr, L"open", page.c_str(), nullptr, nullptr, SW_SHOWNORMAL);  // a failure is not reported
        break;
    }
    case MenuAction::About: {
        const std::wstring text = utf16_from_utf8(about_text());
        const std::wstring caption = utf16_from_utf8(tr({"Vessop 정보", "About Vessop"}));
        MessageBoxW(hwnd, text.c_str(), caption.c_str(), MB_OK | MB_ICONINFORMATION);
        break;
    }
    case MenuAction::SetLanguage:
        // Also when the item was marked already; the running window keeps its language.
        write_text_setting(k_setting_language, choice.language);
        show_notice(std::string(tr({"다음에 열 때 바뀝니다", "Takes effect the next time Vessop opens"})));
        break;
    case MenuAction::ExportList: {
        std::vector<CertificateEntry> entries;
        {
            auto state = window_state_slot().take();
            if (!state || !state->whole_entries()) break;  // no list yet
            entries = *state->whole_entries();  // the whole list, whatever the search shows
        }
        apply_file_outcome(hwnd, export_list(hwnd, entries, now_seconds()));
        break;
    }
    case MenuAction::CheckRevocation: request_revocation_check(hwnd); break;
    case MenuAction::RemoveAddedFolder: apply_file_outcome(hwnd, remove_added_folder(folders, choice.folder)); break;
    }
}
