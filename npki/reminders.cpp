#include "npki/reminders.h"

#include "base/text.h"
#include "x509/dates.h"
#include "x509/policy.h"

#include <algorithm>
#include <charconv>
#include <set>
#include <utility>

namespace {

struct ParsedLine {
    std::string sha256;
    int threshold = 0;
};

bool known_threshold(int threshold)
{
    return threshold == k_reminder_ended ||
           std::find(std::begin(k_reminder_thresholds), std::end(k_reminder_thresholds), threshold) !=
               std::end(k_reminder_thresholds);
}

// A line of 64 upper-case hex digits, one space and a known threshold; anything else is nothing.
std::optional<ParsedLine> parse_line(std::string_view line)
{
    if (line.size() < 66 || line[64] != ' ') return std::nullopt;
    const std::string_view sha = line.substr(0, 64);
    if (!std::all_of(sha.begin(), sha.end(), [](char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); }))
        return std::nullopt;
    const std::string_view number = line.substr(65);
    int threshold = 0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), threshold);
    if (error != std::errc{} || end != number.data() + number.size() || !known_threshold(threshold)) return std::nullopt;
    return ParsedLine{std::string(sha), threshold};
}

bool told(const std::vector<std::string>& reminded, std::string_view sha256, int threshold)
{
    const std::string line = reminded_line(sha256, threshold);
    return std::find(reminded.begin(), reminded.end(), line) != reminded.end();
}

// Days from now to the end: negative once it has passed.
int64_t signed_days(const ReminderStanding& standing)
{
    return standing.ended ? -standing.days : standing.days;
}

}  // namespace

std::string reminded_line(std::string_view sha256, int threshold)
{
    std::string line(sha256);
    line += ' ';
    line += std::to_string(threshold);
    return line;
}

std::optional<int> due_threshold(const ReminderStanding& standing, const std::vector<std::string>& reminded)
{
    if (standing.ended) {
        if (standing.days > k_reminder_ended_days || told(reminded, standing.sha256, k_reminder_ended))
            return std::nullopt;
        return k_reminder_ended;
    }
    std::optional<int> threshold;
    for (const int t : k_reminder_thresholds)
        if (standing.days <= t) threshold = t;  // the list runs downwards: the last match is the smallest
    if (!threshold || told(reminded, standing.sha256, *threshold)) return std::nullopt;
    return threshold;
}

ReminderPlan plan_reminders(const std::vector<ReminderStanding>& standings, const std::vector<std::string>& reminded)
{
    std::vector<std::string> clean;
    for (const std::string& line : reminded)
        if (parse_line(line)) clean.push_back(line);

    ReminderPlan plan;
    std::set<std::string> found;
    for (const ReminderStanding& standing : standings) {
        found.insert(standing.sha256);
        if (const std::optional<int> threshold = due_threshold(standing, clean)) {
            // Two copies of one certificate in the list would be told once.
            const bool already = std::any_of(plan.due.begin(), plan.due.end(), [&](const DueReminder& due) {
                return due.standing.sha256 == standing.sha256;
            });
            if (!already) plan.due.push_back({standing, *threshold});
        }
    }
    std::stable_sort(plan.due.begin(), plan.due.end(), [](const DueReminder& a, const DueReminder& b) {
        return signed_days(a.standing) < signed_days(b.standing);
    });
    for (const std::string& line : clean)
        if (found.contains(line.substr(0, 64)) &&
            std::find(plan.reminded.begin(), plan.reminded.end(), line) == plan.reminded.end())
            plan.reminded.push_back(line);
    for (const DueReminder& due : plan.due) plan.reminded.push_back(reminded_line(due.standing.sha256, due.threshold));
    return plan;
}

std::string reminder_message(const std::vector<DueReminder>& due, Translate translate)
{
    if (due.empty()) return {};
    const ReminderStanding& first = due.front().standing;
    if (due.size() == 1) {
        if (first.ended)
            return fill_placeholders(translate({"{0}의 공동인증서({1})가 {2}에 만료되었습니다.",
                                                "{0}'s certificate ({1}) ended on {2}."}),
                                     {first.holder, first.issuer, first.end_date});
        if (first.days == 0)
            return fill_placeholders(translate({"{0}의 공동인증서({1})가 오늘 만료됩니다.",
                                                "{0}'s certificate ({1}) ends today."}),
                                     {first.holder, first.issuer});
        if (first.days == 1)
            return fill_placeholders(translate({"{0}의 공동인증서({1})가 내일({2}) 만료됩니다.",
                                                "{0}'s certificate ({1}) ends tomorrow, on {2}."}),
                                     {first.holder, first.issuer, first.end_date});
        const std::string days = std::to_string(first.days);
        return fill_placeholders(translate({"{0}의 공동인증서({1})가 {2}일 뒤인 {3}에 만료됩니다.",
                                            "{0}'s certificate ({1}) ends in {2} days, on {3}."}),
                                 {first.holder, first.issuer, days, first.end_date});
    }
    int64_t longest = 0;
    bool any_ended = false;
    for (const DueReminder& d : due) {
        if (d.standing.ended) any_ended = true;
        else longest = std::max(longest, d.standing.days);
    }
    const std::string count = std::to_string(due.size());
    if (longest <= 1)
        return fill_placeholders(translate({"공동인증서 {0}개가 만료되었거나 내일까지 만료됩니다. 가장 먼저 만료: {1}, {2}",
                                            "{0} certificates have ended or end by tomorrow. The first: {1}, on {2}."}),
                                 {count, first.holder, first.end_date});
    const std::string days = std::to_string(longest);
    // The first named is the soonest, which is an ended one whenever there is one: the sentence then
    // says that some have ended, or it would name a past date as a coming end.
    if (any_ended)
        return fill_placeholders(translate({"공동인증서 {0}개가 만료되었거나 {1}일 안에 만료됩니다. 가장 먼저 만료: {2}, {3}",
                                            "{0} certificates have ended or end within {1} days. The first: {2}, on {3}."}),
                                 {count, days, first.holder, first.end_date});
    return fill_placeholders(translate({"공동인증서 {0}개가 {1}일 안에 만료됩니다. 가장 먼저 만료: {2}, {3}",
                                        "{0} certificates end within {1} days. The first: {2}, on {3}."}),
                             {count, days, first.holder, first.end_date});
}

std::vector<ReminderStanding> reminder_standings(const std::vector<CertificateEntry>& entries, int64_t now)
{
    std::vector<ReminderStanding> standings;
    const LocalDate today = local_date_of(now);
    for (const CertificateEntry& entry : entries) {
        const CertificateInfo& info = entry.info;
        if (info.sha256_hex.empty()) continue;
        const LocalDate end = local_date_of(info.not_after);
        ReminderStanding standing;
        standing.sha256 = info.sha256_hex;
        standing.ended = is_expired(info, now);
        const int64_t apart = days_from_civil(end.year, end.month, end.day) -
                              days_from_civil(today.year, today.month, today.day);
        // The window's own rule for days left; after the end, calendar days since it.
        standing.days = standing.ended ? std::max<int64_t>(-apart, 0) : expiry_of(info.not_after, now).days_left;
        // Shown in a notification: a control in a name may neither break its lines nor reorder them.
        standing.holder = with_controls_replaced(holder_name(info.subject_cn));
        standing.issuer = with_controls_replaced(issuer_display_name(info, first_copy_of(entry)));
        standing.end_date = date_text(end);
        standings.push_back(std::move(standing));
    }
    return standings;
}
