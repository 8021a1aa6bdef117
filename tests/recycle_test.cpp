// Sending folders to the Recycle Bin for real: under Wine that is the XDG trash of the test run.

#include "fileops/file_ops.h"

#include "base/handle.h"
#include "base/text.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <string>

#include <windows.h>

namespace {

std::string read_file(const std::wstring& path)
{
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file) return "<unreadable>";
    char buffer[256];
    DWORD got = 0;
    if (!ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr)) return "<unreadable>";
    return std::string(buffer, got);
}

// Wine's Recycle Bin: $XDG_DATA_HOME/Trash, reached through the Z: drive. Empty elsewhere.
std::wstring trash_files()
{
    wchar_t buffer[1024];
    const DWORD n = GetEnvironmentVariableW(L"XDG_DATA_HOME", buffer, 1024);
    if (n == 0 || n >= 1024 || buffer[0] != L'/') return {};
    std::wstring path = L"Z:" + std::wstring(buffer, n) + L"/Trash/files";
    for (wchar_t& c : path)
        if (c == L'/') c = L'\\';
    return path;
}

std::wstring last_name(const std::wstring& path) { return path.substr(path.find_last_of(L'\\') + 1); }

void empty_from_trash(const std::wstring& trash, const std::wstring& name)
{
    remove_tree(trash + L"\\" + name);
    DeleteFileW((trash + L"\\..\\info\\" + name + L".trashinfo").c_str());
}

bool exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

TEST(RecycleFolder, FolderLandsInTheRecycleBinWhole)
{
    const std::wstring trash = trash_files();
    if (trash.empty()) GTEST_SKIP() << "no XDG_DATA_HOME: not running under Wine's test environment";
    TempFolder temp;  // uniquely named: it is the folder recycled, so runs never meet in the bin
    ASSERT_TRUE(write_file(temp / L"cn=recycled\\signCert.der", "certificate bytes"));
    ASSERT_TRUE(write_file(temp / L"cn=recycled\\signPri.key", "key bytes"));
    const std::wstring name = last_name(temp.path());

    ASSERT_TRUE(recycle_folder(nullptr, temp.path()));
    EXPECT_FALSE(exists(temp.path()));
    EXPECT_EQ(read_file(trash + L"\\" + name + L"\\cn=recycled\\signCert.der"), "certificate bytes");
    EXPECT_EQ(read_file(trash + L"\\" + name + L"\\cn=recycled\\signPri.key"), "key bytes");
    empty_from_trash(trash, name);
}

TEST(RecycleFolder, RefusesWhatIsNoSingleFolderAndReportsFailures)
{
    TempFolder temp;
    ASSERT_TRUE(write_file(temp / L"a\\f", "a"));
    ASSERT_TRUE(write_file(temp / L"b\\f", "b"));
    const struct {
        const char* what;
        std::wstring path;
    } k_cases[] = {
        {"empty", L""},
        {"a wildcard would take every folder", temp / L"*"},
        {"a question mark as well", temp / L"?"},
        {"a NUL would make a list of two", temp / L"a" + std::wstring(1, L'\0') + temp / L"b"},
        {"a folder that is not there", temp / L"missing"},
    };
    for (const auto& c : k_cases) EXPECT_FALSE(recycle_folder(nullptr, c.path)) << c.what;
    EXPECT_TRUE(exists(temp / L"a\\f"));
    EXPECT_TRUE(exists(temp / L"b\\f"));
}

TEST(RecycleFolder, CountsOnlyWhatMoved)
{
    const std::wstring trash = trash_files();
    if (trash.empty()) GTEST_SKIP() << "no XDG_DATA_HOME: not running under Wine's test environment";
    TempFolder temp;
    const std::wstring name = L"count-" + last_name(temp.path());
    ASSERT_TRUE(write_file(temp / (name + L"\\f"), "x"));
    EXPECT_EQ(recycle_folders(nullptr, {temp / L"missing", temp / name, temp / name}), 1u);
    empty_from_trash(trash, name);
}
