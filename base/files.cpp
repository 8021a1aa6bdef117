#include "base/files.h"

#include "base/handle.h"

#include <algorithm>
#include <cstring>
#include <string>

#include <windows.h>

bool is_file(const Path& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool is_folder(const Path& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::optional<FileIdentity> file_identity(const Path& path)
{
    // Attributes only, shared in every way (the folder may be in use), folders too (backup
    // semantics), and the link itself (a junction planted meanwhile is not followed).
    UniqueFile handle(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                                  nullptr));
    if (!handle) return std::nullopt;
    return file_identity_of(handle.get());
}

std::optional<FileIdentity> file_identity_of(HANDLE handle)
{
    FileIdentity identity;
    FILE_ID_INFO id{};
    if (GetFileInformationByHandleEx(handle, FileIdInfo, &id, sizeof(id))) {
        identity.volume_serial = id.VolumeSerialNumber;
        static_assert(sizeof(id.FileId.Identifier) == 16);
        std::memcpy(identity.file_id.data(), id.FileId.Identifier, 16);
        // A file system without 128-bit IDs answers with an ID of 0, which must be ignored: it would
        // make every folder of that volume the same one.
        if (identity.file_id != std::array<uint8_t, 16>{}) return identity;
    }
    // File systems without 128-bit IDs (FAT, exFAT, older servers): the 32-bit serial and 64-bit index.
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(handle, &info)) return std::nullopt;
    identity.volume_serial = info.dwVolumeSerialNumber;
    const uint64_t index = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    std::memcpy(identity.file_id.data(), &index, sizeof(index));
    return identity;
}

bool still_the_same(const Path& path, const std::optional<FileIdentity>& identity)
{
    return !identity || file_identity(path) == identity;
}

std::wstring temporary_name(size_t attempt)
{
    constexpr wchar_t k_digits[] = L"0123456789abcdefghijklmnopqrstuvwxyz";
    std::wstring digits;
    do {
        digits.insert(digits.begin(), k_digits[attempt % 36]);
        attempt /= 36;
    } while (attempt > 0);
    return L"~" + digits;
}

uint32_t write_file_replacing(const Path& target, std::string_view bytes)
{
    // Beside the target, so the final move stays on one volume and replaces in one step. Made new
    // (CREATE_NEW): a name another program, or an earlier run, is using is passed over.
    constexpr size_t k_attempts = 36 * 36;
    const size_t slash = target.find_last_of(L"\\/");
    const std::wstring_view folder = slash == Path::npos ? std::wstring_view() : std::wstring_view(target).substr(0, slash + 1);
    Path temporary;
    UniqueFile file;
    for (size_t attempt = 0; attempt < k_attempts && !file; ++attempt) {
        temporary = Path(folder) + temporary_name(attempt);
        file.reset(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file && GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS)
            return GetLastError();  // nothing was made
    }
    if (!file) return ERROR_FILE_EXISTS;
    DWORD error = ERROR_SUCCESS;
    for (size_t at = 0; at < bytes.size() && error == ERROR_SUCCESS;) {
        const DWORD piece = static_cast<DWORD>(std::min<size_t>(bytes.size() - at, size_t{1} << 20));
        DWORD written = 0;
        if (!WriteFile(file.get(), bytes.data() + at, piece, &written, nullptr)) error = GetLastError();
        else if (written == 0) error = ERROR_WRITE_FAULT;
        at += written;
    }
    if (error == ERROR_SUCCESS && !FlushFileBuffers(file.get())) error = GetLastError();
    file.reset();  // closed before the move: nobody else may have it open
    if (error == ERROR_SUCCESS &&
        !MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        error = GetLastError();
    if (error != ERROR_SUCCESS) DeleteFileW(temporary.c_str());
    return error;
}
