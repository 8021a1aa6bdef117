// Test and demo helper: writes NPKI certificate trees made by the DER writer, so that no binary
// certificate is checked in.
//   make_fixture count FOLDER K [FIRST]   K valid personal certificates (serials FIRST.., default 1)
//                                         under FOLDER\NPKI\yessign\USER
//   make_fixture cert FOLDER SERIAL DAYS  one personal certificate folder at FOLDER itself (holder
//                                         TesterSERIAL), DAYS days left (negative: expired)
//   make_fixture demo PC_ROOT USB_ROOT    nine realistic certificates from five authorities, three
//                                         expired, three expiring soon, some with copies on the USB root
//   make_fixture cards PC_ROOT USB_ROOT   three cards in a known order: a business certificate ending in
//                                         5 days; one on the PC and twice on the USB root; an expired one
//   make_fixture trust PC_ROOT            one certificate of each issuer-check outcome, in this list order:
//                                         licensed, test, unknown issuer, damaged
//
// Certificates name real CAs as their issuers but are signed with the fixtures' fixed key. When
// VESSOP_TEST_ROOTS names a folder, every command also writes there the test root, test test-root and
// CA certificates (the real CAs' names, that key) which a test build of Vessop trusts, so the cards are
// "licensed" there as on a user's PC.
// Exit status 0 on success, 1 when a file could not be written, 64 on a usage error.

#include "base/command_line.h"
#include "base/text.h"
#include "tests/support/der_writer.h"
#include "tests/support/npki_fixture.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_key.h"

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include <windows.h>

namespace {

constexpr int64_t k_day = 86400;

std::string serial_bytes(uint32_t value)
{
    std::string bytes;
    bytes += '\x01';  // a positive INTEGER whatever the value
    for (int shift = 24; shift >= 0; shift -= 8) bytes += static_cast<char>((value >> shift) & 0xFF);
    return bytes;
}

// Noon of the day `days` after today, in the time zone Windows is set to: the program counts days left
// in that zone. (The C runtime's localtime follows the TZ variable instead, which under Wine names a
// zone it does not understand, so between midnight in Seoul and midnight in UTC its "today" differed.)
int64_t local_noon_in_days(int64_t now, int64_t days)
{
    constexpr int64_t k_ticks_per_second = 10'000'000;
    constexpr int64_t k_unix_epoch_ticks = 116'444'736'000'000'000;  // 1970-01-01 as a FILETIME
    const auto to_filetime = [](int64_t ticks) {
        return FILETIME{static_cast<DWORD>(ticks & 0xFFFFFFFF), static_cast<DWORD>(ticks >> 32)};
    };
    const auto ticks_of = [](const FILETIME& t) {
        return static_cast<int64_t>((static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime);
    };
    const FILETIME utc = to_filetime(now * k_ticks_per_second + k_unix_epoch_ticks);
    SYSTEMTIME utc_time{}, local{};
    if (!FileTimeToSystemTime(&utc, &utc_time) || !SystemTimeToTzSpecificLocalTime(nullptr, &utc_time, &local))
        return now + days * k_day;
    local.wHour = 12;
    local.wMinute = local.wSecond = local.wMilliseconds = 0;
    // Calendar days on the local clock, then back to UTC with that day's offset.
    FILETIME noon{};
    SystemTimeToFileTime(&local, &noon);
    const FILETIME later_local = to_filetime(ticks_of(noon) + days * k_day * k_ticks_per_second);
    SYSTEMTIME later{}, later_utc{};
    FILETIME result{};
    if (!FileTimeToSystemTime(&later_local, &later) || !TzSpecificLocalTimeToSystemTime(nullptr, &later, &later_utc) ||
        !SystemTimeToFileTime(&later_utc, &result))
        return now + days * k_day;
    return (ticks_of(result) - k_unix_epoch_ticks) / k_ticks_per_second;
}

struct Authority {
    const char* ca_folder;  // the folder name under NPKI
    const char* organization;
    const char* common_name;
    const char* country;
};

constexpr Authority k_yessign{"yessign", "yessign", "yessignCA Class 2", "kr"};
constexpr Authority k_signkorea{"SignKorea", "SignKorea", "SignKorea CA4", "KR"};
constexpr Authority k_kica{"KICA", "KICA", "signGATE CA5", "KR"};
constexpr Authority k_crosscert{"CrossCert", "CrossCert", "CrossCertCA4", "KR"};
constexpr Authority k_tradesign{"TradeSign", "TradeSign", "TradeSignCA4", "KR"};
constexpr Authority k_yessign_test{"yessign", "yessign", "yessignCA-Test Class 5", "kr"};
constexpr Authority k_stray{"StrayCA", "Stray", "Stray CA", "KR"};  // no root knows it
constexpr const Authority* k_licensed_cas[] = {&k_yessign, &k_signkorea, &k_kica, &k_crosscert, &k_tradesign};

// The key of every fixture CA and root: one fixed key, so that this process and the program under
// test (which reads VESSOP_TEST_ROOTS) agree.
const TestKey& fixture_key()
{
    static const TestKey key = TestKey::fixture();
    return key;
}

std::string sign_with_fixture_key(std::string_view data)
{
    return fixture_key().sign(data);
}

DistinguishedName name_of(const Authority& ca)
{
    return {
        {{std::string(k_oid_country), ca.country, StringType::printable}},
        {{std::string(k_oid_organization), ca.organization, StringType::utf8}},
        {{std::string(k_oid_organizational_unit), "AccreditedCA", StringType::utf8}},
        {{std::string(k_oid_common_name), ca.common_name, StringType::utf8}},
    };
}

DistinguishedName root_name(const char* common_name)
{
    return {
        {{std::string(k_oid_country), "KR", StringType::printable}},
        {{std::string(k_oid_organization), "KISA", StringType::utf8}},
        {{std::string(k_oid_common_name), common_name, StringType::utf8}},
    };
}

// A CA or root certificate with the fixture key, valid from 2020 to 2049.
std::string authority_der(const DistinguishedName& subject, const DistinguishedName& issuer, uint32_t serial)
{
    TestCertificate c;
    c.subject = subject;
    c.issuer = issuer;
    c.serial = serial_bytes(serial);
    c.not_before = 1577836800;  // 2020-01-01
    c.not_after = 2524607999;   // 2049-12-31
    c.has_policies = false;
    c.public_key_info = fixture_key().public_key_info();
    c.sign = sign_with_fixture_key;
    return make_certificate_der(c);
}

// The roots and CAs a test build trusts, into the folder VESSOP_TEST_ROOTS names (nothing without it).
bool write_test_roots()
{
    wchar_t folder[1024];
    const DWORD length = GetEnvironmentVariableW(L"VESSOP_TEST_ROOTS", folder, 1024);
    if (length == 0 || length >= 1024) return true;
    const std::wstring base = std::wstring(folder) + L"\\";
    CreateDirectoryW(folder, nullptr);
    const DistinguishedName root = root_name("Vessop Fixture Root");
    const DistinguishedName test_root = root_name("Vessop Fixture Test Root");
    bool ok = write_file(base + L"root-fixture.der", authority_der(root, root, 1)) &&
              write_file(base + L"testroot-fixture.der", authority_der(test_root, test_root, 2)) &&
              write_file(base + L"ca-fixture-test.der", authority_der(name_of(k_yessign_test), test_root, 3));
    uint32_t serial = 10;
    for (const Authority* ca : k_licensed_cas)
        ok = ok && write_file(base + L"ca-fixture-" + utf16_from_utf8(ca->ca_folder) + L".der",
                              authority_der(name_of(*ca), root, serial++));
    return ok;
}

struct Holder {
    const Authority* authority;
    const char* common_name;  // as NPKI writes it: name, "()" and the identifier digits
    const char* unit;         // the purpose unit of the subject
    const char* policy_oid;
    int64_t days_left;        // negative: expired that many days ago
    uint32_t serial;
    bool on_pc;
    bool on_usb;
};

TestCertificate certificate_for(const Holder& holder, int64_t now)
{
    const Authority& ca = *holder.authority;
    TestCertificate test_certificate;
    test_certificate.subject = {
        {{std::string(k_oid_country), "KR", StringType::printable}},
        {{std::string(k_oid_organization), ca.organization, StringType::utf8}},
        {{std::string(k_oid_organizational_unit), holder.unit, StringType::utf8}},
        {{std::string(k_oid_common_name), holder.common_name, StringType::utf8}},
    };
    test_certificate.issuer = name_of(ca);
    test_certificate.sign = sign_with_fixture_key;
    test_certificate.serial = serial_bytes(holder.serial);
    // Certificates run for a year and end at local noon `days_left` days from today, so the card reads
    // exactly D-n whatever the time of day.
    test_certificate.not_after = local_noon_in_days(now, holder.days_left);
    test_certificate.not_before = test_certificate.not_after - 365 * k_day;
    test_certificate.policy_oids = {holder.policy_oid};
    return test_certificate;
}

bool write_holder(const std::wstring& root, const Holder& holder, int64_t now)
{
    const std::string der = make_certificate_der(certificate_for(holder, now));
    const std::wstring ca = utf16_from_utf8(holder.authority->ca_folder);
    const std::wstring folder = npki_folder_name(holder.common_name, holder.authority->organization);
    return !add_certificate(root, ca, folder, der, true, true).empty();
}

int write_count(const std::wstring& folder, long count, long first, int64_t now)
{
    for (long i = 0; i < count; ++i) {
        const std::string name = "Tester" + std::to_string(first + i) + "()0012345678901234";
        const Holder holder{&k_yessign, name.c_str(), "personal4IB", "1.2.410.200005.1.1.1", 200,
                            static_cast<uint32_t>(first + i), true, false};
        if (!write_holder(folder, holder, now)) return 1;
    }
    return 0;
}

int write_one(const std::wstring& folder, long serial, long days_left, int64_t now)
{
    const std::string name = "Tester" + std::to_string(serial) + "()0012345678901234";
    const Holder holder{&k_yessign, name.c_str(), "personal4IB", "1.2.410.200005.1.1.1", days_left,
                        static_cast<uint32_t>(serial), true, false};
    return write_certificate_folder(folder, make_certificate_der(certificate_for(holder, now)), true, true) ? 0 : 1;
}

int write_demo(const std::wstring& pc_root, const std::wstring& usb_root, int64_t now)
{
    // Holder names are invented; the identifier digits follow the NPKI pattern.
    const Holder k_holders[] = {
        {&k_yessign, "홍길동()0012345678901234", "personal4IB", "1.2.410.200005.1.1.1", 214, 0x51A0C1, true, true},
        {&k_signkorea, "김민지()0034567890123456", "personal", "1.2.410.200004.5.1.1.9", 12, 0x3B7701, true, false},
        {&k_kica, "이서준()0045678901234567", "personal", "1.2.410.200004.5.2.1.2", -41, 0x0C4411, true, false},
        {&k_crosscert, "탐셀상사()0056789012345678", "corporation", "1.2.410.200004.5.4.1.2", 152, 0x7D1002, false, true},
        {&k_yessign, "한빛물산()0078901234567890", "corporation4EC", "1.2.410.200005.1.1.6.8", 5, 0x51A0C3, true, true},
        {&k_crosscert, "최유나()0089012345678901", "personal", "1.2.410.200004.5.4.1.101", -203, 0x7D1004, true, false},
        {&k_kica, "정하늘()0090123456789012", "personal", "1.2.410.200004.5.2.1.7.1", 88, 0x0C4412, true, false},
        {&k_yessign, "윤소라()0001234567890123", "personal4IB", "1.2.410.200005.1.1.1", -3, 0x51A0C4, true, false},
        {&k_tradesign, "강도윤()0011223344556677", "corporation", "1.2.410.200012.1.1.3", 25, 0x2E9005, false, true},
    };
    for (const Holder& holder : k_holders) {
        if (holder.on_pc && !write_holder(pc_root, holder, now)) return 1;
        if (holder.on_usb && !write_holder(usb_root, holder, now)) return 1;
    }
    return 0;
}

int write_cards(const std::wstring& pc_root, const std::wstring& usb_root, int64_t now)
{
    const Holder soon{&k_yessign, "한빛물산()0078901234567890", "corporation4EC", "1.2.410.200005.1.1.5", 5, 0xC0001, true, false};
    const Holder three{&k_yessign, "홍길동()0012345678901234", "personal4IB", "1.2.410.200005.1.1.1", 200, 0xC0002, true, true};
    const Holder expired{&k_kica, "이서준()0045678901234567", "personal", "1.2.410.200004.5.2.1.2", -41, 0xC0003, true, false};
    for (const Holder* holder : {&soon, &three, &expired})
        if (!write_holder(pc_root, *holder, now)) return 1;
    if (!write_holder(usb_root, three, now)) return 1;
    // The same certificate a second time on the USB drive, in a folder of another name.
    const std::string der = make_certificate_der(certificate_for(three, now));
    if (add_certificate(usb_root, L"yessign", L"backup-copy", der, true, true).empty()) return 1;
    return 0;
}

int write_trust(const std::wstring& pc_root, int64_t now)
{
    const Holder licensed{&k_yessign, "정상()0012345678900001", "personal4IB", "1.2.410.200005.1.1.1", 100, 0x7A0001, true, false};
    const Holder test{&k_yessign_test, "시험()0012345678900002", "personal4IB", "1.2.410.200005.1.1.1", 110, 0x7A0002, true, false};
    const Holder stray{&k_stray, "외부()0012345678900003", "personal", "1.2.410.200005.1.1.1", 120, 0x7A0003, true, false};
    const Holder damaged{&k_yessign, "손상()0012345678900004", "personal4IB", "1.2.410.200005.1.1.1", 130, 0x7A0004, true, false};
    for (const Holder* holder : {&licensed, &test, &stray})
        if (!write_holder(pc_root, *holder, now)) return 1;
    // A bit of the signature flipped, as a bad sector or a cut copy would leave it.
    std::string der = make_certificate_der(certificate_for(damaged, now));
    der[der.size() - 7] = static_cast<char>(der[der.size() - 7] ^ 0x10);
    const std::wstring folder = npki_folder_name(damaged.common_name, damaged.authority->organization);
    return add_certificate(pc_root, L"yessign", folder, der, true, true).empty() ? 1 : 0;
}

}  // namespace

int main()
{
    const std::vector<std::wstring> args = command_line_arguments();
    const int64_t now = static_cast<int64_t>(std::time(nullptr));
    if (!write_test_roots()) {
        std::fprintf(stderr, "make_fixture: the test roots could not be written\n");
        return 1;
    }

    if (args.size() >= 4 && args[1] == L"count") {
        const long first = args.size() >= 5 ? std::wcstol(args[4].c_str(), nullptr, 10) : 1;
        return write_count(args[2], std::wcstol(args[3].c_str(), nullptr, 10), first, now);
    }
    if (args.size() == 5 && args[1] == L"cert") {
        return write_one(args[2], std::wcstol(args[3].c_str(), nullptr, 10), std::wcstol(args[4].c_str(), nullptr, 10),
                         now);
    }
    if (args.size() == 4 && args[1] == L"demo") return write_demo(args[2], args[3], now);
    if (args.size() == 4 && args[1] == L"cards") return write_cards(args[2], args[3], now);
    if (args.size() == 3 && args[1] == L"trust") return write_trust(args[2], now);
    std::fprintf(stderr, "usage: make_fixture count FOLDER K [FIRST] | cert FOLDER SERIAL DAYS | demo|cards PC_ROOT USB_ROOT | trust PC_ROOT\n");
    return 64;
}
