#include "x509/dates.h"

#include "npki/inventory.h"
#include "tests/support/translations.h"

#include <gtest/gtest.h>

#include <ctime>
#include <limits>

namespace {

// Tests run with TZ=Asia/Seoul: Korea time is UTC+9 all year round.
constexpr int64_t k_korea_offset = 9 * 3600;

int64_t korea_instant(int64_t year, uint32_t month, uint32_t day, int hour = 0, int minute = 0, int second = 0)
{
    return days_from_civil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second - k_korea_offset;
}


constexpr int64_t k_min = std::numeric_limits<int64_t>::min();
constexpr int64_t k_max = std::numeric_limits<int64_t>::max();

TEST(SecondsFromTicks, BeforeUnixEpochGivesZeroAndRoundsDown)
{
    const std::pair<uint64_t, int64_t> k_cases[] = {
        {0, 0},
        {k_windows_to_unix_ticks - 1, 0},
        {k_windows_to_unix_ticks, 0},
        {k_windows_to_unix_ticks + 9'999'999, 0},
        {k_windows_to_unix_ticks + 10'000'000, 1},
        {k_windows_to_unix_ticks + 17'412'732'000'000'000, 1'741'273'200},
        {std::numeric_limits<uint64_t>::max(), 1'833'029'933'770},
    };
    for (const auto& [ticks, seconds] : k_cases) EXPECT_EQ(seconds_from_ticks(ticks), seconds) << ticks;
}

TEST(TicksFromSeconds, ClampsToConvertibleRangeWithoutOverflow)
{
    const std::pair<int64_t, uint64_t> k_cases[] = {
        {k_min, 0},
        {-k_windows_to_unix_seconds - 1, 0},
        {-k_windows_to_unix_seconds, 0},
        {-k_windows_to_unix_seconds + 1, 10'000'000},
        {0, k_windows_to_unix_ticks},
        {1'741'273'200, k_windows_to_unix_ticks + 17'412'732'000'000'000},
        {922'337'203'684 - k_windows_to_unix_seconds, 9'223'372'036'840'000'000},
        {922'337'203'685 - k_windows_to_unix_seconds, k_max_file_time_ticks},
        {k_max, k_max_file_time_ticks},
    };
    for (const auto& [seconds, ticks] : k_cases) EXPECT_EQ(ticks_from_seconds(seconds), ticks) << seconds;
}

TEST(DaysFromCivil, CountsProlepticGregorianDaysFrom1970)
{
    struct Case {
        int64_t year;
        uint32_t month, day;
        int64_t days;
    };
    const Case k_cases[] = {
        {1970, 1, 1, 0},        {2000, 2, 29, 11016},   {2000, 3, 1, 11017},      {2024, 2, 29, 19782},
        {2025, 3, 7, 20154},    {1900, 2, 28, -25509},  {1900, 3, 1, -25508},     {1601, 1, 1, -134774},
        {1, 1, 1, -719162},     {0, 3, 1, -719468},     {9999, 12, 31, 2932896},
    };
    for (const Case& c : k_cases) {
        EXPECT_EQ(days_from_civil(c.year, c.month, c.day), c.days) << c.year << "-" << c.month << "-" << c.day;
    }
}

TEST(DateText, YearPlainMonthAndDayTwoDigits)
{
    const std::pair<LocalDate, const char*> k_cases[] = {
        {{2025, 3, 7}, "2025-03-07"}, {{999, 1, 5}, "999-01-05"},       {{1, 12, 31}, "1-12-31"},
        {{2025, 10, 10}, "2025-10-10"}, {{30828, 9, 14}, "30828-09-14"}, {{1601, 1, 1}, "1601-01-01"},
    };
    for (const auto& [date, text] : k_cases) EXPECT_EQ(date_text(date), text);
}

TEST(LocalDateOf, GivesKoreanCalendarDateAndClampsOutOfRangeInstants)
{
    const std::pair<int64_t, LocalDate> k_cases[] = {
        {1'741'273'200, {2025, 3, 7}},      // 2025-03-06 15:00 UTC is already the 7th in Korea
        {1'741'273'199, {2025, 3, 6}},
        {0, {1970, 1, 1}},
        {-k_korea_offset, {1970, 1, 1}},
        {-k_korea_offset - 1, {1969, 12, 31}},
        {-k_windows_to_unix_seconds, {1601, 1, 1}},  // tick 0 is 09:00 local
        {-k_windows_to_unix_seconds - 1, {1601, 1, 1}},
        {k_min, {1601, 1, 1}},
        {253'402'300'799, {10000, 1, 1}},  // 9999-12-31 23:59:59 UTC
        {k_max, {30828, 9, 14}},
    };
    for (const auto& [seconds, date] : k_cases) EXPECT_EQ(date_text(local_date_of(seconds)), date_text(date)) << seconds;
}

TEST(ExpiryOf, CountsCalendarDaysBetweenLocalDates)
{
    const int64_t noon = korea_instant(2025, 3, 7, 12);
    struct Case {
        const char* what;
        int64_t not_after;
        int64_t now;
        Expiry expected;
    };
    const Case k_cases[] = {
        {"end equals now", noon, noon, {ExpiryState::Expired, 0}},
        {"end long past", noon - 86400 * 400, noon, {ExpiryState::Expired, 0}},
        {"one second left", noon + 1, noon, {ExpiryState::ExpiringSoon, 0}},
        {"last second of today", korea_instant(2025, 3, 7, 23, 59, 59), korea_instant(2025, 3, 7), {ExpiryState::ExpiringSoon, 0}},
        {"00:30 tomorrow at 23:50", korea_instant(2025, 3, 8, 0, 30), korea_instant(2025, 3, 7, 23, 50), {ExpiryState::ExpiringSoon, 1}},
        {"30 days", korea_instant(2025, 4, 6, 0, 0, 1), noon, {ExpiryState::ExpiringSoon, 30}},
        {"31 days", korea_instant(2025, 4, 7, 1), noon, {ExpiryState::Valid, 31}},
        {"across Feb 29", korea_instant(2024, 3, 1, 12), korea_instant(2024, 2, 28, 12), {ExpiryState::ExpiringSoon, 2}},
        {"one year", korea_instant(2026, 3, 7, 12), noon, {ExpiryState::Valid, 365}},
        {"end at the far limit", k_max, noon, {ExpiryState::Valid, uint32_t(days_from_civil(30828, 9, 14) - 20154)}},
        {"now before 1601", 0, k_min, {ExpiryState::Valid, 134774}},
        {"both far out", k_max, k_min, {ExpiryState::Valid, uint32_t(days_from_civil(30828, 9, 14) + 134774)}},
        {"both clamped below", k_min + 1, k_min, {ExpiryState::ExpiringSoon, 0}},
    };
    for (const Case& c : k_cases) EXPECT_EQ(expiry_of(c.not_after, c.now), c.expected) << c.what;
}

TEST(ExpiryFromDates, EarlierEndDateThanTodayNeverGivesNegativeDays)
{
    // A later instant with an earlier local date (the clock turned back across midnight).
    EXPECT_EQ(expiry_from_dates(100, 50, {2025, 3, 6}, {2025, 3, 7}), (Expiry{ExpiryState::ExpiringSoon, 0}));
    EXPECT_EQ(expiry_from_dates(100, 100, {2025, 4, 30}, {2025, 3, 7}), (Expiry{ExpiryState::Expired, 0}));
}

TEST(StatusBadge, TextAndColourFollowStateAndDaysLeft)
{
    struct Case {
        Expiry expiry;
        Translate translate;
        const char* text;
        bool drawn;
        BadgeColour colour;
    };
    const BadgeColour none{};
    const BadgeColour red{0.8627451f, 0.14901961f, 0.14901961f, 1.0f};       // 220, 38, 38
    const BadgeColour orange{0.91764706f, 0.34509805f, 0.047058824f, 1.0f};  // 234, 88, 12
    const Case k_cases[] = {
        {{ExpiryState::Expired, 0}, in_english, "Expired", true, red},
        {{ExpiryState::Expired, 0}, in_korean, "만료됨", true, red},
        {{ExpiryState::ExpiringSoon, 0}, in_english, "Expires today", true, orange},
        {{ExpiryState::ExpiringSoon, 0}, in_korean, "오늘 만료", true, orange},
        {{ExpiryState::ExpiringSoon, 1}, in_english, "D-1", true, orange},
        {{ExpiryState::ExpiringSoon, 7}, in_korean, "D-7", true, orange},  // never translated
        {{ExpiryState::ExpiringSoon, 30}, in_english, "D-30", true, orange},
        {{ExpiryState::Valid, 31}, in_english, "D-31", false, none},
        {{ExpiryState::Valid, 365}, in_korean, "D-365", false, none},
    };
    for (const Case& c : k_cases) {
        const StatusBadge badge = status_badge(c.expiry, c.translate);
        EXPECT_EQ(badge.text, c.text);
        EXPECT_EQ(badge.drawn, c.drawn) << c.text;
        EXPECT_EQ(badge.colour, c.colour) << c.text;
    }
}

TEST(ValidityText, ShowsLocalDatesOfBothEnds)
{
    CertificateInfo info;
    info.not_before = korea_instant(2024, 3, 7);
    info.not_after = 1'741'273'200;  // 2025-03-06 15:00 UTC
    EXPECT_EQ(validity_text(info), "2024-03-07 ~ 2025-03-07");
    info.not_before = k_min;
    info.not_after = info.not_after - 1;
    EXPECT_EQ(validity_text(info), "1601-01-01 ~ 2025-03-06");
}

TEST(UntilText, PlacesLocalEndDateInTheLanguagesPattern)
{
    CertificateInfo info;
    info.not_after = 1'741'273'200;
    const std::pair<Translate, const char*> k_cases[] = {
        {in_english, "until 2025-03-07"},
        {in_korean, "2025-03-07 까지"},
    };
    for (const auto& [translate, text] : k_cases) EXPECT_EQ(until_text(info, translate), text);
}

TEST(ListSummary, CountsExpiredFromEndAndSoonIncludingToday)
{
    const int64_t now = korea_instant(2025, 3, 7, 12);
    const int64_t ends[] = {
        now,                                // expired at the boundary
        now - 1,                            // expired
        now + 1,                            // expires today
        korea_instant(2025, 4, 6, 23),      // 30 days: soon
        korea_instant(2025, 4, 7),          // 31 days: valid
        k_max,                              // valid
    };
    // The issuer check's verdicts are counted beside the dates, an expired certificate's too.
    const TrustState trusts[] = {TrustState::Damaged, TrustState::Licensed, TrustState::Test,
                                 TrustState::Licensed, TrustState::UnknownIssuer, TrustState::Damaged};
    std::vector<CertificateEntry> entries;
    for (size_t i = 0; i < std::size(ends); ++i) {
        CertificateEntry entry;
        entry.info.not_after = ends[i];
        entry.info.trust = trusts[i];
        entries.push_back(entry);
    }
    EXPECT_EQ(list_summary(entries, now), (ListSummary{3 - 1, 2, 2, 1, 1}));
    EXPECT_EQ(list_summary({}, now), (ListSummary{}));
    // Revoked and not yet expired: counted as revoked only, not as expiring soon; revoked and expired: expired.
    entries[1].revocation.state = entries[2].revocation.state = entries[5].revocation.state = RevocationState::Revoked;
    EXPECT_EQ(list_summary(entries, now), (ListSummary{3 - 2, 2, 2, 1, 1, 2}));
    EXPECT_TRUE(is_expired(entries[0].info, now));
    EXPECT_FALSE(is_expired(entries[2].info, now));
}

TEST(NowSeconds, AgreesWithTheCRuntimeClock)
{
    const int64_t before = static_cast<int64_t>(std::time(nullptr));
    const int64_t now = now_seconds();
    const int64_t after = static_cast<int64_t>(std::time(nullptr));
    EXPECT_GE(now, before - 1);
    EXPECT_LE(now, after + 1);
}

}  // namespace
