// The questions, notices, destinations and folder choices of the file commands, as values.

#include "base/files.h"
#include "fileops/destinations.h"
#include "fileops/export_list.h"
#include "fileops/questions.h"

#include "tests/support/temp_folder.h"
#include "tests/support/translations.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include <string>
#include <vector>

namespace {

constexpr int64_t k_now = 1'741'305'600;  // 2025-03-07 00:00:00 UTC, 09:00 in Seoul

CertificateCopy copy_at(const wchar_t* folder, bool removable = false, const char* ca = "yessign")
{
    CertificateCopy copy;
    copy.folder = folder;
    copy.ca_folder_name = ca;
    copy.drive = folder[1] == L':' ? std::string{static_cast<char>(folder[0]), ':'} : "";
    copy.removable = removable;
    return copy;
}

CertificateEntry entry(const char* cn, int64_t not_after, std::vector<CertificateCopy> copies)
{
    CertificateEntry e;
    e.info.subject_cn = cn;
    e.info.issuer_org = "yessign";
    e.info.not_after = not_after;
    e.copies = std::move(copies);
    return e;
}

const CertificateCopy k_on_c = copy_at(L"C:\\Users\\kim\\AppData\\LocalLow\\NPKI\\yessign\\USER\\cn=hong");
const CertificateCopy k_on_e = copy_at(L"E:\\NPKI\\yessign\\USER\\cn=hong", true);
const CertificateCopy k_on_d = copy_at(L"D:\\backup\\NPKI\\yessign\\USER\\cn=hong");

}  // namespace

TEST(EntryLabel, NameIssuerAndLocalEndDate)
{
    const CertificateEntry hong = entry("홍길동()0012345678901234", k_now, {k_on_c});
    EXPECT_EQ(entry_label(hong, in_english, "en"), "홍길동 (KFTC (yessign), until 2025-03-07)");
    EXPECT_EQ(entry_label(hong, in_korean, "ko"), "홍길동 (금융결제원, 2025-03-07 까지)");
}

TEST(RecycleSelection, UsbCopiesStayOutInChosenOrder)
{
    const std::vector<CertificateCopy> copies = {k_on_c, k_on_e, k_on_d};
    const struct {
        std::vector<size_t> chosen;
        std::vector<Path> folders;
        bool any_usb;
    } k_cases[] = {
        {{0, 1, 2}, {k_on_c.folder, k_on_d.folder}, true},
        {{2, 0}, {k_on_d.folder, k_on_c.folder}, false},
        {{1}, {}, true},
        {{7}, {}, false},  // an index past the copies names nothing
    };
    for (const auto& c : k_cases) {
        const RecycleSelection selection = select_for_recycling(copies, c.chosen);
        EXPECT_EQ(selection.folders, c.folders);
        EXPECT_EQ(selection.any_usb, c.any_usb);
    }
}

TEST(RecycleQuestion, LinesAsAskedWithUsbNoteLast)
{
    const CertificateEntry hong = entry("홍길동()0012345678901234", k_now, {k_on_c, k_on_e, k_on_d});
    EXPECT_EQ(recycle_question(hong, select_for_recycling(hong.copies, {0, 1, 2}), in_english, "en"),
              "Send this certificate folder to the Recycle Bin?\n\n"
              "홍길동 (KFTC (yessign), until 2025-03-07)\n"
              "C:\\Users\\kim\\AppData\\LocalLow\\NPKI\\yessign\\USER\\cn=hong\n"
              "D:\\backup\\NPKI\\yessign\\USER\\cn=hong\n\n"
              "You can restore it from the Recycle Bin.\n"
              "Copies on USB drives are left alone.");
    EXPECT_EQ(recycle_question(hong, select_for_recycling(hong.copies, {0}), in_korean, "ko"),
              "이 인증서 폴더를 휴지통으로 보낼까요?\n\n"
              "홍길동 (금융결제원, 2025-03-07 까지)\n"
              "C:\\Users\\kim\\AppData\\LocalLow\\NPKI\\yessign\\USER\\cn=hong\n\n"
              "휴지통에서 되살릴 수 있습니다.");
}

TEST(RecycleQuestion, NamesFromTheDiskCannotReorderOrAddLines)
{
    // A right-to-left override in the holder's name and in the folder's, a line feed in the name.
    const CertificateEntry crafted = entry("\xE2\x80\xAEkim\nOK()0012345678901234", k_now,
                                           {copy_at(L"C:\\NPKI\\yessign\\USER\\cn=\u202Egnp.exe")});
    EXPECT_EQ(recycle_question(crafted, select_for_recycling(crafted.copies, {0}), in_english, "en"),
              "Send this certificate folder to the Recycle Bin?\n\n"
              "\xEF\xBF\xBDkim\xEF\xBF\xBDOK (KFTC (yessign), until 2025-03-07)\n"
              "C:\\NPKI\\yessign\\USER\\cn=\xEF\xBF\xBDgnp.exe\n\n"
              "You can restore it from the Recycle Bin.");
}

TEST(RecycleNotice, AllOrSome)
{
    EXPECT_EQ(recycled_notice(2, 2, in_english), "Sent to the Recycle Bin");
    EXPECT_EQ(recycled_notice(1, 2, in_english), "Some couldn't be moved");
    EXPECT_EQ(recycled_notice(0, 1, in_korean), "일부를 보내지 못했습니다");
    EXPECT_EQ(cleaned_up_notice(14, in_english), "Folders sent to the Recycle Bin: 14");
    EXPECT_EQ(cleaned_up_notice(0, in_korean), "0곳을 휴지통으로 보냈습니다");
}

TEST(CleanUpPlan, ExpiredAtOrBeforeNowAndFixedDiskFoldersOnly)
{
    const std::vector<CertificateEntry> entries = {
        entry("valid()0000000001", k_now + 1, {k_on_c}),
        entry("ends now()0000000002", k_now, {k_on_c, k_on_e}),  // the end reached this very second
        entry("usb only()0000000003", k_now - 86400, {k_on_e}),
        entry("two disks()0000000004", k_now - 1, {k_on_d, k_on_c}),
    };
    const CleanUpPlan plan = plan_clean_up(entries, k_now);
    EXPECT_EQ(plan.expired, (std::vector<size_t>{1, 2, 3}));
    EXPECT_EQ(plan.folders, (std::vector<Path>{k_on_c.folder, k_on_d.folder, k_on_c.folder}));
    EXPECT_TRUE(plan.any_usb);

    const CleanUpPlan none = plan_clean_up({entries[0]}, k_now);
    EXPECT_TRUE(none.expired.empty() && none.folders.empty() && !none.any_usb);
}

TEST(CleanUpQuestion, TwelveBulletsThenTheRestCounted)
{
    const struct {
        size_t expired;
        size_t bullets;
        const char* more;  // the line after the bullets, or null
    } k_cases[] = {{1, 1, nullptr}, {12, 12, nullptr}, {13, 12, "… and 1 more"}, {15, 12, "… and 3 more"}};
    for (const auto& c : k_cases) {
        std::vector<CertificateEntry> entries;
        for (size_t i = 0; i < c.expired; ++i)
            entries.push_back(entry(("user" + std::to_string(i) + "()0000000000").c_str(), k_now - 1, {k_on_c}));
        const std::string text = clean_up_question(entries, plan_clean_up(entries, k_now), in_english, "en");

        std::string expected = "Send the expired certificates to the Recycle Bin? (certificates: " +
                               std::to_string(c.expired) + ", folders: " + std::to_string(c.expired) + ")\n\n";
        for (size_t i = 0; i < c.bullets; ++i)
            expected += (i ? "\n" : "") + std::string("\xE2\x80\xA2 user") + std::to_string(i) +
                        " (KFTC (yessign), until 2025-03-07)";
        if (c.more) expected += std::string("\n") + c.more;
        expected += "\n\nYou can restore it from the Recycle Bin.";
        EXPECT_EQ(text, expected) << c.expired;
    }
}

TEST(CleanUpQuestion, CertificateOnDiskAndUsbCountsOnceWithUsbNote)
{
    const std::vector<CertificateEntry> entries = {entry("홍길동()0012345678901234", k_now - 1, {k_on_c, k_on_e})};
    EXPECT_EQ(clean_up_question(entries, plan_clean_up(entries, k_now), in_korean, "ko"),
              "만료된 인증서 1개 (폴더 1곳) 를 휴지통으로 보낼까요?\n\n"
              "• 홍길동 (금융결제원, 2025-03-07 까지)\n\n"
              "휴지통에서 되살릴 수 있습니다.\n"
              "USB 드라이브에 있는 것은 그대로 둡니다.");
}

TEST(DestinationFolder, NpkiLayoutBelowTheTarget)
{
    const struct {
        const wchar_t* target;
        CertificateCopy copy;
        const wchar_t* expected;
    } k_cases[] = {
        {L"E:\\", k_on_c, L"E:\\NPKI\\yessign\\USER\\cn=hong"},
        {L"D:\\backup", k_on_c, L"D:\\backup\\NPKI\\yessign\\USER\\cn=hong"},
        {L"D:\\backup\\", k_on_c, L"D:\\backup\\NPKI\\yessign\\USER\\cn=hong"},
        {L"D:\\certs\\npki", k_on_c, L"D:\\certs\\npki\\yessign\\USER\\cn=hong"},   // any case of NPKI
        {L"D:\\certs\\nPkI\\", k_on_c, L"D:\\certs\\nPkI\\yessign\\USER\\cn=hong"},
        {L"D:\\npkis", k_on_c, L"D:\\npkis\\NPKI\\yessign\\USER\\cn=hong"},         // not exactly NPKI
        {L"E:\\", copy_at(L"C:\\cn=bare", false, ""), L"E:\\NPKI\\unknown\\USER\\cn=bare"},
        {L"E:\\", copy_at(L"C:\\x\\NPKI\\SignKorea\\USER\\cn=x,o=a\\", false, "SignKorea"),
         L"E:\\NPKI\\SignKorea\\USER\\cn=x,o=a"},
    };
    for (const auto& c : k_cases) EXPECT_EQ(destination_folder(c.target, c.copy), c.expected) << c.target;
}

TEST(DestinationChoices, UsbDrivesThenTestFoldersOrDefaultPlace)
{
    const std::vector<DriveInfo> drives = {{L"C:\\", false}, {L"E:\\", true}, {L"F:\\", true}};
    const Path profile = L"C:\\Users\\kim";
    const Path default_target = L"C:\\Users\\kim\\AppData\\LocalLow\\NPKI";
    const std::string default_label = "To this PC's default place (LocalLow\\NPKI)";
    const CertificateCopy elsewhere = copy_at(L"D:\\backup\\NPKI\\yessign\\USER\\cn=hong");
    // Already in the default place, spelled in other letter case with a trailing backslash.
    const CertificateCopy in_default = copy_at(L"c:\\users\\KIM\\AppData\\LocalLow\\NPKI\\yessign\\USER\\cn=hong\\");
    // The same layout under another default folder (APPDATA) is another place.
    const CertificateCopy roaming = copy_at(L"C:\\Users\\kim\\AppData\\Roaming\\NPKI\\yessign\\USER\\cn=hong");
    const struct {
        const char* what;
        std::vector<DriveInfo> drives;
        std::vector<Path> roots;
        std::optional<Path> profile;
        std::vector<CertificateCopy> copies;
        std::vector<Destination> expected;
    } k_cases[] = {
        {"drives in letter order, then the default place", drives, {}, profile, {elsewhere},
         {{"To USB drive (E:)", L"E:\\"}, {"To USB drive (F:)", L"F:\\"}, {default_label, default_target}}},
        {"already in the default place", drives, {}, profile, {elsewhere, in_default},
         {{"To USB drive (E:)", L"E:\\"}, {"To USB drive (F:)", L"F:\\"}}},
        {"a copy in another default folder does not count", {}, {}, profile, {roaming},
         {{default_label, default_target}}},
        {"test folders instead of the default place", {drives[1]}, {L"Z:\\tmp\\t1", L"rel/dir"}, profile, {in_default},
         {{"To USB drive (E:)", L"E:\\"},
          {"To the test folder (Z:\\tmp\\t1)", L"Z:\\tmp\\t1"},
          {"To the test folder (rel/dir)", L"rel/dir"}}},
        {"no USERPROFILE, no default place", {}, {}, std::nullopt, {elsewhere}, {}},
    };
    for (const auto& c : k_cases)
        EXPECT_EQ(destination_choices(c.drives, c.roots, c.profile, c.copies, in_english), c.expected) << c.what;
}

TEST(DestinationMenu, SeparatorOnlyAfterPlacesAndIdsMapBack)
{
    const std::vector<Destination> two = {{"To USB drive (E:)", L"E:\\"}, {"To USB drive (F:)", L"F:\\"}};
    EXPECT_EQ(destination_menu_items(two, in_english),
              (std::vector<MenuItem>{{"To USB drive (E:)"}, {"To USB drive (F:)"}, menu_separator(),
                                     {"Choose another folder…"}}));
    EXPECT_EQ(destination_menu_items({}, in_korean), (std::vector<MenuItem>{{"다른 폴더 고르기…"}}));

    const struct {
        uint32_t id;
        size_t count;
        DestinationAnswer expected;
    } k_cases[] = {
        {0, 2, {}},
        {1, 2, {DestinationPick::Place, 0}},
        {2, 2, {DestinationPick::Place, 1}},
        {3, 2, {}},  // the separator
        {4, 2, {DestinationPick::OtherFolder, 0}},
        {1, 0, {DestinationPick::OtherFolder, 0}},
        {2, 0, {}},
    };
    for (const auto& c : k_cases) EXPECT_EQ(destination_for_menu_id(c.id, c.count), c.expected) << c.id << "/" << c.count;
}

TEST(CopyTexts, QuestionFailureAndNotice)
{
    EXPECT_EQ(overwrite_question(L"E:\\NPKI\\yessign\\USER\\cn=hong", in_english),
              "A certificate folder with the same name is already there.\n\nE:\\NPKI\\yessign\\USER\\cn=hong\n\n"
              "Overwrite it?");
    EXPECT_EQ(copy_failed_text("Access denied. (os error 5)", in_korean),
              "복사하지 못했습니다.\n\nAccess denied. (os error 5)");
    EXPECT_EQ(copied_notice(L"E:\\NPKI\\yessign\\USER\\cn=hong", in_english),
              "Copied to E:\\NPKI\\yessign\\USER\\cn=hong");
}

TEST(CopyTexts, OwnCopyFoundByPathKey)
{
    const std::vector<CertificateCopy> copies = {k_on_c, k_on_e};
    EXPECT_TRUE(lands_on_own_copy(L"e:\\npki\\YESSIGN\\user\\CN=HONG\\", copies));
    EXPECT_FALSE(lands_on_own_copy(L"F:\\NPKI\\yessign\\USER\\cn=hong", copies));
    EXPECT_FALSE(lands_on_own_copy(L"E:/NPKI/yessign/USER/cn=hong", copies));  // keys do not read slashes
}

TEST(ExportList, FileNameAndReplacingWriteKeepTheEarlierFileOnFailure)
{
    EXPECT_EQ(export_file_name(LocalDate{2026, 12, 9}), L"Vessop-2026-12-09.csv");
    EXPECT_EQ(export_file_name(LocalDate{2027, 1, 31}), L"Vessop-2027-01-31.csv");

    const TempFolder folder;
    const Path target = folder.path() + L"\\list.csv";
    const auto read = [](const Path& path) {
        std::ifstream in(std::filesystem::path(path), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    const auto leftovers = [&] {
        size_t n = 0;
        for (const auto& item : std::filesystem::directory_iterator(std::filesystem::path(folder.path())))
            n += item.path().filename().wstring().starts_with(L"~");
        return n;
    };
    ASSERT_EQ(write_file_replacing(target, "first"), 0u);
    EXPECT_EQ(read(target), "first");
    ASSERT_EQ(write_file_replacing(target, std::string(3 << 20, 'x')), 0u);  // more than one write
    EXPECT_EQ(read(target).size(), size_t{3} << 20);
    ASSERT_EQ(write_file_replacing(target, "second"), 0u);
    EXPECT_EQ(read(target), "second");
    // A target that cannot be replaced (a folder of that name) fails and leaves nothing behind.
    const Path blocked = folder.path() + L"\\taken.csv";
    std::filesystem::create_directory(std::filesystem::path(blocked));
    EXPECT_NE(write_file_replacing(blocked, "x"), 0u);
    EXPECT_TRUE(std::filesystem::is_directory(std::filesystem::path(blocked)));
    // A folder that does not exist: nothing is made.
    EXPECT_NE(write_file_replacing(folder.path() + L"\\missing\\list.csv", "x"), 0u);
    EXPECT_EQ(read(target), "second");
    EXPECT_EQ(leftovers(), 0u);
    // Another program's file under the first temporary name is passed over, never overwritten.
    { std::ofstream(std::filesystem::path(folder.path() + L"\\~0"), std::ios::binary) << "theirs"; }
    ASSERT_EQ(write_file_replacing(target, "third"), 0u);
    EXPECT_EQ(read(target), "third");
    EXPECT_EQ(read(folder.path() + L"\\~0"), "theirs");
    EXPECT_EQ(leftovers(), 1u);
    // The temporary names are as short as can be: a path that holds "list.csv" holds them too.
    const std::pair<size_t, const wchar_t*> k_names[] = {{0, L"~0"}, {9, L"~9"}, {10, L"~a"}, {35, L"~z"}, {36, L"~10"},
                                                         {1295, L"~zz"}};
    for (const auto& [attempt, name] : k_names) EXPECT_EQ(temporary_name(attempt), name) << attempt;
}
