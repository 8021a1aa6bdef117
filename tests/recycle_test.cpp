// Sending folders to the Recycle Bin for real: under Wine that is the XDG trash of the test run.

#include "fileops/file_ops.h"

#include "base/files.h"
#include "base/handle.h"
#include "base/text.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

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

// What a file command checks before it acts: the folder is still the one the scan found.
TEST(ScannedFolder, OnlyTheFolderTheScanFoundCountsAsIt)
{
    TempFolder temp;
    const std::wstring kept = temp / L"kept", replaced = temp / L"replaced", gone = temp / L"gone";
    for (const std::wstring& folder : {kept, replaced, gone}) ASSERT_TRUE(make_folders(folder));
    std::vector<CertificateCopy> copies;
    for (const std::wstring& folder : {kept, replaced, gone}) {
        CertificateCopy copy;
        copy.folder = folder;
        copy.identity = file_identity(folder);
        ASSERT_TRUE(copy.identity) << utf8_from_utf16(folder);
        copies.push_back(copy);
    }
    // Another folder takes the name (made before the old one goes, so it cannot reuse its number).
    ASSERT_TRUE(MoveFileW(replaced.c_str(), (temp / L"old").c_str()));
    ASSERT_TRUE(make_folders(replaced));
    ASSERT_TRUE(RemoveDirectoryW((temp / L"old").c_str()));
    ASSERT_TRUE(RemoveDirectoryW(gone.c_str()));
    CertificateCopy unchecked;  // a file system that gave no identity: nothing to compare
    unchecked.folder = temp / L"unchecked";
    copies.push_back(unchecked);

    const struct {
        std::wstring folder;
        bool same;
    } k_cases[] = {
        {kept, true},
        {replaced, false},
        {gone, false},
        {unchecked.folder, true},
        {temp / L"not-a-copy", false},
    };
    for (const auto& c : k_cases) EXPECT_EQ(still_as_scanned(c.folder, copies), c.same) << utf8_from_utf16(c.folder);
    EXPECT_EQ(file_identity(kept), file_identity(kept));
    EXPECT_NE(file_identity(kept), file_identity(replaced));
}
