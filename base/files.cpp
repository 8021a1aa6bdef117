#include "base/files.h"

#include "base/handle.h"

#include <algorithm>
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
