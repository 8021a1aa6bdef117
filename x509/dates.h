#pragma once

// Validity by calendar date in the user's time zone. A certificate ends at an instant, but people count
// days on the calendar: one ending at 00:30 tomorrow has a day left even at 23:50 today. Everything is
// computed afresh from the stored seconds and one reading of the clock per repaint; only `now_seconds`
// and `local_date_of` touch Windows, the rest is plain arithmetic.

#include "base/file_time.h"
#include "x509/certificate.h"
#include "x509/translate.h"

#include <cstdint>
#include <string>

// The largest FILETIME that FileTimeToSystemTime converts (30828-09-14); a larger value has the sign bit set.
inline constexpr uint64_t k_max_file_time_ticks = 0x7FFF'FFFF'FFFF'FFFF;
// Fewer whole days left than this counts as expiring soon.
inline constexpr int64_t k_soon_threshold_days = 31;

struct LocalDate {
    uint32_t year = 1970;
    uint32_t month = 1;  // 1-12
    uint32_t day = 1;    // 1-31
    bool operator==(const LocalDate&) const = default;
};

enum class ExpiryState : uint8_t { Expired, ExpiringSoon, Valid };

struct Expiry {
    ExpiryState state = ExpiryState::Expired;
    uint32_t days_left = 0;
    bool operator==(const Expiry&) const = default;
};

struct BadgeColour {
    float red = 0;
    float green = 0;
    float blue = 0;
    float alpha = 0;
    bool operator==(const BadgeColour&) const = default;
};

inline constexpr BadgeColour k_expired_colour{220.0f / 255.0f, 38.0f / 255.0f, 38.0f / 255.0f, 1.0f};
inline constexpr BadgeColour k_soon_colour{234.0f / 255.0f, 88.0f / 255.0f, 12.0f / 255.0f, 1.0f};

struct StatusBadge {
    std::string text;
    bool drawn = false;  // as a coloured badge; otherwise the text is shown plain
    BadgeColour colour;  // meaningful only when drawn
};

// --- the clock and the time zone (Windows) ---

// Seconds since 1970-01-01 UTC from the precise system clock; 0 for a clock set before 1970.
int64_t now_seconds();
// The calendar date of an instant in the current time zone. Instants before 1601 give 1601-01-01 (the
// local date of tick 0); a date the system cannot convert gives 1970-01-01.
LocalDate local_date_of(int64_t seconds);

// --- pure arithmetic ---

// FILETIME ticks to Unix seconds, whole seconds rounded down; 0 before 1970.
int64_t seconds_from_ticks(uint64_t ticks);
// Unix seconds to FILETIME ticks, clamped to [1601-01-01, the last convertible tick]; never overflows.
uint64_t ticks_from_seconds(int64_t seconds);
// Day number in the proleptic Gregorian calendar, 0 on 1970-01-01 (negative before).
int64_t days_from_civil(int64_t year, uint32_t month, uint32_t day);

// "2025-03-07"; the year without leading zeros ("999-01-05"), month and day always two digits.
std::string date_text(LocalDate date);

// The expiry of an instant `not_after` at `now`, given the local dates of both.
Expiry expiry_from_dates(int64_t not_after, int64_t now, LocalDate end_date, LocalDate today);
// The expiry of `not_after` at `now`, by calendar days in the current time zone.
Expiry expiry_of(int64_t not_after, int64_t now);

// "만료됨"/"Expired", "오늘 만료"/"Expires today" or "D-n"; coloured while expired or expiring soon.
StatusBadge status_badge(Expiry expiry, Translate translate = &tr);

// "2024-03-07 ~ 2025-03-07" in local dates.
std::string validity_text(const CertificateInfo& info);
// "until 2025-03-07" in the current language.
std::string until_text(const CertificateInfo& info, Translate translate = &tr);

// Expired means now has reached the end: the same test the summary and the clean-up use.
bool is_expired(const CertificateInfo& info, int64_t now);
