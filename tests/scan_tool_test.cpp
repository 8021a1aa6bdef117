#include "base/handle.h"
#include "base/sha256.h"
#include "base/text.h"
#include "npki/certificate_folder.h"
#include "npki/inventory_csv.h"
#include "npki/inventory_json.h"
#include "npki/inventory_table.h"
#include "npki/scan_options.h"
#include "npki/scanner.h"
#include "tests/support/der_writer.h"
#include "tests/support/npki_fixture.h"
#include "tests/support/temp_folder.h"
#include "x509/decoder.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <string>
#include <vector>

#include <windows.h>

using nlohmann::json;

namespace {

std::string_view english_text(Text text) { return text.english; }
std::string_view korean_text(Text text) { return text.korean; }

constexpr int64_t k_seconds_per_day = 86'400;

TEST(ScanToolOptions, ArgumentsParseOrAreRefused)
{
    struct Case {
        std::vector<std::wstring> arguments;
        bool accepted;
        std::vector<Path> roots;
        bool text;
    };
    const Case k_cases[] = {
        {{}, true, {}, false},
        {{L"--text"}, true, {}, true},
        {{L"--root", L"D:\\a", L"--root", L"C:\\b"}, true, {L"D:\\a", L"C:\\b"}, false},
        {{L"--root", L"--text"}, true, {L"--text"}, false},  // the argument after --root is the folder
        {{L"--root"}, false, {}, false},
        {{L"--ROOT", L"D:\\a"}, false, {}, false},
        {{L"D:\\a"}, false, {}, false},
        {{L"--text", L"-x"}, false, {}, false},
        {{L"--csv"}, true, {}, false},
        {{L"--csv", L"--text"}, false, {}, false},  // one table or the other
        {{L"--text", L"--check-revocation"}, true, {}, true},
        {{L"--check-revocation=yes"}, false, {}, false},
    };
    for (const Case& c : k_cases) {
        std::string shown;
        for (const std::wstring& a : c.arguments) shown += utf8_from_utf16(a) + " ";
        const std::optional<ScanToolOptions> options = parse_scan_tool_arguments(c.arguments);
        ASSERT_EQ(options.has_value(), c.accepted) << shown;
        if (!options) continue;
        EXPECT_EQ(options->roots, c.roots) << shown;
        EXPECT_EQ(options->text, c.text) << shown;
        EXPECT_EQ(options->csv, c.arguments.size() == 1 && c.arguments[0] == L"--csv") << shown;
        EXPECT_EQ(options->check_revocation, c.arguments.size() == 2 && c.arguments[1] == L"--check-revocation") << shown;
    }
}

Inventory sample_inventory(int64_t now)
{
    CertificateEntry entry;
    entry.info.subject_cn = "\xED\x99\x8D\xEA\xB8\xB8\xEB\x8F\x99()0012345678901234";  // 홍길동()…
    entry.info.subject_dn = "CN=x, C=KR";
    entry.info.issuer_dn = "CN=yessignCA Class 2, O=yessign, C=kr";
    entry.info.issuer_org = "yessign";
    entry.info.issuer_cn = "yessignCA Class 2";
    entry.info.serial_hex = "012E5A7F";
    entry.info.policy_oids = {"1.2.410.200005.1.1.5", "1.2.3"};
    entry.info.sha1_hex = std::string(40, 'A');
    entry.info.sha256_hex = std::string(64, 'B');
    entry.info.not_before = now - 300 * k_seconds_per_day;
    entry.info.not_after = now - 10;
    entry.copies.push_back({L"C:\\Users\\kim\\AppData\\LocalLow\\NPKI\\yessign\\USER\\cert", "yessign", "C:", false,
                            true, false});
    entry.copies.push_back({L"E:\\NPKI\\yessign\\USER\\cert", "yessign", "E:", true, false, true});
    CertificateEntry second;
    second.info.subject_cn = "Example";
    second.info.issuer_org = "Example Trust";
    second.info.not_after = now + 40 * k_seconds_per_day;
    second.copies.push_back({L"\\\\server\\share\\cert", "", "", false, true, false});
    return {{std::move(entry), std::move(second)}, 7};
}

TEST(InventoryJson, EveryFieldUnderItsOwnName)
{
    const int64_t now = 1'750'000'000;
    const Inventory inventory = sample_inventory(now);
    const json out = inventory_json(inventory, now, "en", english_text);
    EXPECT_EQ(out.at("folders_checked"), 7);
    ASSERT_EQ(out.at("entries").size(), 2u);
    const json& e = out.at("entries")[0];
    const CertificateInfo& info = inventory.entries[0].info;
    for (const char* name : {"subject_dn", "issuer_dn", "issuer_cn", "serial_hex", "sha1_hex", "sha256_hex"}) {
        EXPECT_FALSE(e.at(name).get<std::string>().empty()) << name;
    }
    EXPECT_EQ(e.at("subject_cn"), info.subject_cn);
    EXPECT_EQ(e.at("policy_oids"), json({"1.2.410.200005.1.1.5", "1.2.3"}));
    EXPECT_EQ(e.at("not_before"), now - 300 * k_seconds_per_day);
    EXPECT_EQ(e.at("not_after"), now - 10);
    EXPECT_EQ(e.at("holder_name"), "\xED\x99\x8D\xEA\xB8\xB8\xEB\x8F\x99");
    EXPECT_EQ(e.at("issuer_display_name"), "KFTC (yessign)");
    EXPECT_EQ(e.at("purpose"), "AllPurpose");
    EXPECT_EQ(e.at("holder_kind"), "Business");
    EXPECT_EQ(e.at("expiry_state"), "Expired");
    EXPECT_EQ(e.at("days_left"), 0);
    ASSERT_EQ(e.at("copies").size(), 2u);
    const json& usb = e.at("copies")[1];
    EXPECT_EQ(usb.at("folder"), "E:\\NPKI\\yessign\\USER\\cert");
    EXPECT_EQ(usb.at("drive"), "E:");
    EXPECT_EQ(usb.at("removable"), true);
    EXPECT_EQ(usb.at("has_private_key"), false);
    EXPECT_EQ(usb.at("has_km_cert"), true);
    EXPECT_EQ(usb.at("place_label"), "USB drive (E:)");
    EXPECT_EQ(e.at("copies")[0].at("place_label"), "Hard disk (C:)");

    const json& other = out.at("entries")[1];
    EXPECT_EQ(other.at("purpose"), "Other");
    EXPECT_EQ(other.at("holder_kind"), "Unspecified");
    EXPECT_EQ(other.at("issuer_display_name"), "Example Trust");
    EXPECT_EQ(other.at("expiry_state"), "Valid");
    EXPECT_EQ(other.at("policy_oids"), json::array());
    EXPECT_EQ(other.at("copies")[0].at("place_label"), "Hard disk");
    EXPECT_EQ(other.at("copies")[0].at("drive"), "");
}

TEST(InventoryJson, LanguageDecidesIssuerNamesAndPlaceLabels)
{
    const int64_t now = 1'750'000'000;
    const json out = inventory_json(sample_inventory(now), now, "ko", korean_text);
    const json& e = out.at("entries")[0];
    EXPECT_EQ(e.at("issuer_display_name"), "\xEA\xB8\x88\xEC\x9C\xB5\xEA\xB2\xB0\xEC\xA0\x9C\xEC\x9B\x90");  // 금융결제원
    EXPECT_EQ(e.at("copies")[1].at("place_label"), "USB \xEB\x93\x9C\xEB\x9D\xBC\xEC\x9D\xB4\xEB\xB8\x8C (E:)");
    // Enumeration names are the same in every language.
    EXPECT_EQ(e.at("purpose"), "AllPurpose");
    EXPECT_EQ(e.at("expiry_state"), "Expired");
}

TEST(InventoryJson, RevocationSaysWhatTheAnswerRestsOn)
{
    RevocationOutcome good;
    good.state = RevocationState::Good;
    good.list_issued = 1'700'000'000;
    good.source = "ldap://dir/cn=crl";
    RevocationOutcome revoked = good;
    revoked.state = RevocationState::Revoked;
    revoked.revoked_at = 1'690'000'000;
    revoked.reason = RevocationReason::Superseded;
    const struct Case {
        RevocationOutcome outcome;
        json expected;
    } k_cases[] = {
        {{}, {{"state", "NotChecked"}}},
        {good, {{"state", "Good"}, {"list_issued", 1'700'000'000}, {"stale", false}, {"source", "ldap://dir/cn=crl"}}},
        {revoked,
         {{"state", "Revoked"}, {"revoked_at", 1'690'000'000}, {"list_issued", 1'700'000'000}, {"stale", false},
          {"reason", "superseded"}, {"source", "ldap://dir/cn=crl"}}},
        {revocation_unknown(UnknownWhy::Unreachable, "http://x/a.crl"),
         {{"state", "Unknown"}, {"reason", "unreachable"}, {"source", "http://x/a.crl"}}},
        {revocation_unknown(UnknownWhy::NotLicensed), {{"state", "Unknown"}, {"reason", "notLicensed"}}},
    };
    for (const Case& c : k_cases) {
        Inventory inventory = sample_inventory(0);
        inventory.entries[0].revocation = c.outcome;
        EXPECT_EQ(inventory_json(inventory, 0, "en", english_text).at("entries")[0].at("revocation"), c.expected)
            << c.expected.dump();
        // The lists' column says nothing until the issuers were asked.
        const bool revoked_said = c.outcome.state == RevocationState::Revoked;
        for (const std::string& list : {inventory_csv(inventory.entries, 0, "en", english_text),
                                        inventory_table(inventory, 0, "en", english_text)}) {
            EXPECT_EQ(list.find("Revoked on 2023-07-22") != std::string::npos, revoked_said) << list;
            EXPECT_EQ(list.find("Not checked"), std::string::npos);
        }
    }
}

TEST(InventoryJson, TextIsValidUtf8EvenFromBadInput)
{
    Inventory inventory;
    inventory.entries.push_back({});
    inventory.entries[0].info.subject_cn = "bad \xFF byte";
    inventory.entries[0].copies.push_back({L"C:\\x\xD800y", "", "C:", false, false, false});  // lone surrogate
    const std::string text = inventory_json_text(inventory_json(inventory, 0, "en", english_text));
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.back(), '\n');
    const json back = json::parse(text);
    EXPECT_EQ(back.at("entries")[0].at("subject_cn"), "bad \xEF\xBF\xBD byte");
    EXPECT_EQ(back.at("entries")[0].at("copies")[0].at("folder"), "C:\\x\xEF\xBF\xBDy");
}

TEST(InventoryTable, OneLinePerCopyColumnsAligned)
{
    const int64_t now = 1'750'000'000;
    const std::string table = inventory_table(sample_inventory(now), now, "en", english_text);
    std::vector<std::string> lines;
    for (size_t at = 0; at < table.size();) {
        const size_t end = table.find('\n', at);
        lines.push_back(table.substr(at, end - at));
        at = end + 1;
    }
    ASSERT_EQ(lines.size(), 4u);
    // The places column starts at the same display column on every line.
    const size_t place = display_width(lines[0].substr(0, lines[0].find("Hard disk (C:)")));
    EXPECT_EQ(display_width(lines[1].substr(0, lines[1].find("USB drive (E:)"))), place);
    EXPECT_EQ(display_width(lines[2].substr(0, lines[2].find("Hard disk"))), place);
    EXPECT_NE(lines[0].find("KFTC (yessign)"), std::string::npos);
    EXPECT_NE(lines[0].find("Expired"), std::string::npos);
    EXPECT_NE(lines[0].find(" \xC2\xB7 C:\\Users\\kim"), std::string::npos);
    EXPECT_EQ(lines[1].find("KFTC"), std::string::npos);  // a further copy repeats nothing
    EXPECT_NE(lines[2].find("D-40"), std::string::npos);
    EXPECT_EQ(lines[3], "NPKI folders checked on hard disks and USB drives: 7");
}

TEST(InventoryTable, CellsAreCutByDisplayWidthNeverInsideACharacter)
{
    struct Case {
        const char* text;
        size_t max_width;
        const char* cell;
    };
    const Case k_cases[] = {
        {"Lee", 32, "Lee"},
        {"abcde", 5, "abcde"},
        {"abcdef", 5, "abcd\xE2\x80\xA6"},
        {"\xED\x99\x8D\xEA\xB8\xB8\xEB\x8F\x99", 6, "\xED\x99\x8D\xEA\xB8\xB8\xEB\x8F\x99"},   // 홍길동 fits
        {"\xED\x99\x8D\xEA\xB8\xB8\xEB\x8F\x99", 5, "\xED\x99\x8D\xEA\xB8\xB8\xE2\x80\xA6"},  // 홍길…
        {"\xED\x99\x8D\xEA\xB8\xB8\xEB\x8F\x99", 4, "\xED\x99\x8D\xE2\x80\xA6"},  // 길 would cross the cap
        {"a\xED\x99\x8D\xEA\xB8\xB8", 3, "a\xE2\x80\xA6"},
        {"abc", 0, ""},
        // Line breaks and escape sequences from a certificate must not reach the console as such.
        {"a\nb\r\x1B[2J\x7F\xC2\x9B", 32, "a\xEF\xBF\xBD" "b\xEF\xBF\xBD\xEF\xBF\xBD[2J\xEF\xBF\xBD\xEF\xBF\xBD"},
        // A bad byte and a cut-off sequence each read as one U+FFFD, as every conversion reads them.
        {"\xFF" "a\xED\x99" "b", 32, "\xEF\xBF\xBD" "a\xEF\xBF\xBD" "b"},
    };
    for (const Case& c : k_cases) {
        const std::string cell = table_cell(c.text, c.max_width);
        EXPECT_EQ(cell, c.cell) << c.text << " / " << c.max_width;
        EXPECT_LE(display_width(cell), c.max_width) << c.text;
    }
}

TEST(InventoryTable, OneHugeNameDoesNotWidenEveryRow)
{
    const int64_t now = 1'750'000'000;
    Inventory inventory;
    for (int i = 0; i < 1000; ++i) {
        CertificateEntry entry;
        entry.info.subject_cn = "User " + std::to_string(i) + "()12345678901";
        entry.info.issuer_org = "yessign";
        entry.info.not_after = now + i * k_seconds_per_day;
        entry.copies.push_back({L"C:\\NPKI\\yessign\\USER\\cert" + std::to_wstring(i), "yessign", "C:", false, true, false});
        inventory.entries.push_back(std::move(entry));
    }
    const size_t ordinary = inventory_table(inventory, now, "en", english_text).size();

    std::string hangul_name;
    for (int i = 0; i < 100'000; ++i) hangul_name += "\xEA\xB0\x80";  // 가
    CertificateEntry huge = inventory.entries.front();
    huge.info.subject_cn = hangul_name;
    huge.info.issuer_org = std::string(100'000, 'O');
    huge.copies[0].ca_folder_name.clear();  // else the CA folder names the issuer
    huge.info.policy_oids = {"1.2." + std::string(100'000, '7')};
    CertificateEntry broken = inventory.entries.front();
    broken.info.subject_cn = "two\nlines";
    inventory.entries.insert(inventory.entries.begin() + 500, std::move(huge));
    inventory.entries.push_back(std::move(broken));
    const std::string table = inventory_table(inventory, now, "en", english_text);

    // Columns may widen to their caps, but not to the longest name.
    EXPECT_LT(table.size(), 2 * ordinary);
    EXPECT_EQ(std::count(table.begin(), table.end(), '\n'), 1003);  // 1,002 certificates and the count line
    const size_t row_at = table.find("\xEA\xB0\x80");
    ASSERT_NE(row_at, std::string::npos);
    const std::string row = table.substr(row_at, table.find('\n', row_at) - row_at);
    const std::string first_row = table.substr(0, table.find('\n'));
    // Cut cells end in "…" and the places still start in the same column as on every other line.
    EXPECT_NE(row.find("\xEA\xB0\x80\xE2\x80\xA6"), std::string::npos);
    EXPECT_NE(row.find("OOO\xE2\x80\xA6"), std::string::npos);
    EXPECT_EQ(display_width(row.substr(0, row.find("Hard disk"))),
              display_width(first_row.substr(0, first_row.find("Hard disk"))));
}

// --- vessop-scan.exe itself -------------------------------------------------------------------

struct ToolRun {
    DWORD exit_code = 0xFFFFFFFF;
    std::string out;
    std::string err;
};

std::string read_all(HANDLE handle)
{
    std::string bytes;
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(handle, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
    return bytes;
}

ToolRun run_tool(const std::wstring& arguments, const TempFolder& scratch)
{
    wchar_t self[MAX_PATH * 4] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH * 4);
    const std::wstring exe = std::wstring(parent_path(self)) + L"vessop-scan.exe";
    ToolRun run;
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    UniqueKernelHandle read_end;
    UniqueKernelHandle write_end;
    if (!CreatePipe(read_end.put(), write_end.put(), &inherit, 0)) return run;
    SetHandleInformation(read_end.get(), HANDLE_FLAG_INHERIT, 0);
    const std::wstring err_path = scratch / L"stderr.txt";
    UniqueFile err_file(CreateFileW(err_path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = write_end.get();
    startup.hStdError = err_file.get();
    std::wstring command_line = L"\"" + exe + L"\" " + arguments;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(exe.c_str(), command_line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr,
                        &startup, &process)) {
        return run;
    }
    UniqueKernelHandle process_handle(process.hProcess);
    UniqueKernelHandle thread_handle(process.hThread);
    write_end.reset();  // so that the read ends when the tool exits
    err_file.reset();
    run.out = read_all(read_end.get());
    WaitForSingleObject(process_handle.get(), 60'000);
    GetExitCodeProcess(process_handle.get(), &run.exit_code);
    UniqueFile err_in(CreateFileW(err_path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
    if (err_in) run.err = read_all(err_in.get());
    return run;
}

std::string certificate_der(std::string_view common_name, std::string serial, std::vector<std::string> policies)
{
    TestCertificate test_certificate;
    test_certificate.subject.back() = {{std::string(k_oid_common_name), std::string(common_name), StringType::utf8}};
    test_certificate.serial = std::move(serial);
    test_certificate.policy_oids = std::move(policies);
    test_certificate.not_before = 1'700'000'000;
    test_certificate.not_after = 4'000'000'000;
    return make_certificate_der(test_certificate);
}

std::string sha256_hex(std::string_view bytes)
{
    const auto digest = sha256({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()});
    return digest ? to_hex_upper(*digest) : "";
}

TEST(ScanTool, JsonMatchesTheFixtureTree)
{
    TempFolder temp;
    const std::string first = certificate_der("\xED\x99\x8D\xEA\xB8\xB8\xEB\x8F\x99()1234567890", "\x0A\x0B",
                                              {"1.2.410.200005.1.1.1"});
    const std::string second = certificate_der("Kim(KIM)123456789012", "\x7F", {"1.9.9", "1.2.410.200004.5.2.1.7.1"});
    const std::wstring a = add_certificate(temp / L"one", L"yessign", L"a", first, true, false);
    const std::wstring b = add_certificate(temp / L"one", L"yessign", L"b", second, false, true);
    const std::wstring a_again = add_certificate(temp / L"two", L"yessign", L"a", first, false, false);
    ASSERT_FALSE(a.empty() || b.empty() || a_again.empty());

    const ToolRun run = run_tool(L"--root \"" + temp.path() + L"\\one\" --root \"" + temp.path() +
                                     L"\\two\\NPKI\" --root \"" + temp.path() + L"\\missing\"",
                                 temp);
    ASSERT_EQ(run.exit_code, 0u) << run.err;
    const json out = json::parse(run.out);
    EXPECT_EQ(out.at("folders_checked"), 2);
    ASSERT_EQ(out.at("entries").size(), 2u);

    struct Expected {
        const std::string* der;
        std::vector<std::wstring> folders;
        std::string serial;
        std::string holder;
        std::string purpose;
        std::string holder_kind;
        std::vector<bool> keys;
        std::vector<bool> kms;
    };
    const Expected expected[] = {
        // Both end at once, so they are listed by the bytes of their common names.
        {&second, {b}, "7F", "Kim(KIM)", "Banking", "Unspecified", {false}, {true}},
        {&first, {a, a_again}, "0A0B", "\xED\x99\x8D\xEA\xB8\xB8\xEB\x8F\x99", "AllPurpose", "Personal", {true, false},
         {false, false}},
    };
    for (size_t i = 0; i < 2; ++i) {
        const json& e = out.at("entries")[i];
        const Expected& x = expected[i];
        const auto decoded = decode_certificate_folder(x.folders[0], "yessign");
        ASSERT_TRUE(decoded.has_value());
        const CertificateInfo& info = decoded->first;
        EXPECT_EQ(e.at("serial_hex"), x.serial);
        EXPECT_EQ(e.at("sha256_hex"), sha256_hex(*x.der));
        EXPECT_EQ(e.at("not_before"), 1'700'000'000);
        EXPECT_EQ(e.at("not_after"), 4'000'000'000);
        EXPECT_EQ(e.at("holder_name"), x.holder);
        EXPECT_EQ(e.at("purpose"), x.purpose);
        EXPECT_EQ(e.at("holder_kind"), x.holder_kind);
        EXPECT_EQ(e.at("issuer_org"), "yessign");
        EXPECT_EQ(e.at("issuer_display_name"), "KFTC (yessign)");
        EXPECT_EQ(e.at("expiry_state"), "Valid");
        EXPECT_EQ(e.at("subject_cn"), info.subject_cn);
        EXPECT_EQ(e.at("subject_dn"), info.subject_dn);
        EXPECT_EQ(e.at("issuer_dn"), info.issuer_dn);
        EXPECT_EQ(e.at("issuer_cn"), info.issuer_cn);
        EXPECT_EQ(e.at("sha1_hex"), info.sha1_hex);
        EXPECT_EQ(e.at("sha1_hex").get<std::string>().size(), 40u);
        EXPECT_EQ(e.at("policy_oids"), json(info.policy_oids));
        ASSERT_EQ(e.at("copies").size(), x.folders.size());
        for (size_t k = 0; k < x.folders.size(); ++k) {
            const json& copy = e.at("copies")[k];
            EXPECT_EQ(copy.at("folder"), utf8_from_utf16(x.folders[k]));
            EXPECT_EQ(copy.at("ca_folder_name"), "yessign");
            EXPECT_EQ(copy.at("drive"), "C:");
            EXPECT_EQ(copy.at("removable"), false);
            EXPECT_EQ(copy.at("has_private_key"), x.keys[k]);
            EXPECT_EQ(copy.at("has_km_cert"), x.kms[k]);
            EXPECT_EQ(copy.at("place_label").get<std::string>().find("(C:)") != std::string::npos, true);
        }
    }
}

TEST(ScanTool, TextTableListsEachCertificate)
{
    TempFolder temp;
    add_certificate(temp.path(), L"yessign", L"a", certificate_der("Lee()1234567890", "\x01", {}));
    const ToolRun run = run_tool(L"--text --root \"" + temp.path() + L"\"", temp);
    ASSERT_EQ(run.exit_code, 0u) << run.err;
    EXPECT_NE(run.out.find("Lee"), std::string::npos);
    EXPECT_EQ(run.out.find("1234567890"), std::string::npos);  // the holder's name, not the raw CN
    EXPECT_NE(run.out.find(utf8_from_utf16(temp.path())), std::string::npos);
    EXPECT_EQ(run.out.find('\r'), std::string::npos);  // bytes as written, no text-mode line ends
}

TEST(ScanTool, BadCommandLinePrintsUsageAndExitsTwo)
{
    TempFolder temp;
    for (const wchar_t* arguments : {L"--bogus", L"--root", L"C:\\x"}) {
        const ToolRun run = run_tool(arguments, temp);
        EXPECT_EQ(run.exit_code, 2u) << utf8_from_utf16(arguments);
        EXPECT_TRUE(run.out.empty());
        EXPECT_EQ(run.err.rfind("usage: vessop-scan", 0), 0u) << run.err;
    }
}

}  // namespace
