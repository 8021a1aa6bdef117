#include "app/updater/held_file.h"

#include "base/files.h"

namespace {

std::optional<BY_HANDLE_FILE_INFORMATION> information_of(HANDLE handle)
{
    BY_HANDLE_FILE_INFORMATION information{};
    if (!GetFileInformationByHandle(handle, &information)) return std::nullopt;
    return information;
}

}  // namespace

bool names_reparse_point(const Path& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

std::optional<UniqueFile> hold_plain_folder(const Path& folder)
{
    // FILE_FLAG_OPEN_REPARSE_POINT opens a junction or link itself, not where it points, so that it
    // shows as what it is.
    UniqueFile held(CreateFileW(folder.c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!held) return std::nullopt;
    const std::optional<BY_HANDLE_FILE_INFORMATION> information = information_of(held.get());
    if (!information) return std::nullopt;
    const DWORD attributes = information->dwFileAttributes;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
        return std::nullopt;
    // Asked of the name too, now that it can no longer change: some file systems report the
    // target's attributes through such a handle.
    if (names_reparse_point(folder)) return std::nullopt;
    return held;
}

std::optional<UniqueFile> hold_plain_file(const Path& path, DWORD& error)
{
    UniqueFile held(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!held) {
        error = GetLastError();
        return std::nullopt;
    }
    const std::optional<BY_HANDLE_FILE_INFORMATION> information = information_of(held.get());
    if (!information) {
        error = GetLastError();
        return std::nullopt;
    }
    if ((information->dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) != 0 ||
        names_reparse_point(path)) {
        error = ERROR_REPARSE_TAG_INVALID;
        return std::nullopt;
    }
    return held;
}

bool path_names_held_file(const Path& path, HANDLE held)
{
    // 128-bit IDs where the volume has them: on ReFS (a Dev Drive %TEMP%) a 64-bit index is not unique.
    const std::optional<FileIdentity> expected = file_identity_of(held);
    if (!expected) return false;
    // Opened as CreateProcessW will open it: following whatever the name leads to.
    const UniqueFile now(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!now) return false;
    return file_identity_of(now.get()) == expected;
}
