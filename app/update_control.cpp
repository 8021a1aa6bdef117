#include "app/update_control.h"

#include "app/messages.h"
#include "app/shell.h"
#include "app/updater/download.h"
#include "app/updater/update_check.h"
#include "base/text.h"
#include "base/version.h"
#include "i18n/catalogue.h"

#include <optional>
#include <string>
#include <utility>
#include <variant>

// Only the window thread talks to the user: the check and download threads hand their outcomes over
// through their slots, and these handlers turn them into notices, the offer and the installer start.

namespace {

// One download at a time. Two offers can both be accepted (an automatic check and one the user asked
// for); a second download would write the same installer file while the first one checks it. Set when
// a download thread starts and cleared when its outcome arrives. Window thread only.
bool g_download_running = false;

std::string up_to_date_text()
{
    std::string text(tr({"최신 버전입니다", "You're up to date"}));
    text += " (";
    text += k_version;
    text += ')';
    return text;
}

std::string offer_text(const UpdateInfo& info)
{
    std::string text(tr({"새 버전이 있습니다:", "A new version is available:"}));
    text += ' ';
    text += info.version;
    text += "\n(";
    text += tr({"지금", "current"});
    text += ' ';
    text += k_version;
    text += ")\n\n";
    text += tr({"지금 업데이트할까요?", "Update now?"});
    return text;
}

void offer(HWND hwnd, UpdateInfo info)
{
    // No state is held here: the message box runs its own message loop.
    const std::wstring text = utf16_from_utf8(offer_text(info));
    if (MessageBoxW(hwnd, text.c_str(), L"Vessop", MB_YESNO | MB_ICONINFORMATION) != IDYES) return;  // comes back next check
    show_notice(std::string(tr({"업데이트 받는 중…", "Downloading update…"})));
    if (g_download_running) return;  // the running download installs the update
    g_download_running = start_download_thread(std::move(info), hwnd, WM_APP_UPDATE_READY);
}

}  // namespace

void request_update_check(HWND hwnd, bool user_initiated)
{
    if (user_initiated) show_notice(std::string(tr({"업데이트 확인 중…", "Checking for updates…"})));
    start_update_check_thread(hwnd, user_initiated, WM_APP_UPDATE_CHECKED);  // no thread: no check
}

void on_update_checked(HWND hwnd)
{
    std::optional<PendingUpdateCheck> pending = pending_update_check().take();
    if (!pending) return;
    if (std::holds_alternative<UpToDate>(pending->outcome)) {
        if (pending->user_initiated) show_notice(up_to_date_text());
    } else if (CheckFailed* failed = std::get_if<CheckFailed>(&pending->outcome)) {
        if (pending->user_initiated) show_notice(std::move(failed->text));
    } else if (UpdateAvailable* available = std::get_if<UpdateAvailable>(&pending->outcome)) {
        offer(hwnd, std::move(available->info));  // automatic checks ask too
    }
}

void on_installer_ready(HWND hwnd)
{
    std::optional<DownloadOutcome> outcome = pending_installer().take();
    if (!outcome) return;
    g_download_running = false;
    if (DownloadFailed* failed = std::get_if<DownloadFailed>(&*outcome)) {
        show_notice(std::move(failed->text));
        return;
    }
    // Started while its file is still held; when it cannot start nothing is shown and the program
    // goes on. A path that leads elsewhere by now is told as a failed signature check.
    switch (start_installer(std::move(std::get<VerifiedInstaller>(*outcome)))) {
    case InstallerStart::Started: break;
    case InstallerStart::NotStarted: return;
    case InstallerStart::Redirected: show_notice(signature_failure_text()); return;
    }
    // Not WM_CLOSE: the placement is not saved when the program closes itself for an update.
    DestroyWindow(hwnd);
}
