#include "npki/search_roots.h"

#include "app/settings.h"
#include "base/text.h"
#include "npki/folder_watch.h"
#include "npki/scanner.h"
#include "tests/support/der_writer.h"
#include "tests/support/npki_fixture.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <windows.h>

namespace {

std::string joined(const std::vector<Path>& paths)
{
    std::string text;
    for (const Path& path : paths) text += utf8_from_utf16(path) + "|";
    return text;
}

SearchEnvironment full_environment()
{
    return {L"C:\\Users\\kim", L"C:\\Users\\kim\\AppData\\Roaming", L"C:\\Users\\kim\\AppData\\Local",
            L"C:\\Program Files", L"C:\\Program Files (x86)"};
}

const std::vector<DriveInfo> k_drives = {{L"C:\\", false}, {L"E:\\", true}};

TEST(SearchRoots, DefaultPlacesDrivesThenAddedFoldersInOrder)
{
    SearchEnvironment no_x86 = full_environment();
    no_x86.program_files_x86.reset();
    SearchEnvironment trailing = full_environment();
    trailing.user_profile = L"D:\\";
    trailing.app_data = L"D:\\roaming\\";
    struct Case {
        const char* what;
        SearchEnvironment environment;
        std::vector<DriveInfo> drives;
        std::vector<Path> added;
        std::vector<Path> expected;
    };
    const Case k_cases[] = {
        {"everything",
         full_environment(),
         k_drives,
         {L"D:\\backup", L" E:\\certs "},
         {L"C:\\Users\\kim\\AppData\\LocalLow\\NPKI", L"C:\\Users\\kim\\AppData\\Roaming\\NPKI",
          L"C:\\Users\\kim\\AppData\\Local\\NPKI", L"C:\\Program Files\\NPKI", L"C:\\Program Files (x86)\\NPKI",
          L"C:\\Users\\kim\\AppData\\Local\\VirtualStore\\Program Files\\NPKI",
          L"C:\\Users\\kim\\AppData\\Local\\VirtualStore\\Program Files (x86)\\NPKI", L"C:\\NPKI", L"E:\\NPKI",
          L"D:\\backup", L" E:\\certs "}},
        {"no ProgramFiles(x86): one place fewer",
         no_x86,
         k_drives,
         {},
         {L"C:\\Users\\kim\\AppData\\LocalLow\\NPKI", L"C:\\Users\\kim\\AppData\\Roaming\\NPKI",
          L"C:\\Users\\kim\\AppData\\Local\\NPKI", L"C:\\Program Files\\NPKI",
          L"C:\\Users\\kim\\AppData\\Local\\VirtualStore\\Program Files\\NPKI", L"C:\\NPKI", L"E:\\NPKI"}},
        {"bases ending in a backslash get no second one",
         trailing,
         {},
         {},
         {L"D:\\AppData\\LocalLow\\NPKI", L"D:\\roaming\\NPKI", L"C:\\Users\\kim\\AppData\\Local\\NPKI",
          L"C:\\Program Files\\NPKI", L"C:\\Program Files (x86)\\NPKI",
          L"C:\\Users\\kim\\AppData\\Local\\VirtualStore\\Program Files\\NPKI",
          L"C:\\Users\\kim\\AppData\\Local\\VirtualStore\\Program Files (x86)\\NPKI"}},
        {"a Program Files folder that is a drive root or not a drive path has no virtual store",
         {std::nullopt, std::nullopt, L"C:\\L", L"D:\\", L"\\\\server\\pf"},
         {},
         {},
         {L"C:\\L\\NPKI", L"D:\\NPKI", L"\\\\server\\pf\\NPKI"}},
    };
    for (const Case& c : k_cases) {
        EXPECT_EQ(joined(search_roots_from({}, c.environment, c.drives, c.added)), joined(c.expected)) << c.what;
    }
}

TEST(SearchRoots, CommandLineRootsReplaceEverythingElse)
{
    const std::vector<Path> command_line = {L"Z:\\b", L"Z:\\a", L"Z:\\b"};
    EXPECT_EQ(search_roots_from(command_line, full_environment(), k_drives, {L"D:\\backup"}), command_line);
    EXPECT_EQ(collect_search_roots(command_line), command_line);
}

TEST(SearchRoots, DrivesKeepFixedAndRemovableInLetterOrder)
{
    // GetDriveTypeW numbers: 0 unknown, 1 no root, 2 removable, 3 fixed, 4 remote, 5 CD-ROM, 6 RAM disk.
    const std::map<wchar_t, unsigned> types = {{L'A', 2}, {L'C', 3}, {L'D', 5}, {L'E', 2}, {L'F', 4},
                                               {L'G', 6}, {L'H', 0}, {L'I', 1}, {L'Z', 3}};
    uint32_t mask = 0;
    for (const auto& [letter, type] : types) mask |= uint32_t{1} << (letter - L'A');
    mask |= uint32_t{1} << 26;  // bits past Z are not drives
    std::vector<Path> asked;
    const std::vector<DriveInfo> drives = drives_from_mask(mask, [&](const Path& root) {
        asked.push_back(root);
        return types.count(root[0]) ? types.at(root[0]) : 3u;
    });
    std::string got;
    for (const DriveInfo& d : drives) got += utf8_from_utf16(d.root) + (d.removable ? "r " : "f ");
    EXPECT_EQ(got, "A:\\r C:\\f E:\\r Z:\\f ");
    EXPECT_EQ(asked.size(), types.size());
    EXPECT_TRUE(drives_from_mask(0, [](const Path&) { return 3u; }).empty());
}

// Sets environment variables for one test and puts the old values back.
class EnvironmentOverride {
public:
    void set(const wchar_t* name, const wchar_t* value)
    {
        if (!saved_.count(name)) {
            wchar_t buffer[32768];
            const DWORD n = GetEnvironmentVariableW(name, buffer, 32768);
            saved_[name] = n ? std::optional<std::wstring>(std::wstring(buffer, n)) : std::nullopt;
        }
        SetEnvironmentVariableW(name, value);
    }
    ~EnvironmentOverride()
    {
        for (const auto& [name, value] : saved_) SetEnvironmentVariableW(name.c_str(), value ? value->c_str() : nullptr);
    }

private:
    std::map<std::wstring, std::optional<std::wstring>> saved_;
};

// Sets the "Folders" setting for one test and puts the old value back.
class FoldersOverride {
public:
    explicit FoldersOverride(std::optional<std::string_view> value) : saved_(read_text_setting(k_setting_folders))
    {
        if (value) {
            write_text_setting(k_setting_folders, *value);
        } else {
            remove();
        }
    }
    ~FoldersOverride()
    {
        if (saved_) {
            write_text_setting(k_setting_folders, *saved_);
        } else {
            remove();
        }
    }

private:
    static void remove() { RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\Vessop", L"Folders"); }
    std::optional<std::string> saved_;
};

TEST(SearchRoots, EnvironmentValuesMissingOrEmptyAreAbsent)
{
    EnvironmentOverride environment;
    const std::wstring long_value = L"C:\\" + std::wstring(400, L'x');  // longer than MAX_PATH
    environment.set(L"USERPROFILE", L"C:\\Users\\lee");
    environment.set(L"APPDATA", nullptr);
    environment.set(L"LOCALAPPDATA", L"");
    environment.set(L"ProgramFiles", long_value.c_str());
    environment.set(L"ProgramFiles(x86)", L"C:\\Program Files (x86)");
    const SearchEnvironment read = read_search_environment();
    EXPECT_EQ(read.user_profile, std::optional<Path>(L"C:\\Users\\lee"));
    EXPECT_FALSE(read.app_data.has_value());
    EXPECT_FALSE(read.local_app_data.has_value());
    EXPECT_EQ(read.program_files, std::optional<Path>(long_value));
    EXPECT_EQ(read.program_files_x86, std::optional<Path>(L"C:\\Program Files (x86)"));
}

TEST(SearchRoots, AddedFoldersSplitAtLineFeedsSkippingBlankLines)
{
    struct Case {
        std::optional<std::string_view> stored;
        std::vector<Path> expected;
    };
    const Case k_cases[] = {
        {"D:\\backup\r\n\n  \nE:\\certs", {L"D:\\backup", L"E:\\certs"}},
        {"D:\\\xED\x95\x9C\xEA\xB8\x80\n\xE3\x80\x80\t\r\nF:\\x\r\n", {L"D:\\\xD55C\xAE00", L"F:\\x"}},
        {std::nullopt, {}},
    };
    for (const Case& c : k_cases) {
        FoldersOverride folders(c.stored);
        EXPECT_EQ(joined(read_added_folders()), joined(c.expected)) << (c.stored ? *c.stored : "(absent)");
    }
}

TEST(SearchRoots, CollectedRootsFollowTheMachine)
{
    EnvironmentOverride environment;
    environment.set(L"USERPROFILE", L"C:\\Users\\lee\\");
    environment.set(L"APPDATA", L"C:\\Users\\lee\\AppData\\Roaming");
    environment.set(L"LOCALAPPDATA", nullptr);
    environment.set(L"ProgramFiles", L"C:\\Program Files");
    environment.set(L"ProgramFiles(x86)", nullptr);
    FoldersOverride folders("G:\\added\nH:\\NPKI");
    std::vector<Path> expected = {L"C:\\Users\\lee\\AppData\\LocalLow\\NPKI", L"C:\\Users\\lee\\AppData\\Roaming\\NPKI",
                                  L"C:\\Program Files\\NPKI"};
    for (const DriveInfo& drive : list_drives()) expected.push_back(drive.root + L"NPKI");
    expected.push_back(L"G:\\added");
    expected.push_back(L"H:\\NPKI");
    EXPECT_EQ(joined(collect_search_roots({})), joined(expected));
}

TEST(SearchRoots, LongPathPrefixOfDriveAndSharePathsIsDropped)
{
    struct Case {
        const wchar_t* root;
        const wchar_t* plain;
    };
    const Case k_cases[] = {
        {L"\\\\?\\C:\\NPKI", L"C:\\NPKI"},
        {L"\\\\?\\d:\\", L"d:\\"},
        {L"\\\\?\\UNC\\server\\share\\NPKI", L"\\\\server\\share\\NPKI"},
        {L"\\\\?\\unc\\server\\share", L"\\\\server\\share"},
        {L"\\\\?\\C:", L"\\\\?\\C:"},  // the volume itself, not its root folder
        {L"\\\\?\\C:NPKI", L"\\\\?\\C:NPKI"},
        {L"\\\\?\\Volume{0b1c2d3e-0000-0000-0000-100000000000}\\NPKI",
         L"\\\\?\\Volume{0b1c2d3e-0000-0000-0000-100000000000}\\NPKI"},
        {L"\\\\?\\UNC\\", L"\\\\?\\UNC\\"},
        {L"\\\\?\\", L"\\\\?\\"},
        {L"\\\\.\\C:\\NPKI", L"\\\\.\\C:\\NPKI"},
        {L"C:\\NPKI", L"C:\\NPKI"},
        {L"", L""},
    };
    for (const Case& c : k_cases) EXPECT_EQ(without_long_path_prefix(c.root), c.plain) << utf8_from_utf16(c.root);
}

// Makes a folder the current one for one test and puts the old one back (before the folder goes).
class CurrentFolderOverride {
public:
    explicit CurrentFolderOverride(const std::wstring& folder)
    {
        wchar_t buffer[32768];
        const DWORD n = GetCurrentDirectoryW(32768, buffer);
        saved_.assign(buffer, n < 32768 ? n : 0);
        ok_ = SetCurrentDirectoryW(folder.c_str());
    }
    ~CurrentFolderOverride()
    {
        if (!saved_.empty()) SetCurrentDirectoryW(saved_.c_str());
    }
    bool ok() const { return ok_; }

private:
    std::wstring saved_;
    bool ok_ = false;
};

TEST(SearchRoots, EverySpellingOfOneFolderIsOnePlace)
{
    TempFolder temp;
    const std::wstring certificate_folder =
        add_certificate(temp.path(), L"yessign", L"cert", make_certificate_der(TestCertificate{}));
    ASSERT_FALSE(certificate_folder.empty());
    CurrentFolderOverride current(temp.path());
    ASSERT_TRUE(current.ok());

    const std::wstring npki = temp / L"NPKI";
    std::wstring forward = npki;
    std::replace(forward.begin(), forward.end(), L'\\', L'/');
    const std::vector<Path> spellings = {
        npki, L".\\NPKI\\..\\NPKI", L"\\\\?\\" + npki, forward, npki + L"\\.", L"NPKI", L".\\NPKI", npki + L"\\",
        temp / L"NPKI\\yessign\\..",
    };
    for (const Path& spelling : spellings) {
        const std::vector<Path> roots = collect_search_roots({spelling});
        ASSERT_EQ(roots.size(), 1u);
        EXPECT_EQ(path_key(roots[0]), path_key(npki)) << utf8_from_utf16(spelling);
    }

    const Inventory inventory = run_scan(collect_search_roots(spellings));
    EXPECT_EQ(inventory.folders_checked, 1u);
    ASSERT_EQ(inventory.entries.size(), 1u);
    ASSERT_EQ(inventory.entries[0].copies.size(), 1u);
    const CertificateCopy& copy = inventory.entries[0].copies[0];
    EXPECT_EQ(copy.folder, certificate_folder);
    EXPECT_EQ(copy.drive, drive_of_path(temp.path()));
    EXPECT_FALSE(copy.drive.empty());

    // Added folders go the same way: "NPKI" beside ".\NPKI" in the setting is one folder.
    FoldersOverride folders("NPKI\n.\\NPKI");
    const std::vector<Path> collected = collect_search_roots({});
    ASSERT_GE(collected.size(), 2u);
    EXPECT_EQ(collected[collected.size() - 2], npki);
    EXPECT_EQ(collected.back(), npki);
}

TEST(SearchRoots, RootsThatCannotBeMadeFullAreKeptAsGiven)
{
    const Path long_root = L"\\\\?\\C:\\" + std::wstring(300, L'x');  // would not open without the prefix
    const Path dotted = L"\\\\?\\C:\\NPKI\\..\\other";                // ".." is literal behind the prefix
    const Path trailing_dot = L"\\\\?\\C:\\NPKI.";                    // a folder Win32 cannot name otherwise
    const std::vector<Path> roots = {L"", long_root, dotted, trailing_dot};
    EXPECT_EQ(collect_search_roots(roots), roots);
    EXPECT_EQ(run_scan({L""}).folders_checked, 0u);  // an empty root stays harmless
}

}  // namespace

TEST(FolderWatch, RootsOnFixedDrivesOrTheirNearestExistingParent)
{
    const std::vector<Path> existing = {L"C:\\Users\\a\\AppData\\LocalLow", L"C:\\Users\\a\\AppData", L"C:\\Users\\a",
                                        L"C:\\Users", L"C:\\", L"D:\\", L"D:\\NPKI", L"D:\\NPKI\\yessign", L"E:\\NPKI"};
    const auto exists = [&](const Path& p) {
        return std::find_if(existing.begin(), existing.end(), [&](const Path& e) { return path_key(e) == path_key(p); }) !=
               existing.end();
    };
    const auto fixed = [](const Path& p) { return p.size() > 1 && p[1] == L':' && p[0] != L'E'; };  // E: is a USB drive
    const struct {
        std::vector<Path> roots;
        std::vector<WatchTarget> targets;
    } k_cases[] = {
        // LocalLow\NPKI not made yet: LocalLow is watched for new folders only.
        {{L"C:\\Users\\a\\AppData\\LocalLow\\NPKI"}, {{L"C:\\Users\\a\\AppData\\LocalLow", false}}},
        {{L"C:\\Users\\a\\AppData\\Roaming\\NPKI"}, {{L"C:\\Users\\a\\AppData", false}}},
        {{L"D:\\NPKI"}, {{L"D:\\NPKI", true}}},
        {{L"E:\\NPKI"}, {}},                               // removable: left to WM_DEVICECHANGE
        {{L"\\\\server\\share\\NPKI"}, {}},                // not on a fixed drive
        {{L"D:\\NPKI", L"d:\\npki\\"}, {{L"D:\\NPKI", true}}},  // one folder, one watch
        {{L"D:\\NPKI\\yessign", L"D:\\NPKI"}, {{L"D:\\NPKI", true}}},  // inside another watched sub-tree
        {{L"D:\\Missing\\NPKI", L"D:\\NPKI"}, {{L"D:\\", false}, {L"D:\\NPKI", true}}},
        {{L"Q:\\NPKI"}, {}},                               // a drive that is not there
    };
    for (const auto& c : k_cases) EXPECT_EQ(watch_targets(c.roots, exists, fixed), c.targets) << utf8_from_utf16(c.roots[0]);

    const struct {
        const wchar_t* folder;
        const wchar_t* parent;
    } k_parents[] = {
        {L"C:\\a\\b", L"C:\\a"}, {L"C:\\a\\b\\", L"C:\\a"}, {L"C:\\a", L"C:\\"}, {L"C:\\", L""},
        {L"\\\\server\\share\\x", L"\\\\server\\share"}, {L"\\\\server\\share", L""}, {L"relative", L""},
    };
    for (const auto& c : k_parents) EXPECT_EQ(parent_folder(c.folder), c.parent) << utf8_from_utf16(c.folder);
}

TEST(FolderWatch, OnlyDrivesThatStayAreWatched)
{
    // GetDriveTypeW numbers: 2 removable, 3 fixed, 4 remote, 6 RAM disk. STORAGE_BUS_TYPE: 4 1394, 7 USB,
    // 11 SATA, 12 SD, 13 MMC, 15 file-backed virtual (a mounted VHD), 17 NVMe.
    const struct {
        const char* what;
        unsigned drive_type;
        std::optional<StorageFacts> facts;
        bool watched;
    } k_cases[] = {
        {"SATA disk", 3, StorageFacts{11, false}, true},
        {"NVMe disk", 3, StorageFacts{17, false}, true},
        {"a device that cannot be asked", 3, std::nullopt, true},
        {"USB hard disk that reports fixed", 3, StorageFacts{7, false}, false},
        {"USB stick that reports fixed", 3, StorageFacts{7, true}, false},
        {"FireWire disk", 3, StorageFacts{4, false}, false},
        {"SD card", 3, StorageFacts{12, false}, false},
        {"MMC card", 3, StorageFacts{13, false}, false},
        {"removable media on another bus", 3, StorageFacts{11, true}, false},
        {"mounted VHD", 3, StorageFacts{15, false}, true},
        {"removable drive", 2, StorageFacts{7, true}, false},
        {"network drive", 4, std::nullopt, false},
        {"RAM disk", 6, std::nullopt, false},
    };
    for (const auto& c : k_cases) EXPECT_EQ(watchable_drive(c.drive_type, c.facts), c.watched) << c.what;

    // WM_DEVICECHANGE about a watched handle: DBT_DEVICEQUERYREMOVE 0x8001, DBT_DEVICEQUERYREMOVEFAILED
    // 0x8002, DBT_DEVICEREMOVEPENDING 0x8003, DBT_DEVICEREMOVECOMPLETE 0x8004, DBT_DEVICEARRIVAL 0x8000.
    EXPECT_EQ(watched_device_action(0x8001), WatchedDeviceAction::ReleaseWatches);
    EXPECT_EQ(watched_device_action(0x8003), WatchedDeviceAction::ReleaseWatches);
    EXPECT_EQ(watched_device_action(0x8004), WatchedDeviceAction::ReleaseWatches);
    EXPECT_EQ(watched_device_action(0x8002), WatchedDeviceAction::WatchAgain);
    EXPECT_EQ(watched_device_action(0x8000), WatchedDeviceAction::None);
    EXPECT_EQ(watched_device_action(0x0007), WatchedDeviceAction::None);  // DBT_DEVNODES_CHANGED
}

TEST(FolderWatch, OnlyCertificateFilesInABusyFolderAskForARescan)
{
    const struct {
        const wchar_t* name;
        bool matters;
    } k_names[] = {
        {L"NPKI\\yessign\\USER\\cn=kim\\signCert.der", true}, {L"signPri.KEY", true}, {L"a.DER", true},
        {L"Documents\\report.docx", false},                   {L"ntuser.dat.LOG1", false}, {L"der", false},
        {L"cn=kim.der.tmp", false},                           {L"", false},
    };
    for (const auto& c : k_names) EXPECT_EQ(file_change_matters(c.name), c.matters) << utf8_from_utf16(c.name);

    // Two records as ReadDirectoryChangesW writes them, then a third whose name runs past the bytes read.
    std::vector<BYTE> buffer;
    const auto record = [&](const std::wstring& name, DWORD next, DWORD claimed_length) {
        const size_t at = buffer.size();
        const DWORD fields[3] = {next, FILE_ACTION_ADDED, claimed_length};
        buffer.resize(at + sizeof(fields));
        std::memcpy(buffer.data() + at, fields, sizeof(fields));
        const auto* bytes = reinterpret_cast<const BYTE*>(name.data());
        buffer.insert(buffer.end(), bytes, bytes + name.size() * sizeof(wchar_t));
        while (buffer.size() % sizeof(DWORD) != 0) buffer.push_back(0);
    };
    record(L"a\\signCert.der", 12 + 28, 28);
    record(L"b.txt", 12 + 12, 10);
    record(L"x", 0, 400);
    EXPECT_EQ(changed_names(buffer.data(), buffer.size()), (std::vector<std::wstring>{L"a\\signCert.der", L"b.txt"}));
    EXPECT_EQ(changed_names(buffer.data(), 13), std::vector<std::wstring>{});  // cut inside the first name
    EXPECT_EQ(changed_names(buffer.data(), 0), std::vector<std::wstring>{});
}

// The window's thread never waits for the watches: the scan waits for them through an event of its
// own, which still tells after the watcher (and its thread) are gone.
TEST(FolderWatch, ArmedEventIsSetOnceWatchedAndOutlivesTheWatcher)
{
    TempFolder root;
    std::unique_ptr<FolderWatcher> watcher = FolderWatcher::start({WatchTarget{root.path(), true}}, nullptr, WM_APP);
    ASSERT_NE(watcher, nullptr);
    const UniqueKernelHandle armed = watcher->armed_event();
    ASSERT_TRUE(armed);
    EXPECT_EQ(WaitForSingleObject(armed.get(), k_watch_arm_wait_ms), WAIT_OBJECT_0);
    watcher.reset();
    EXPECT_EQ(WaitForSingleObject(armed.get(), 0), WAIT_OBJECT_0);

    // A folder that cannot be watched: set up failed, so nobody waits for it.
    std::unique_ptr<FolderWatcher> none = FolderWatcher::start({WatchTarget{root / L"missing", true}}, nullptr, WM_APP);
    ASSERT_NE(none, nullptr);
    EXPECT_EQ(WaitForSingleObject(none->armed_event().get(), k_watch_arm_wait_ms), WAIT_OBJECT_0);
}
