#include "app/updater/download.h"

#include "app/updater/held_file.h"
#include "app/updater/platform.h"
#include "app/updater/signature.h"
#include "app/updater/transfer.h"
#include "base/sha256.h"
#include "base/system_error.h"
#include "i18n/catalogue.h"
#include "x509/certificate.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace {

// The file is let go before it is deleted: the held handle denies deletion to everyone, us included.
DownloadFailed reject(UniqueFile& file, const Path& path, std::string text)
{
    file.reset();
    DeleteFileW(path.c_str());  // a failure to delete is ignored
    return DownloadFailed{std::move(text)};
}

}  // namespace

Slot<DownloadOutcome>& pending_installer()
{
    static Slot<DownloadOutcome> slot;
    return slot;
}

std::string signature_failure_text()
{
    return std::string(tr({"설치 파일의 디지털 서명을 확인할 수 없습니다",
                           "The installer's digital signature could not be verified"}));
}

DownloadOutcome download_and_verify(const UpdateInfo& info)
{
    const std::optional<Path> folder = work_folder();
    if (!folder) return DownloadFailed{system_error_text(ERROR_PATH_NOT_FOUND)};
    // A work folder that is a link is somebody else's: nothing is written through it, nothing deleted.
    std::optional<UniqueFile> held_folder = hold_plain_folder(*folder);
    if (!held_folder) return DownloadFailed{signature_failure_text()};
    const Path path = join_path(*folder, installer_file_name(info.version));
    // Likewise a link planted under the installer's name: curl would write wherever it points.
    if (names_reparse_point(path)) return DownloadFailed{signature_failure_text()};
    if (std::optional<std::string> error = run_curl(info.url, path, info.size)) return DownloadFailed{std::move(*error)};

    // Readers (the loader among them) may share it; writers, renamers and deleters may not.
    DWORD open_error = 0;
    std::optional<UniqueFile> held_file = hold_plain_file(path, open_error);
    if (!held_file) {
        if (open_error == ERROR_REPARSE_TAG_INVALID) return DownloadFailed{signature_failure_text()};  // not ours
        return DownloadFailed{system_error_text(open_error)};
    }
    UniqueFile file = std::move(*held_file);
    {
        DWORD error = 0;
        const std::optional<std::vector<uint8_t>> bytes = read_whole_file(file.get(), error);
        if (!bytes) return DownloadFailed{system_error_text(error)};
        if (bytes->size() != info.size)
            return reject(file, path, std::string(tr({"받은 파일 크기가 다릅니다", "Downloaded size mismatch"})));
        const std::optional<std::array<uint8_t, 32>> digest = sha256(*bytes);
        if (!digest || to_hex_lower(*digest) != info.sha256) {
            return reject(file, path,
                          std::string(tr({"받은 파일이 손상되었습니다 (해시 불일치)",
                                          "Downloaded file is corrupt (hash mismatch)"})));
        }
    }  // the in-memory copy goes; the file stays held
    // The signature is checked on the held file; the installer is started by its path, which must
    // therefore still lead to it. If it does not, the file it leads to is not ours to delete.
    if (!path_names_held_file(path, file.get())) return DownloadFailed{signature_failure_text()};
    if (!signed_by_maker(path, file.get())) return reject(file, path, signature_failure_text());
    return VerifiedInstaller{path, std::move(file), std::move(*held_folder)};
}

bool start_download_thread(UpdateInfo info, HWND hwnd, UINT message)
{
    return start_detached_thread([info = std::move(info), hwnd, message] {
        DownloadOutcome outcome = DownloadFailed{};
        try {
            outcome = download_and_verify(info);
        } catch (...) {
            outcome = DownloadFailed{system_error_text(ERROR_NOT_ENOUGH_MEMORY)};  // only allocation can throw
        }
        pending_installer().put(std::move(outcome));
        post_result(hwnd, message);
    });
}

InstallerStart start_installer(VerifiedInstaller installer)
{
    // CreateProcessW opens the installer by name again: that name must still lead to the held file.
    if (!path_names_held_file(installer.path, installer.file.get())) return InstallerStart::Redirected;
    std::wstring line = installer_command_line(installer.path);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started{};
    const BOOL ok = CreateProcessW(installer.path.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                   &startup, &started);
    if (!ok) return InstallerStart::NotStarted;  // `installer` closes the file as it goes
    const UniqueKernelHandle thread(started.hThread);    // not waited for: closed at once
    const UniqueKernelHandle process(started.hProcess);
    return InstallerStart::Started;
}
