#include "x509/dates.h"

#include <algorithm>
#include <limits>

int64_t seconds_from_ticks(uint64_t ticks)
{
    if (ticks < k_windows_to_unix_ticks) return 0;  // a clock before 1970 is not worth a negative time
    return static_cast<int64_t>((ticks - k_windows_to_unix_ticks) / k_ticks_per_second);
}

uint64_t ticks_from_seconds(int64_t seconds)
{
    // Compare before adding or multiplying: the inputs may be anywhere in int64.
    constexpr int64_t k_last_second = static_cast<int64_t>(k_max_file_time_ticks / k_ticks_per_second);
    if (seconds <= -k_windows_to_unix_seconds) return 0;  // before 1601: tick 0
    if (seconds >= k_last_second - k_windows_to_unix_seconds) return k_max_file_time_ticks;
    const int64_t since_1601 = seconds + k_windows_to_unix_seconds;
    return static_cast<uint64_t>(since_1601) * k_ticks_per_second;
}

int64_t days_from_civil(int64_t year, uint32_t month, uint32_t day)
{
    // Counted from 0000-03-01 in 400-year eras so that the leap day falls at the end of each year.
    const int64_t y = year - (month <= 2 ? 1 : 0);
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t year_of_era = y - era * 400;
    const int64_t m = month;
    const int64_t day_of_year = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + static_cast<int64_t>(day) - 1;
    const int64_t day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
    return era * 146097 + day_of_era - 719468;
}

std::string date_text(LocalDate date)
{
    const auto two_digits = [](uint32_t value) {
        std::string text = std::to_string(value);
        return text.size() < 2 ? "0" + text : text;
    };
    return std::to_string(date.year) + "-" + two_digits(date.month) + "-" + two_digits(date.day);
}

Expiry expiry_from_dates(int64_t not_after, int64_t now, LocalDate end_date, LocalDate today)
{
    if (not_after <= now) return {ExpiryState::Expired, 0};  // the boundary instant already counts as expired
    const int64_t days = days_from_civil(end_date.year, end_date.month, end_date.day) -
                         days_from_civil(today.year, today.month, today.day);
    // A clock turned back across midnight can give a later instant an earlier date: never report
    // negative days.
    const int64_t left = std::clamp<int64_t>(days, 0, std::numeric_limits<uint32_t>::max());
    return {days >= k_soon_threshold_days ? ExpiryState::Valid : ExpiryState::ExpiringSoon,
            static_cast<uint32_t>(left)};
}

Expiry expiry_of(int64_t not_after, int64_t now)
{
    if (not_after <= now) return {ExpiryState::Expired, 0};
    return expiry_from_dates(not_after, now, local_date_of(not_after), local_date_of(now));
}

StatusBadge status_badge(Expiry expiry, Translate translate)
{
    switch (expiry.state) {
    case ExpiryState::Expired: return {std::string{translate({"만료됨", "Expired"})}, true, k_expired_colour};
    case ExpiryState::ExpiringSoon:
        if (expiry.days_left == 0) return {std::string{translate({"오늘 만료", "Expires today"})}, true, k_soon_colour};
        return {"D-" + std::to_string(expiry.days_left), true, k_soon_colour};
    case ExpiryState::Valid: break;
    }
    return {"D-" + std::to_string(expiry.days_left), false, {}};
}

std::string validity_text(const CertificateInfo& info)
{
    return date_text(local_date_of(info.not_before)) + " ~ " + date_text(local_date_of(info.not_after));
}

std::string until_text(const CertificateInfo& info, Translate translate)
{
    return fill_placeholders(translate({"{0} 까지", "until {0}"}), {date_text(local_date_of(info.not_after))});
}

bool is_expired(const CertificateInfo& info, int64_t now)
{
    return now >= info.not_after;
}
