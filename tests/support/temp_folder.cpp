#include "tests/support/temp_folder.h"

#include "base/handle.h"

#include <atomic>
#include <string>

#include <windows.h>

namespace {

std::wstring temp_root()
{
    wchar_t buffer[MAX_PATH + 1] = {};
    DWORD n = GetTempPathW(MAX_PATH + 1, buffer);
    std::wstring root(buffer, n);
    if (!root.empty() && root.back() == L'\\') root.pop_back();
    return root;
}

}  // namespace

TempFolder::TempFolder()
{
    static std::atomic<unsigned> counter{0};
    for (;;) {
        path_ = temp_root() + L"\\vessop-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                std::to_wstring(GetTickCount64()) + L"-" + std::to_wstring(counter++);
        if (CreateDirectoryW(path_.c_str(), nullptr)) return;
        if (GetLastError() != ERROR_ALREADY_EXISTS) return;
    }
}

TempFolder::~TempFolder() { remove_tree(path_); }

std::wstring TempFolder::operator/(std::wstring_view relative) const
{
    return path_ + L"\\" + std::wstring(relative);
}

bool make_folders(const std::wstring& path)
{
    if (path.empty()) return false;
    DWORD attrs = GetFileAttributesW(path.c_str());
    if (attrs != INVALID_FILE_ATTRIBUTES) return (attrs & FILE_ATTRIBUTE_DIRECTORY) != 0;
    size_t slash = path.find_last_of(L'\\');
    if (slash != std::wstring::npos && slash > 2) make_folders(path.substr(0, slash));
    return CreateDirectoryW(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

bool write_file(const std::wstring& path, std::string_view bytes)
{
    size_t slash = path.find_last_of(L'\\');
    if (slash != std::wstring::npos) make_folders(path.substr(0, slash));
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    size_t at = 0;
    while (at < bytes.size()) {
        DWORD chunk = static_cast<DWORD>(bytes.size() - at > (1u << 30) ? (1u << 30) : bytes.size() - at);
        DWORD written = 0;
        if (!WriteFile(file.get(), bytes.data() + at, chunk, &written, nullptr) || written == 0) return false;
        at += written;
    }
    return true;
}

void remove_tree(const std::wstring& path)
{
    DWORD attrs = GetFileAttributesW(path.c_str());
    if (attrs == INVALID_FILE_ATTRIBUTES) return;
    if (!(attrs & FILE_ATTRIBUTE_DIRECTORY)) {
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(path.c_str());
        return;
    }
    if (!(attrs & FILE_ATTRIBUTE_REPARSE_POINT)) {
        WIN32_FIND_DATAW data;
        UniqueFind find(FindFirstFileW((path + L"\\*").c_str(), &data));
        if (find) {
            do {
                std::wstring name = data.cFileName;
                if (name == L"." || name == L"..") continue;
                remove_tree(path + L"\\" + name);
            } while (FindNextFileW(find.get(), &data));
        }
    }
    RemoveDirectoryW(path.c_str());
}
