#include "npki/scanner.h"

#include "base/text.h"
#include "tests/support/der_writer.h"
#include "tests/support/npki_fixture.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <ctime>
#include <cwctype>
#include <string>
#include <vector>

#include <windows.h>

namespace {

constexpr int64_t k_day = 86'400;
constexpr int64_t k_far_future = 4'102'444'800;  // 2100-01-01: current in every test run

std::string certificate(std::string_view common_name, std::string serial, int64_t not_after = k_far_future,
                        std::string_view issuer_org = "yessign")
{
    TestCertificate test_certificate;
    test_certificate.subject.back() = {{std::string(k_oid_common_name), std::string(common_name), StringType::utf8}};
    test_certificate.issuer = {{{std::string(k_oid_country), "KR", StringType::printable}},
                   {{std::string(k_oid_organization), std::string(issuer_org), StringType::utf8}},
                   {{std::string(k_oid_common_name), std::string(issuer_org) + " CA", StringType::utf8}}};
    test_certificate.serial = std::move(serial);
    test_certificate.not_before = 1'600'000'000;
    test_certificate.not_after = not_after;
    return make_certificate_der(test_certificate);
}

std::vector<std::string> folders_of(const Inventory& inventory)
{
    std::vector<std::string> folders;
    for (const CertificateEntry& entry : inventory.entries) {
        for (const CertificateCopy& copy : entry.copies) folders.push_back(utf8_from_utf16(copy.folder));
    }
    return folders;
}

std::vector<std::string> common_names_of(const Inventory& inventory)
{
    std::vector<std::string> names;
    for (const CertificateEntry& entry : inventory.entries) names.push_back(entry.info.subject_cn);
    return names;
}

std::string u8(const std::wstring& path) { return utf8_from_utf16(path); }

// --- Pure rules -------------------------------------------------------------------------------

TEST(ScanRules, LinksAreLeftOutAndOtherReparsePointsWalked)
{
    struct Case {
        uint32_t attributes;
        uint32_t tag;
        bool walkable;
    };
    constexpr Case k_cases[] = {
        {FILE_ATTRIBUTE_DIRECTORY, 0, true},
        {FILE_ATTRIBUTE_ARCHIVE, 0, false},
        {FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT, IO_REPARSE_TAG_SYMLINK, false},
        {FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT, IO_REPARSE_TAG_MOUNT_POINT, false},
        // Cloud placeholders and deduplicated folders are no links: their contents are here.
        {FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT, 0x9000001A, true},
        {FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT, IO_REPARSE_TAG_DEDUP, true},
        // The tag field means nothing without the reparse attribute.
        {FILE_ATTRIBUTE_DIRECTORY, IO_REPARSE_TAG_SYMLINK, true},
        {FILE_ATTRIBUTE_REPARSE_POINT, IO_REPARSE_TAG_SYMLINK, false},
    };
    for (const Case& c : k_cases) {
        EXPECT_EQ(is_walkable_folder(c.attributes, c.tag), c.walkable) << std::hex << c.attributes << " " << c.tag;
    }
}

TEST(ScanRules, FolderNamesMatchAsciiCaseOnly)
{
    struct Case {
        const wchar_t* name;
        const char* wanted;
        bool matches;
    };
    const Case k_cases[] = {
        {L"npki", "NPKI", true},    {L"uSeR", "USER", true},   {L"NPKI ", "NPKI", false},
        {L"NPKIX", "NPKI", false},  {L"USER", "NPKI", false},
        {L"\xFF2E\xFF30\xFF2B\xFF29", "NPKI", false},  // full-width letters are other letters
    };
    for (const Case& c : k_cases) EXPECT_EQ(is_folder_named(c.name, c.wanted), c.matches) << u8(c.name);
}

TEST(ScanRules, OnlyNamesWin32ReachesAsTheyStandAreWalked)
{
    const struct {
        const wchar_t* name;
        bool plain;
    } k_cases[] = {
        // What Win32 rewrites: trailing dots and spaces go, dots only mean here or above.
        {L"kim.", false}, {L"kim ", false}, {L"kim. .", false}, {L".", false}, {L"..", false}, {L"...", false},
        // Devices, in any case, with any extension, with spaces before the extension.
        {L"CON", false}, {L"con", false}, {L"nul.der", false}, {L"Aux.tar.gz", false}, {L"PRN", false},
        {L"COM1", false}, {L"com9.txt", false}, {L"LPT0", false}, {L"COM1 .txt", false}, {L"COM\u00B9", false},
        {L"lpt\u00B3.x", false},
        // Characters Win32 cannot name.
        {L"a:b", false}, {L"a*b", false}, {L"a?b", false}, {L"a|b", false}, {L"a<b", false}, {L"a\"b", false},
        {L"tab\there", false}, {L"", false},
        // Ordinary names, inner dots and spaces included, and names that only begin like a device.
        {L"kim", true}, {L"cn=\uD64D\uAE38\uB3D9()0012345678901234", true}, {L"a.b", true}, {L"a b", true},
        {L".hidden", true}, {L" lead", true}, {L"CONSOLE", true}, {L"COM10", true}, {L"LPT", true},
        {L"nul_", true}, {L"COMx", true}, {L"AUX-1.der", true}, {L"yessign", true}, {L"USER", true},
    };
    for (const auto& c : k_cases) EXPECT_EQ(is_win32_plain_name(c.name), c.plain) << u8(c.name);
}

// Reparse data as FSCTL_GET_REPARSE_POINT gives it: a symbolic link (with its flags) or a junction,
// the substitute name first in the path buffer, then the print name.
std::vector<uint8_t> reparse_data(uint32_t tag, std::wstring_view substitute, uint32_t flags = 0)
{
    std::vector<uint8_t> out;
    const auto put16 = [&](uint32_t v) { out.push_back(static_cast<uint8_t>(v)); out.push_back(static_cast<uint8_t>(v >> 8)); };
    const auto put32 = [&](uint32_t v) { put16(v & 0xFFFF); put16(v >> 16); };
    const uint32_t bytes = static_cast<uint32_t>(substitute.size() * 2);
    put32(tag);
    put16(0);  // data length: not read
    put16(0);
    put16(0), put16(bytes), put16(bytes), put16(0);  // substitute at 0, an empty print name after it
    if (tag == 0xA000000C) put32(flags);
    for (const wchar_t c : substitute) put16(c);
    return out;
}

TEST(ScanRules, LinksLeadToThisPcOrToTheNetwork)
{
    constexpr uint32_t k_symlink = 0xA000000C, k_junction = 0xA0000003;
    const auto network_drive = [](wchar_t letter) { return letter == L'N'; };
    const struct {
        const char* what;
        std::vector<uint8_t> data;
        LinkReach reach;
    } k_cases[] = {
        {"junction to a local folder", reparse_data(k_junction, L"\\??\\D:\\certs"), LinkReach::ThisPc},
        {"symbolic link to a local folder", reparse_data(k_symlink, L"\\??\\c:\\NPKI"), LinkReach::ThisPc},
        {"relative symbolic link", reparse_data(k_symlink, L"..\\\\host\\x", 1), LinkReach::ThisPc},
        {"volume mount point", reparse_data(k_junction, L"\\??\\Volume{0f1e2d3c-aaaa-bbbb-cccc-000000000000}\\"), LinkReach::ThisPc},
        {"symbolic link to a share", reparse_data(k_symlink, L"\\??\\UNC\\host\\share\\NPKI"), LinkReach::Network},
        {"the same in lower case", reparse_data(k_symlink, L"\\??\\unc\\host\\share"), LinkReach::Network},
        {"a mapped network drive", reparse_data(k_symlink, L"\\??\\N:\\NPKI"), LinkReach::Network},
        {"the network's device", reparse_data(k_symlink, L"\\Device\\Mup\\host\\share"), LinkReach::Network},
        {"a bare UNC path", reparse_data(k_symlink, L"\\\\host\\share"), LinkReach::Network},
        {"another kind of link", reparse_data(0xA000001D, L"/mnt/x"), LinkReach::Unknown},
        {"an object path", reparse_data(k_symlink, L"\\GLOBAL??\\X:"), LinkReach::Unknown},
        {"cut short", std::vector<uint8_t>(12, 0), LinkReach::Unknown},
    };
    for (const auto& c : k_cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(link_reach(c.data, +network_drive), c.reach);
    }
    // A name that reaches past the data is not read.
    std::vector<uint8_t> cut = reparse_data(k_symlink, L"\\??\\D:\\certs");
    cut.resize(cut.size() - 2);
    EXPECT_EQ(link_reach(cut, +network_drive), LinkReach::Unknown);
}

TEST(ScanRules, LastComponentAndParentFollowTheSeparators)
{
    struct Case {
        const wchar_t* path;
        const wchar_t* last;
        const wchar_t* parent;
    };
    const Case k_cases[] = {
        {L"C:\\NPKI\\yessign\\USER\\cert", L"cert", L"C:\\NPKI\\yessign\\USER\\"},
        {L"C:\\NPKI\\\\", L"NPKI", L"C:\\"},
        {L"C:/certs/NPKI", L"NPKI", L"C:/certs/"},
        {L"C:\\", L"", L""},
        {L"\\\\server\\share\\", L"", L""},
        {L"\\\\server\\share\\NPKI", L"NPKI", L"\\\\server\\share\\"},
        {L"\\\\?\\C:\\", L"", L""},
        {L"\\\\?\\UNC\\server\\share\\a", L"a", L"\\\\?\\UNC\\server\\share\\"},
        {L"relative", L"relative", L""},
        {L"", L"", L""},
    };
    for (const Case& c : k_cases) {
        EXPECT_EQ(std::wstring(last_component(c.path)), c.last) << u8(c.path);
        EXPECT_EQ(std::wstring(parent_path(c.path)), c.parent) << u8(c.path);
    }
}

FoundCopy found(std::string issuer_dn, std::string serial, std::wstring folder, std::string cn = "cn")
{
    CertificateInfo info;
    info.issuer_dn = std::move(issuer_dn);
    info.serial_hex = std::move(serial);
    info.subject_cn = std::move(cn);
    CertificateCopy copy;
    copy.folder = std::move(folder);
    return {std::move(info), std::move(copy)};
}

TEST(GroupCopies, CopiesOfOneIdentityFormOneEntryInFoundOrderOncePerFolder)
{
    FoundList list;
    list.push_back(found("CN=yessignCA, O=yessign, C=kr", "0A01", L"C:\\a", "first"));
    list.push_back(found("CN=Other, C=kr", "0A01", L"C:\\b"));
    list.push_back(found("cn=YESSIGNCA, o=YESSIGN, c=KR", "0A01", L"D:\\a", "second"));
    list.push_back(found("CN=yessignCA, O=yessign, C=kr", "0a01", L"E:\\a"));  // serials compare byte for byte
    list.push_back(found("CN=yessignCA, O=yessign, C=kr", "0A01", L"c:\\A\\"));   // the same folder again: dropped
    const std::vector<CertificateEntry> entries = group_copies(std::move(list));
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].info.subject_cn, "first");  // the first copy's data is kept
    ASSERT_EQ(entries[0].copies.size(), 2u);
    EXPECT_EQ(entries[0].copies[0].folder, L"C:\\a");
    EXPECT_EQ(entries[0].copies[1].folder, L"D:\\a");
    EXPECT_EQ(entries[1].copies[0].folder, L"C:\\b");
    EXPECT_EQ(entries[2].copies[0].folder, L"E:\\a");
}

TEST(GroupCopies, CopiesInTwoSetsOfBytesMarkTheEntryDamaged)
{
    const auto with_bytes = [](FoundCopy copy, std::string sha256, TrustState trust) {
        copy.first.sha256_hex = std::move(sha256);
        copy.first.trust = trust;
        return copy;
    };
    FoundList list;
    list.push_back(with_bytes(found("CN=CA", "01", L"C:\\a"), "AA", TrustState::Licensed));
    list.push_back(with_bytes(found("CN=CA", "01", L"D:\\a"), "AA", TrustState::Licensed));
    list.push_back(with_bytes(found("CN=CA", "01", L"E:\\a"), "BB", TrustState::Damaged));
    list.push_back(with_bytes(found("CN=CA", "02", L"C:\\b"), "CC", TrustState::Licensed));
    list.push_back(with_bytes(found("CN=CA", "02", L"D:\\b"), "CC", TrustState::Licensed));
    const std::vector<CertificateEntry> entries = group_copies(std::move(list));
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].info.trust, TrustState::Damaged);
    ASSERT_EQ(entries[0].copies.size(), 3u);
    EXPECT_FALSE(entries[0].copies[0].differs);
    EXPECT_FALSE(entries[0].copies[1].differs);
    EXPECT_TRUE(entries[0].copies[2].differs);  // the place that differs is named
    EXPECT_EQ(entries[1].info.trust, TrustState::Licensed);
    EXPECT_FALSE(entries[1].copies[1].differs);
}

CertificateEntry entry_ending(int64_t not_after, std::string cn)
{
    CertificateEntry entry;
    entry.info.not_after = not_after;
    entry.info.subject_cn = std::move(cn);
    return entry;
}

TEST(InventoryOrder, CurrentFirstSoonestEndThenMostRecentlyExpired)
{
    constexpr int64_t T = 1'750'000'000;
    struct Case {
        int64_t a_end;
        const char* a_cn;
        int64_t b_end;
        const char* b_cn;
        bool a_first;
    };
    const Case k_cases[] = {
        {T + k_day, "z", T + 365 * k_day, "a", true},       // ending tomorrow before next year
        {T - 7 * k_day, "z", T - 365 * k_day, "a", true},   // expired last week before last year
        {T + 1, "z", T, "a", true},                          // ending exactly now is expired
        {T - 1, "a", T + 10 * 365 * k_day, "z", false},      // any current before any expired
        {T + 5, "Bob", T + 5, "bob", true},                  // same second: by CN bytes, upper case first
        {T + 5, "ab", T + 5, "abc", true},                   // a prefix comes first
        {T - 5, "\xED\x99\x8D", T - 5, "zz", false},         // Hangul bytes sort after ASCII
        {T + 5, "same", T + 5, "same", false},
    };
    for (const Case& c : k_cases) {
        EXPECT_EQ(inventory_order(entry_ending(c.a_end, c.a_cn), entry_ending(c.b_end, c.b_cn), T), c.a_first)
            << c.a_end - T << " " << c.a_cn << " / " << c.b_end - T << " " << c.b_cn;
    }
}

TEST(InventoryOrder, EqualEntriesKeepGroupingOrder)
{
    constexpr int64_t T = 1'750'000'000;
    std::vector<CertificateEntry> entries = {entry_ending(T - k_day, "x"), entry_ending(T + k_day, "x"),
                                             entry_ending(T + k_day, "x"), entry_ending(T + 2 * k_day, "a"),
                                             entry_ending(T + k_day, "x")};
    for (size_t i = 0; i < entries.size(); ++i) entries[i].info.serial_hex = std::to_string(i);
    sort_inventory(entries, T);
    std::vector<std::string> serials;
    for (const CertificateEntry& e : entries) serials.push_back(e.info.serial_hex);
    EXPECT_EQ(serials, (std::vector<std::string>{"1", "2", "4", "3", "0"}));
}

// --- The walk on real folder trees ------------------------------------------------------------

TEST(ScanRoot, EveryRootShapeFindsTheCertificate)
{
    TempFolder temp;
    const std::wstring certificate_folder =
        add_certificate(temp.path(), L"yessign", L"cert", certificate("\xED\x99\x8D()1234567890", "\x01"));
    ASSERT_FALSE(certificate_folder.empty());
    // The folder above NPKI, NPKI itself, a CA folder, the certificate folder (relative to temp).
    for (const wchar_t* relative : {L"", L"NPKI", L"NPKI\\", L"NPKI\\yessign", L"NPKI\\yessign\\USER\\cert",
                                    L"NPKI\\yessign\\USER\\cert\\"}) {
        const std::wstring root = *relative ? temp / relative : temp.path();
        const Inventory inventory = run_scan({root});
        EXPECT_EQ(inventory.folders_checked, 1u) << u8(root);
        ASSERT_EQ(inventory.entries.size(), 1u) << u8(root);
        ASSERT_EQ(inventory.entries[0].copies.size(), 1u);
        EXPECT_EQ(inventory.entries[0].copies[0].ca_folder_name, "yessign") << u8(root);
        EXPECT_EQ(path_key(inventory.entries[0].copies[0].folder), path_key(certificate_folder)) << u8(root);
        EXPECT_TRUE(inventory.entries[0].copies[0].has_private_key);
    }
}

TEST(ScanRoot, FolderOfCaFoldersFindsEachOfThem)
{
    TempFolder temp;
    add_certificate_at(temp.path(), L"store\\yessign\\USER\\one", certificate("one", "\x01"));
    add_certificate_at(temp.path(), L"store\\signkorea\\USER\\two", certificate("two", "\x02", k_far_future, "SignKorea"));
    make_folders(temp / L"store\\empty");
    const Inventory inventory = run_scan({temp / L"store"});
    ASSERT_EQ(inventory.entries.size(), 2u);
    // Sub-folders are walked in byte order: signkorea before yessign; both end at once, so by CN.
    EXPECT_EQ(common_names_of(inventory), (std::vector<std::string>{"one", "two"}));
    EXPECT_EQ(inventory.entries[0].copies[0].ca_folder_name, "yessign");
    EXPECT_EQ(inventory.entries[1].copies[0].ca_folder_name, "signkorea");
}

TEST(ScanRoot, UserFolderInAnyLetterCaseIsRecognised)
{
    for (const wchar_t* user : {L"USER", L"user", L"User", L"uSeR"}) {
        TempFolder temp;
        add_certificate_at(temp.path(), std::wstring(L"NPKI\\yessign\\") + user + L"\\cert", certificate("c", "\x01"));
        // Both as a part of the NPKI layout and as the mark of a CA folder given as a root.
        EXPECT_EQ(run_scan({temp.path()}).entries.size(), 1u) << u8(user);
        EXPECT_EQ(run_scan({temp / L"NPKI\\yessign"}).entries.size(), 1u) << u8(user);
    }
}

TEST(ScanRoot, CertificatesOutsideTheLayoutAreNotFound)
{
    struct Case {
        const wchar_t* certificate_at;
        const wchar_t* root;
    };
    const Case k_cases[] = {
        {L"NPKI\\yessign\\cert", L""},                    // directly in a CA folder, no USER between
        {L"NPKI\\yessign\\cert", L"NPKI\\yessign"},
        {L"NPKI\\yessign\\USER\\deeper\\cert", L""},      // one level too deep
        {L"NPKI\\cert", L""},                             // directly in NPKI
        {L"other\\NPKI\\yessign\\USER\\cert", L""},       // NPKI two levels below the root
        {L"NPKI\\yessign\\USER\\cert", L"NPKI\\yessign\\USER"},  // a USER folder as the root
    };
    for (const Case& c : k_cases) {
        TempFolder temp;
        ASSERT_FALSE(add_certificate_at(temp.path(), c.certificate_at, certificate("c", "\x01")).empty());
        const std::wstring root = *c.root ? temp / c.root : temp.path();
        const Inventory inventory = run_scan({root});
        EXPECT_TRUE(inventory.entries.empty()) << u8(c.certificate_at) << " from " << u8(c.root);
        EXPECT_EQ(inventory.folders_checked, 1u);
    }
}

TEST(ScanRoot, SignCertThatIsAFolderMakesNoCertificateFolder)
{
    TempFolder temp;
    make_folders(temp / L"NPKI\\yessign\\USER\\fake\\signCert.der");
    write_file(temp / L"NPKI\\yessign\\USER\\fake\\signPri.key", "x");
    add_certificate(temp.path(), L"yessign", L"real", certificate("real", "\x01"));
    const Inventory inventory = run_scan({temp.path()});
    ASSERT_EQ(inventory.entries.size(), 1u);
    EXPECT_EQ(inventory.entries[0].info.subject_cn, "real");
    // As a root, it is not a certificate folder either; its own sub-folders are then taken as
    // CA folders and hold nothing.
    EXPECT_TRUE(run_scan({temp / L"NPKI\\yessign\\USER\\fake"}).entries.empty());
}

TEST(ScanRoot, UndecodableCertificatesAreSkippedAndTheRestFound)
{
    TempFolder temp;
    write_certificate_folder(temp / L"NPKI\\yessign\\USER\\a-empty", "");
    write_certificate_folder(temp / L"NPKI\\yessign\\USER\\b-text", "this is no certificate");
    write_certificate_folder(temp / L"NPKI\\yessign\\USER\\c-cut", certificate("cut", "\x01").substr(0, 40));
    add_certificate(temp.path(), L"yessign", L"d-good", certificate("good", "\x02"));
    const Inventory inventory = run_scan({temp.path()});
    EXPECT_EQ(common_names_of(inventory), std::vector<std::string>{"good"});
}

TEST(ScanRoot, FoldersWin32WouldRenameAreNotListed)
{
    // Made through "\\?\" paths, as another system writing a USB stick would: Win32 without that prefix
    // opens "kim" for "kim." and the USER folder for "...".
    TempFolder temp;
    const std::wstring kim = add_certificate(temp.path(), L"yessign", L"kim", certificate("kim", "\x01"));
    ASSERT_FALSE(kim.empty());
    const std::wstring user = std::wstring(L"\\\\?\\") + (temp / L"NPKI\\yessign\\USER");
    for (const wchar_t* odd : {L"kim.", L"...", L"lee ", L"CON", L"nul.der"}) {
        const std::wstring folder = user + L"\\" + odd;
        ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr)) << u8(odd);
        ASSERT_TRUE(write_file(folder + L"\\signCert.der", certificate("other", "\x02", 1'600'000'100))) << u8(odd);
    }
    const Inventory inventory = run_scan({temp.path()});
    ASSERT_EQ(inventory.entries.size(), 1u);
    EXPECT_EQ(folders_of(inventory), std::vector<std::string>{u8(kim)});
}

// A directory symbolic link; false where the system will not make one.
bool make_folder_link(const std::wstring& link, const std::wstring& target)
{
    return CreateSymbolicLinkW(link.c_str(), target.c_str(),
                               SYMBOLIC_LINK_FLAG_DIRECTORY | SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE) &&
           GetFileAttributesW(link.c_str()) != INVALID_FILE_ATTRIBUTES;
}

TEST(ScanRoot, LinkedCaFolderIsNotEnteredButLinkedRootIsFollowed)
{
    TempFolder temp;
    add_certificate_at(temp.path(), L"elsewhere\\USER\\far", certificate("far", "\x01"));
    add_certificate(temp / L"pc", L"yessign", L"near", certificate("near", "\x02"));
    // Wine 8 answers CreateSymbolicLinkW with success and creates nothing; Windows needs the
    // privilege or developer mode.
    if (!make_folder_link(temp / L"pc\\NPKI\\linked", temp / L"elsewhere")) {
        GTEST_SKIP() << "this system makes no symbolic links";
    }
    EXPECT_EQ(common_names_of(run_scan({temp / L"pc"})), std::vector<std::string>{"near"});
    // An NPKI folder that is a link, reached from the root above it or given as the root, is followed.
    make_folders(temp / L"usb");
    ASSERT_TRUE(make_folder_link(temp / L"usb\\NPKI", temp / L"pc\\NPKI"));
    EXPECT_EQ(common_names_of(run_scan({temp / L"usb"})), std::vector<std::string>{"near"});
    EXPECT_EQ(common_names_of(run_scan({temp / L"usb\\NPKI"})), std::vector<std::string>{"near"});
}

TEST(ListSubfolders, OnlyFoldersInUtf8ByteOrder)
{
    TempFolder temp;
    for (const wchar_t* name : {L"b", L"C", L"a", L"\xD55C", L"\xFF5A", L"\xD83D\xDE00"}) make_folders(temp / name);
    write_file(temp / L"A-file", "x");
    const std::vector<Path> folders = list_subfolders(temp.path());
    std::vector<std::string> names;
    for (const Path& folder : folders) {
        EXPECT_EQ(std::wstring(parent_path(folder)), temp.path() + L"\\");
        names.push_back(u8(std::wstring(last_component(folder))));
    }
    EXPECT_EQ(names, (std::vector<std::string>{"C", "a", "b", "\xED\x95\x9C", "\xEF\xBD\x9A", "\xF0\x9F\x98\x80"}));
}

TEST(RunScan, RootsAreCountedOnceAndOnlyWhenTheyExist)
{
    TempFolder temp;
    add_certificate(temp.path(), L"yessign", L"cert", certificate("c", "\x01"));
    write_file(temp / L"a-file", "x");
    const std::wstring npki = temp / L"NPKI";
    std::wstring upper = npki;
    for (wchar_t& c : upper) c = static_cast<wchar_t>(towupper(c));
    struct Case {
        const char* what;
        std::vector<Path> roots;
        uint64_t checked;
        size_t copies;
    };
    const Case k_cases[] = {
        {"same root twice", {npki, npki}, 1, 1},
        {"differing in letter case", {npki, upper}, 1, 1},
        {"with a trailing backslash", {npki, npki + L"\\", npki + L"\\\\"}, 1, 1},
        {"missing root", {temp / L"missing", npki}, 1, 1},
        {"a file as root", {temp / L"a-file"}, 1, 0},
        {"empty path", {L""}, 0, 0},
        {"the folder above and NPKI itself", {temp.path(), npki}, 2, 1},
        {"nothing", {}, 0, 0},
    };
    for (const Case& c : k_cases) {
        const Inventory inventory = run_scan(c.roots);
        EXPECT_EQ(inventory.folders_checked, c.checked) << c.what;
        EXPECT_EQ(folders_of(inventory).size(), c.copies) << c.what;
    }
}

TEST(RunScan, CopiesAcrossRootsGroupWithTheFirstRootsCopyFirst)
{
    TempFolder usb;
    TempFolder pc;
    const std::string shared = certificate("shared", "\x05");
    const std::wstring on_pc = add_certificate(pc.path(), L"yessign", L"cert", shared, true, false);
    const std::wstring on_usb = add_certificate(usb.path(), L"yessign", L"cert", shared, false, true);
    add_certificate(usb.path(), L"yessign", L"other", certificate("usb only", "\x06"));
    const Inventory inventory = run_scan({pc / L"NPKI", usb / L"NPKI"});
    EXPECT_EQ(inventory.folders_checked, 2u);
    ASSERT_EQ(inventory.entries.size(), 2u);
    const CertificateEntry& entry = inventory.entries[0].info.subject_cn == "shared" ? inventory.entries[0]
                                                                                     : inventory.entries[1];
    ASSERT_EQ(entry.copies.size(), 2u);
    EXPECT_EQ(entry.copies[0].folder, on_pc);
    EXPECT_EQ(entry.copies[1].folder, on_usb);
    EXPECT_TRUE(entry.copies[0].has_private_key);
    EXPECT_FALSE(entry.copies[1].has_private_key);
    EXPECT_TRUE(entry.copies[1].has_km_cert);

    // In the other root order the USB copy leads.
    const Inventory reversed = run_scan({usb / L"NPKI", pc / L"NPKI"});
    for (const CertificateEntry& e : reversed.entries) {
        if (e.info.subject_cn == "shared") {
            EXPECT_EQ(e.copies[0].folder, on_usb);
        }
    }
}

TEST(RunScan, ListOrderFollowsExpiryAndCommonNames)
{
    TempFolder temp;
    const int64_t now = static_cast<int64_t>(time(nullptr));
    // Folder names are chosen against the expected order, so the walk order cannot explain it.
    add_certificate(temp.path(), L"yessign", L"a", certificate("expired last year", "\x01", now - 365 * k_day));
    add_certificate(temp.path(), L"yessign", L"b", certificate("expired last week", "\x02", now - 7 * k_day));
    add_certificate(temp.path(), L"yessign", L"c", certificate("next year", "\x03", now + 365 * k_day));
    add_certificate(temp.path(), L"yessign", L"d", certificate("tomorrow B", "\x04", now + k_day));
    add_certificate(temp.path(), L"yessign", L"e", certificate("tomorrow A", "\x05", now + k_day));
    const Inventory inventory = run_scan({temp.path()});
    EXPECT_EQ(common_names_of(inventory), (std::vector<std::string>{"tomorrow A", "tomorrow B", "next year",
                                                                    "expired last week", "expired last year"}));
}

}  // namespace
