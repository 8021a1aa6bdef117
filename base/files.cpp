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
    FileIdentity identity;
    FILE_ID_INFO id{};
    if (GetFileInformationByHandleEx(handle.get(), FileIdInfo, &id, sizeof(id))) {
        identity.volume_serial = id.VolumeSerialNumber;
        static_assert(sizeof(id.FileId.Identifier) == 16);
        std::memcpy(identity.file_id.data(), id.FileId.Identifier, 16);
        // A file system without 128-bit IDs answers with an ID of 0, which must be ignored: it would
        // make every folder of that volume the same one.
        if (identity.file_id != std::array<uint8_t, 16>{}) return identity;
    }
    // File systems without 128-bit IDs (FAT, exFAT, older servers): the 32-bit serial and 64-bit index.
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(handle.get(), &info)) return std::nullopt;
    identity.volume_serial = info.dwVolumeSerialNumber;
    const uint64_t index = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    std::memcpy(identity.file_id.data(), &index, sizeof(index));
    return identity;
}

bool still_the_same(const Path& path, const std::optional<FileIdentity>& identity)
{
    return !identity || file_identity(path) == identity;
}

uint32_t write_file_replacing(const Path& target, std::string_view bytes)
{
    // Beside the target, so the final move stays on one volume and replaces in one step; the process
    // id keeps two programs saving to one folder apart.
    const Path temporary = target + L"." + std::to_wstring(GetCurrentProcessId()) + L".tmp";
    DWORD error = ERROR_SUCCESS;
    {
        UniqueFile file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return GetLastError();  // nothing was made
        for (size_t at = 0; at < bytes.size() && error == ERROR_SUCCESS;) {
            const DWORD piece = static_cast<DWORD>(std::min<size_t>(bytes.size() - at, size_t{1} << 20));
            DWORD written = 0;
            if (!WriteFile(file.get(), bytes.data() + at, piece, &written, nullptr)) error = GetLastError();
            else if (written == 0) error = ERROR_WRITE_FAULT;
            at += written;
        }
        if (error == ERROR_SUCCESS && !FlushFileBuffers(file.get())) error = GetLastError();
    }
    if (error == ERROR_SUCCESS &&
        !MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        error = GetLastError();
    if (error != ERROR_SUCCESS) DeleteFileW(temporary.c_str());
    return error;
}
