// The certificate-folder copy on the real file system: what lands where, and that every failure,
// wherever it strikes, leaves the destination exactly as it was.

#include "fileops/folder_copy.h"

#include "base/handle.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include <windows.h>

namespace {

std::string read_file(const std::wstring& path)
{
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return "<unreadable>";
    std::string bytes;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got) bytes.append(buffer, got);
    return bytes;
}

// Everything below a folder: relative path -> "dir", or the file's bytes and its read-only flag.
using Snapshot = std::map<std::wstring, std::string>;

void snapshot_into(const std::wstring& root, const std::wstring& relative, Snapshot& snapshot)
{
    WIN32_FIND_DATAW data;
    UniqueFind find(FindFirstFileW((root + relative + L"\\*").c_str(), &data));
    if (!find) return;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        const std::wstring child = relative + L"\\" + name;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            snapshot[child] = "dir";
            snapshot_into(root, child, snapshot);
        } else {
            snapshot[child] = read_file(root + child) +
                              ((data.dwFileAttributes & FILE_ATTRIBUTE_READONLY) ? " [read-only]" : "");
        }
    } while (FindNextFileW(find.get(), &data));
}

Snapshot snapshot(const std::wstring& root)
{
    Snapshot result;
    const DWORD attributes = GetFileAttributesW(root.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return result;
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        result[L""] = "file: " + read_file(root);
        return result;
    }
    snapshot_into(root, L"", result);
    return result;
}

const char* const k_names[] = {"signCert.der", "signPri.key", "kmCert.der"};

std::wstring wide(const char* text) { return std::wstring(text, text + std::char_traits<char>::length(text)); }

// A certificate folder with the three files, each holding `tag` and its name.
std::wstring write_certificate(const std::wstring& folder, const std::string& tag)
{
    for (const char* name : k_names) EXPECT_TRUE(write_file(folder + L"\\" + wide(name), tag + " " + name));
    return folder;
}

// A certificate folder on the "PC" and an empty "USB drive" to copy it to.
struct Scene {
    TempFolder temp;
    std::wstring source = write_certificate(temp / L"pc\\NPKI\\yessign\\USER\\cn=hong", "new");
    std::wstring usb = temp / L"usb";
    std::wstring destination = usb + L"\\NPKI\\yessign\\USER\\cn=hong";

    Scene() { EXPECT_TRUE(make_folders(usb)); }
};

}  // namespace

TEST(FolderCopy, CreatesTheLayoutWithFilesOnly)
{
    Scene t;
    ASSERT_TRUE(write_file(t.source + L"\\sub\\inner.txt", "not copied"));
    ASSERT_TRUE(SetFileAttributesW((t.source + L"\\signPri.key").c_str(), FILE_ATTRIBUTE_READONLY));

    ASSERT_EQ(copy_certificate_folder(t.source, t.destination), ERROR_SUCCESS);
    const Snapshot expected = {
        {L"\\NPKI", "dir"},
        {L"\\NPKI\\yessign", "dir"},
        {L"\\NPKI\\yessign\\USER", "dir"},
        {L"\\NPKI\\yessign\\USER\\cn=hong", "dir"},
        {L"\\NPKI\\yessign\\USER\\cn=hong\\kmCert.der", "new kmCert.der"},
        {L"\\NPKI\\yessign\\USER\\cn=hong\\signCert.der", "new signCert.der"},
        {L"\\NPKI\\yessign\\USER\\cn=hong\\signPri.key", "new signPri.key [read-only]"},
    };
    EXPECT_EQ(snapshot(t.usb), expected);  // no sub-folder, no staging folder left beside it
    SetFileAttributesW((t.source + L"\\signPri.key").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(FolderCopy, ReplacesSameNamedFilesAndKeepsTheRest)
{
    Scene t;
    write_certificate(t.destination, "old");
    ASSERT_TRUE(DeleteFileW((t.destination + L"\\kmCert.der").c_str()));
    ASSERT_TRUE(write_file(t.destination + L"\\extra.txt", "stays"));
    ASSERT_TRUE(write_file(t.destination + L"\\keep\\x", "stays too"));
    // A read-only file of the same name is replaced as well: the user said "overwrite".
    ASSERT_TRUE(SetFileAttributesW((t.destination + L"\\signPri.key").c_str(), FILE_ATTRIBUTE_READONLY));

    ASSERT_EQ(copy_certificate_folder(t.source, t.destination), ERROR_SUCCESS);
    const Snapshot expected = {
        {L"\\extra.txt", "stays"},
        {L"\\keep", "dir"},
        {L"\\keep\\x", "stays too"},
        {L"\\kmCert.der", "new kmCert.der"},
        {L"\\signCert.der", "new signCert.der"},
        {L"\\signPri.key", "new signPri.key"},
    };
    EXPECT_EQ(snapshot(t.destination), expected);
    EXPECT_EQ(snapshot(t.usb + L"\\NPKI\\yessign\\USER").size(), expected.size() + 1);  // cn=hong alone
}

TEST(FolderCopy, OntoItsOwnFolderKeepsEveryFile)
{
    Scene t;
    const Snapshot before = snapshot(t.source);
    ASSERT_EQ(copy_certificate_folder(t.source, t.source), ERROR_SUCCESS);
    EXPECT_EQ(snapshot(t.source), before);
    EXPECT_EQ(snapshot(t.temp / L"pc\\NPKI\\yessign\\USER").size(), before.size() + 1);
}

// Each way a copy can fail, from the first step to the last rename: the copy reports the system's
// error and leaves the destination side as it found it.
TEST(FolderCopy, EveryFailureLeavesTheDestinationAsItWas)
{
    struct Case {
        const char* what;
        std::function<void(Scene&)> arrange;
        DWORD expected;  // 0: any error
    };
    std::vector<Case> cases = {
        {"source gone (drive removed)", [](Scene& t) { remove_tree(t.source); }, ERROR_PATH_NOT_FOUND},
        {"a file where a folder must be created",
         [](Scene& t) { ASSERT_TRUE(write_file(t.usb + L"\\NPKI", "a file named NPKI")); }, 0},
        {"a file where the certificate folder must be",
         [](Scene& t) { ASSERT_TRUE(write_file(t.destination, "a file, not a folder")); }, ERROR_ALREADY_EXISTS},
    };
    for (const char* name : k_names) {
        // A folder in the way of one file, the others present with old bytes: wherever that file comes
        // in the listing, some renames before it must be undone.
        cases.push_back({"a folder in the way", [name](Scene& t) {
                             write_certificate(t.destination, "old");
                             const std::wstring blocked = t.destination + L"\\" + wide(name);
                             ASSERT_TRUE(DeleteFileW(blocked.c_str()));
                             ASSERT_TRUE(write_file(blocked + L"\\inside", "in the folder"));
                             ASSERT_TRUE(write_file(t.destination + L"\\extra.txt", "extra"));
                         }, 0});
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Scene t;
        c.arrange(t);
        const Snapshot before = snapshot(t.usb);
        const uint32_t error = copy_certificate_folder(t.source, t.destination);
        EXPECT_NE(error, ERROR_SUCCESS);
        if (c.expected) {
            EXPECT_EQ(error, c.expected);
        }
        EXPECT_EQ(snapshot(t.usb), before);
    }
}

// Files held open by another program: the source cannot be read, or a destination file cannot be
// moved aside. Each file in turn, so that the failure also falls after other files moved in.
TEST(FolderCopy, FilesHeldOpenFailWithSharingViolationAndChangeNothing)
{
    for (const bool in_source : {true, false}) {
        for (const char* name : k_names) {
            SCOPED_TRACE(std::string(in_source ? "source " : "destination ") + name);
            Scene t;
            if (!in_source) write_certificate(t.destination, "old");
            const Snapshot before = snapshot(t.usb);
            const std::wstring held = (in_source ? t.source : t.destination) + L"\\" + wide(name);
            UniqueFile open(CreateFileW(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
            ASSERT_TRUE(open);
            EXPECT_EQ(copy_certificate_folder(t.source, t.destination), ERROR_SHARING_VIOLATION);
            open.reset();
            EXPECT_EQ(snapshot(t.usb), before);  // with a new destination: no NPKI folder left behind
        }
    }
}

TEST(CopiedEntry, FilesButNotFoldersOrLinks)
{
    constexpr uint32_t k_symlink = 0xA000000C;   // IO_REPARSE_TAG_SYMLINK: a name surrogate
    constexpr uint32_t k_cloud = 0x9000001A;     // a cloud placeholder: an ordinary file to read
    EXPECT_TRUE(is_copied_entry(FILE_ATTRIBUTE_ARCHIVE, 0));
    EXPECT_TRUE(is_copied_entry(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN, 0));
    EXPECT_TRUE(is_copied_entry(FILE_ATTRIBUTE_REPARSE_POINT, k_cloud));
    EXPECT_FALSE(is_copied_entry(FILE_ATTRIBUTE_REPARSE_POINT, k_symlink));
    EXPECT_FALSE(is_copied_entry(FILE_ATTRIBUTE_DIRECTORY, 0));
}
