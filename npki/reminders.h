#pragma once

// Reminders before certificates end. Pure decisions: which certificates are due for a reminder on
// this run, the "Reminded" lines that keep each (certificate, threshold) from being told twice, and
// the one notification text of a run. `reminder_standings` alone reads the time zone.

#include "npki/inventory.h"
#include "x509/translate.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Days left at which a certificate is told about, largest first; 0 is the day it ends.
inline constexpr int k_reminder_thresholds[] = {30, 14, 7, 3, 1, 0};
// The threshold of the one reminder after the end, told only within a week of it.
inline constexpr int k_reminder_ended = -1;
inline constexpr int64_t k_reminder_ended_days = 7;

// Where one certificate stands today, by calendar days in the user's time zone.
struct ReminderStanding {
    std::string sha256;      // the certificate's SHA-256, upper-case hex
    bool ended = false;      // its end has passed
    int64_t days = 0;        // days left (0: ends today), or days since the end when it has ended
    std::string holder;      // as lists show it
    std::string issuer;      // the CA's display name
    std::string end_date;    // "2025-03-07"
};

struct DueReminder {
    ReminderStanding standing;
    int threshold = 0;
};

struct ReminderPlan {
    std::vector<DueReminder> due;       // the soonest end first
    std::vector<std::string> reminded;  // the new "Reminded" lines
};

// The threshold due for a certificate given what was told already, if any: the smallest threshold
// not below its days left (a run missed while the PC was off is made up once, at the next one), or
// the ended reminder within a week of the end.
std::optional<int> due_threshold(const ReminderStanding& standing, const std::vector<std::string>& reminded);

// One run: what is due, and "Reminded" afterwards: the old lines of certificates still found (other
// lines, and lines that are not "SHA256 threshold", are dropped) plus the lines of what is told now.
ReminderPlan plan_reminders(const std::vector<ReminderStanding>& standings, const std::vector<std::string>& reminded);

// "SHA256 threshold".
std::string reminded_line(std::string_view sha256, int threshold);

// The notification's text: one certificate by name, several counted with the first of them.
std::string reminder_message(const std::vector<DueReminder>& due, Translate translate = &tr);

// The standings of a scan's certificates at `now` (reads the time zone).
std::vector<ReminderStanding> reminder_standings(const std::vector<CertificateEntry>& entries, int64_t now);
