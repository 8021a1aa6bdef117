// The added folders: adding with de-duplication, removing by position.

#include "fileops/file_ops.h"

#include "base/settings_store.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include <windows.h>

namespace {

// Sets "Folders" for one test (nothing: the value is missing) and puts the old value back.
class StoredFolders {
public:
    explicit StoredFolders(std::optional<std::string> value) : saved_(read_text_setting(k_setting_folders))
    {
        set(value);
    }
    ~StoredFolders() { set(saved_); }
    StoredFolders(const StoredFolders&) = delete;
    StoredFolders& operator=(const StoredFolders&) = delete;

private:
    static void set(const std::optional<std::string>& value)
    {
        if (value) {
            write_text_setting(k_setting_folders, *value);
        } else {
            RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\Vessop", L"Folders");
        }
    }
    std::optional<std::string> saved_;
};

}  // namespace

TEST(AddFolder, SamePlaceStoresNothingButStillScans)
{
    const struct {
        const char* what;
        std::optional<std::string> stored;
        Path picked;
        std::optional<std::string> expected;
    } k_cases[] = {
        // The stored text keeps its CR line end only when nothing is written.
        {"letter case and a trailing backslash", "d:\\backup\\\r\nE:\\x", L"D:\\Backup", "d:\\backup\\\r\nE:\\x"},
        {"another spelling of the same folder", "d:\\backup\r\n", L"D:/Backup/./", "d:\\backup\r\n"},
        {"a new folder goes last", "D:\\a\nD:\\b", L"E:\\c", "D:\\a\nD:\\b\nE:\\c"},
        {"the first one", std::nullopt, L"E:\\c", "E:\\c"},
        {"a parent of a stored folder is another place", "D:\\a\\b", L"D:\\a", "D:\\a\\b\nD:\\a"},
    };
    for (const auto& c : k_cases) {
        StoredFolders folders(c.stored);
        const FileOpOutcome outcome = add_picked_folder(c.picked);
        EXPECT_EQ(read_text_setting(k_setting_folders), c.expected) << c.what;
        EXPECT_EQ(outcome.rescan, Rescan::Now) << c.what;
        EXPECT_FALSE(outcome.notice) << c.what;
    }
}

TEST(RemoveAddedFolder, PositionGoesAndTheRestMoveUp)
{
    StoredFolders folders("untouched");
    const std::vector<Path> three = {L"D:\\a", L"E:\\b", L"F:\\c"};

    FileOpOutcome outcome = remove_added_folder(three, 3);  // past the end: nothing at all
    EXPECT_EQ(outcome.rescan, Rescan::None);
    EXPECT_EQ(read_text_setting(k_setting_folders), "untouched");

    outcome = remove_added_folder(three, 1);
    EXPECT_EQ(outcome.rescan, Rescan::Now);
    EXPECT_EQ(read_text_setting(k_setting_folders), "D:\\a\nF:\\c");

    outcome = remove_added_folder({L"D:\\only"}, 0);
    EXPECT_EQ(outcome.rescan, Rescan::Now);
    EXPECT_EQ(read_text_setting(k_setting_folders), "");  // present and empty
}
