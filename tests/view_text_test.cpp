#include "gfx/view_text.h"

#include "base/text.h"
#include "tests/support/translations.h"

#include <gtest/gtest.h>

#include <algorithm>

TEST(ScanningText, SecondsGiveCyclingDots)
{
    const struct {
        double t;
        Translate translate;
        const char* expected;
    } k_cases[] = {
        {0, in_english, "Looking for certificates."},
        {0.4, in_english, "Looking for certificates.."},
        {0.7, in_english, "Looking for certificates..."},
        {1.1, in_english, "Looking for certificates."},
        {0.4, in_korean, "공동인증서를 찾고 있습니다.."},
    };
    for (const auto& c : k_cases) EXPECT_EQ(scanning_text(c.t, c.translate), c.expected) << c.t;
}

TEST(SummaryHeadline, CountGivesHeadline)
{
    const struct {
        size_t n;
        Translate translate;
        const char* expected;
    } k_cases[] = {
        {0, in_english, "No certificates found"},
        {1, in_english, "Certificates: 1"},
        {123, in_english, "Certificates: 123"},
        {0, in_korean, "공동인증서가 없습니다"},
        {3, in_korean, "공동인증서 3개"},
    };
    for (const auto& c : k_cases) EXPECT_EQ(summary_headline(c.n, c.translate), c.expected) << c.n;
}

TEST(SummarySecondLine, CountsAppearOnlyWhenNonZero)
{
    const struct {
        uint64_t folders;
        ListSummary summary;
        Translate translate;
        const char* expected;
    } k_cases[] = {
        {4, {0, 0}, in_english, "NPKI folders checked on hard disks and USB drives: 4"},
        {4, {1, 1}, in_english, "NPKI folders checked on hard disks and USB drives: 4 · 1 expiring soon · 1 expired"},
        {0, {0, 2}, in_english, "NPKI folders checked on hard disks and USB drives: 0 · 2 expired"},
        {7, {3, 0}, in_english, "NPKI folders checked on hard disks and USB drives: 7 · 3 expiring soon"},
        {18446744073709551615ull, {0, 0}, in_english,
         "NPKI folders checked on hard disks and USB drives: 18446744073709551615"},
        {2, {1, 1}, in_korean, "하드 디스크와 USB 드라이브의 NPKI 폴더 2곳을 살폈습니다 · 곧 만료 1 · 만료 1"},
        {3, {0, 1, 1, 0, 2}, in_english,
         "NPKI folders checked on hard disks and USB drives: 3 · 1 expired · 1 damaged · 2 from an unknown issuer"},
        {3, {0, 0, 1, 1, 1}, in_korean,
         "하드 디스크와 USB 드라이브의 NPKI 폴더 3곳을 살폈습니다 · 손상 1 · 시험용 1 · 발급자 불명 1"},
        {3, {0, 1, 0, 0, 0, 2}, in_english, "NPKI folders checked on hard disks and USB drives: 3 · 1 expired · 2 revoked"},
        {3, {0, 0, 0, 0, 0, 1}, in_korean, "하드 디스크와 USB 드라이브의 NPKI 폴더 3곳을 살폈습니다 · 폐기 1"},
    };
    for (const auto& c : k_cases) {
        EXPECT_EQ(summary_second_line(c.folders, c.summary, c.translate), c.expected);
    }
}

TEST(CleanUpLabel, CountFillsPlaceholder)
{
    EXPECT_EQ(clean_up_label(1, in_english), "Clean up expired (1)");
    EXPECT_EQ(clean_up_label(12, in_korean), "만료된 것 정리 (12)");
}

namespace {

CertificateCopy copy_on(const char* drive, bool removable, bool key = true, bool km = false)
{
    CertificateCopy copy;
    copy.folder = utf16_from_utf8(std::string(drive) + "\\NPKI\\yessign\\USER\\cn=x");
    copy.drive = drive;
    copy.removable = removable;
    copy.has_private_key = key;
    copy.has_km_cert = km;
    return copy;
}

}  // namespace

TEST(LocationLine, PlacesFoldEqualNeighboursAndNameAMissingKey)
{
    const struct {
        std::vector<CertificateCopy> copies;
        Translate translate;
        const char* expected;
    } k_cases[] = {
        {{copy_on("C:", false)}, in_english, "Hard disk (C:)"},
        {{copy_on("C:", false), copy_on("E:", true), copy_on("E:", true)}, in_english,
         "In 3 places \xC2\xB7 Hard disk (C:), USB drive (E:)"},
        {{copy_on("E:", true), copy_on("C:", false), copy_on("E:", true)}, in_english,
         "In 3 places \xC2\xB7 USB drive (E:), Hard disk (C:), USB drive (E:)"},
        {{copy_on("C:", false), copy_on("D:", false, false)}, in_english,
         "In 2 places \xC2\xB7 Hard disk (C:), Hard disk (D:) \xC2\xB7 Private key missing"},
        {{copy_on("E:", true, false)}, in_korean, "USB 드라이브 (E:) \xC2\xB7 개인 키 없음"},
    };
    for (const auto& c : k_cases) EXPECT_EQ(location_line(c.copies, c.translate), c.expected);
    EXPECT_TRUE(on_usb_drive({copy_on("C:", false), copy_on("E:", true)}));
    EXPECT_FALSE(on_usb_drive({copy_on("C:", false)}));
}

TEST(DetailRows, FactsThenOneLocationPerCopy)
{
    CertificateEntry entry;
    entry.info.subject_cn = "\xED\x99\x8D\xEA\xB8\xB8\xEB\x8F\x99()1234567890";  // 홍길동
    entry.info.issuer_org = "yessign";
    entry.info.serial_hex = "012E5A7F";
    entry.info.not_after = 2'000'000'000;
    entry.copies = {copy_on("C:", false)};
    const int64_t now = 2'000'000'000 - 40 * 86'400;

    entry.info.trust = TrustState::Test;
    std::vector<DetailRow> rows = detail_rows_for(entry, now, in_english, "en");
    ASSERT_EQ(rows.size(), 16u);
    ASSERT_EQ(detail_row_count(entry), rows.size());
    const char* k_labels[] = {"Name (CN)", "Subject", "Issuer", "Issued by", "Issuer check", "Revocation", "Purpose",
                              "Policy OID", "Valid", "Time left", "Serial number", "Thumbprint (SHA-1)",
                              "Thumbprint (SHA-256)", "Private key", "Encryption certificate", "Location"};
    for (size_t i = 0; i < rows.size(); ++i) EXPECT_EQ(rows[i].label, k_labels[i]);
    EXPECT_EQ(rows[0].value, entry.info.subject_cn);
    EXPECT_EQ(rows[3].value, "KFTC (yessign)");
    EXPECT_EQ(rows[4].value, "Test certificate \xE2\x80\x94 banks do not accept it");
    EXPECT_EQ(rows[k_revocation_row].value, "Not checked \xE2\x80\x94 click to ask the issuers");
    EXPECT_EQ(rows[7].value, "None");
    EXPECT_EQ(rows[9].value, "D-40");
    EXPECT_EQ(rows[10].value, "012E5A7F");
    EXPECT_EQ(rows[13].value, "Present (signPri.key; Vessop never opens it)");
    EXPECT_EQ(rows[14].value, "None");
    EXPECT_EQ(rows[15].value, "Hard disk (C:) \xC2\xB7 C:\\NPKI\\yessign\\USER\\cn=x");
    EXPECT_EQ(copied_notice(rows[10].label, in_english), "Copied: Serial number");

    // Copy all: every row as "label: value", line feeds between, none after the last.
    const std::string all = copy_all_text(rows);
    EXPECT_EQ(std::count(all.begin(), all.end(), '\n'), 15);
    EXPECT_EQ(all.substr(0, all.find('\n')), "Name (CN): " + entry.info.subject_cn);
    EXPECT_NE(all.back(), '\n');

    // Three copies: numbered locations; a key missing in one of them, a kmCert.der in another.
    entry.copies = {copy_on("C:", false), copy_on("E:", true, true, true), copy_on("F:", true, false)};
    rows = detail_rows_for(entry, now, in_english, "en");
    ASSERT_EQ(rows.size(), 18u);
    EXPECT_EQ(rows[15].label, "Location 1");
    EXPECT_EQ(rows[17].label, "Location 3");
    EXPECT_EQ(rows[17].value, "USB drive (F:) \xC2\xB7 F:\\NPKI\\yessign\\USER\\cn=x");
    EXPECT_EQ(rows[13].value, "Missing in some places: that copy can't be used to sign in");
    EXPECT_EQ(rows[14].value, "Present (kmCert.der)");
    EXPECT_EQ(detail_rows_for(entry, now, in_korean, "ko")[3].value, "금융결제원");

    // Copies whose bytes differ: the check names them by their rows, whatever the signature said.
    entry.info.trust = TrustState::Damaged;
    entry.copies[1].differs = entry.copies[2].differs = true;
    EXPECT_EQ(detail_rows_for(entry, now, in_english, "en")[4].value,
              "Damaged: the copies are not the same file (Location 2, Location 3)");
    EXPECT_EQ(detail_rows_for(entry, now, in_korean, "ko")[4].value,
              "손상됨: 사본끼리 파일 내용이 다릅니다 (저장 위치 2, 저장 위치 3)");
}

TEST(RevocationRow, SaysTheAnswerAndStartsACheckOnlyWhenNoneWasMade)
{
    CertificateEntry entry;
    entry.info.trust = TrustState::Licensed;
    entry.copies = {copy_on("C:", false)};
    RevocationOutcome revoked;
    revoked.state = RevocationState::Revoked;
    revoked.revoked_at = 1'795'132'800;  // 2026-11-20 09:00 in Seoul
    revoked.reason = RevocationReason::Superseded;
    const struct Case {
        RevocationOutcome outcome;
        TrustState trust;
        bool checking;
        const char* row;
        bool click_starts_check;
        const char* badge;  // nullptr: none
        bool danger;
    } k_cases[] = {
        {{}, TrustState::Licensed, false, "Not checked \xE2\x80\x94 click to ask the issuers", true, nullptr, false},
        {{}, TrustState::Licensed, true, "Asking the issuers\xE2\x80\xA6", false, nullptr, false},
        {revoked, TrustState::Licensed, false, "Revoked on 2026-11-20: replaced by a new certificate", false, "Revoked", true},
        {revoked, TrustState::Test, true, "Revoked on 2026-11-20: replaced by a new certificate", false, "Revoked", true},
        {revocation_unknown(UnknownWhy::NotLicensed), TrustState::UnknownIssuer, false,
         "Unknown: its issuer is not a licensed CA", false, "Unknown issuer", false},
        {{}, TrustState::Damaged, false, "Not checked \xE2\x80\x94 click to ask the issuers", true, "Damaged", true},
    };
    for (const Case& c : k_cases) {
        entry.revocation = c.outcome;
        entry.info.trust = c.trust;
        const std::vector<DetailRow> rows = detail_rows_for(entry, 0, in_english, "en", c.checking);
        EXPECT_EQ(rows[k_revocation_row].label, "Revocation");
        EXPECT_EQ(rows[k_revocation_row].value, c.row);
        EXPECT_EQ(row_starts_revocation_check(entry, k_revocation_row, c.checking), c.click_starts_check) << c.row;
        EXPECT_FALSE(row_starts_revocation_check(entry, k_revocation_row + 1, c.checking));  // other rows copy
        const std::optional<CardBadge> badge = card_badge(entry);
        ASSERT_EQ(badge.has_value(), c.badge != nullptr) << c.row;
        if (!badge) continue;
        EXPECT_EQ(std::string(in_english(badge->text)), c.badge);
        EXPECT_EQ(badge->danger, c.danger) << c.badge;
    }
}

TEST(SpokenNames, CardSaysHolderIssuerPurposeUntilStatusAndPlaces)
{
    CertificateEntry entry;
    entry.info.subject_cn = "\xED\x99\x8D\xEA\xB8\xB8\xEB\x8F\x99()1234567890";  // 홍길동
    entry.info.issuer_org = "yessign";
    entry.info.not_after = 2'000'000'000;
    entry.copies = {copy_on("C:", false), copy_on("E:", true, false)};
    entry.info.trust = TrustState::Licensed;
    const std::string until = until_text(entry.info, in_english);
    const struct {
        int64_t now;
        Translate translate;
        std::string language;
        std::string expected;
    } k_cases[] = {
        {2'000'000'000 - 40 * 86'400, in_english, "en",
         "\xED\x99\x8D\xEA\xB8\xB8\xEB\x8F\x99, KFTC (yessign), Other (-), " + until +
             ", D-40, In 2 places, Hard disk (C:), USB drive (E:), Private key missing"},
        {2'000'000'000, in_english, "en",
         "\xED\x99\x8D\xEA\xB8\xB8\xEB\x8F\x99, KFTC (yessign), Other (-), " + until +
             ", Expired, In 2 places, Hard disk (C:), USB drive (E:), Private key missing"},
        {2'000'000'000, in_korean, "ko",
         "\xED\x99\x8D\xEA\xB8\xB8\xEB\x8F\x99, \xEA\xB8\x88\xEC\x9C\xB5\xEA\xB2\xB0\xEC\xA0\x9C\xEC\x9B\x90, "
         "\xEA\xB8\xB0\xED\x83\x80 (-), " + until_text(entry.info, in_korean) +
             ", \xEB\xA7\x8C\xEB\xA3\x8C\xEB\x90\xA8, 2\xEA\xB3\xB3\xEC\x97\x90 \xEC\x9E\x88\xEC\x9D\x8C, "
             "\xED\x95\x98\xEB\x93\x9C \xEB\x94\x94\xEC\x8A\xA4\xED\x81\xAC (C:), USB \xEB\x93\x9C\xEB\x9D\xBC\xEC\x9D\xB4\xEB\xB8\x8C (E:), "
             "\xEA\xB0\x9C\xEC\x9D\xB8 \xED\x82\xA4 \xEC\x97\x86\xEC\x9D\x8C"},
    };
    for (const auto& c : k_cases) EXPECT_EQ(card_spoken_name(entry, c.now, c.translate, c.language), c.expected);
    // The issuer check's badge is said after the status, as the card shows it.
    entry.info.trust = TrustState::Damaged;
    EXPECT_EQ(card_spoken_name(entry, 2'000'000'000, in_english, "en"),
              "\xED\x99\x8D\xEA\xB8\xB8\xEB\x8F\x99, KFTC (yessign), Other (-), " + until +
                  ", Expired, Damaged, In 2 places, Hard disk (C:), USB drive (E:), Private key missing");

    // A row reads "label: value"; a lone middle dot inside a value is left alone.
    EXPECT_EQ(row_spoken_name({"Serial number", "0100000001"}), "Serial number: 0100000001");
    EXPECT_EQ(spoken("a \xC2\xB7 b\xC2\xB7" "c \xC2\xB7 "), "a, b\xC2\xB7" "c, ");
}
