#pragma once

// Whether a reminder was really seen, and what the reminder run does next, as the notification area
// and the session report what happens. Pure: the run feeds it events and follows its steps.
// A threshold is recorded only once its notification was shown or clicked: a notification that never
// came up (no taskbar yet at logon, Explorer restarting, a locked PC, Focus Assist holding it back)
// is told again at the next run.

#include <cstdint>

enum class TrayEvent : uint8_t {
    AddFailed,  // NIM_ADD refused: the notification area is not there (yet)
    Added,      // the icon is there and its notification asked for
    Shown,      // NIN_BALLOONSHOW: the notification came up
    Clicked,    // NIN_BALLOONUSERCLICK, or a click on the icon
    TimedOut,   // NIN_BALLOONTIMEOUT: it went unclicked
    Locked,     // WTS_SESSION_LOCK
    Unlocked,   // WTS_SESSION_UNLOCK
    TimeUp,     // the run's own limit (the task's is five minutes)
};

enum class TrayStep : uint8_t {
    AddIcon,     // add the icon with its notification now
    RetryLater,  // add it again after k_add_retry_ms
    Wait,        // wait for the next event
    End,         // take the icon away and end the run
};

// NIM_ADD is tried this many times, k_add_retry_ms apart: about the first minute after logon, while
// the taskbar may not exist yet.
inline constexpr int k_add_attempts = 7;
inline constexpr uint32_t k_add_retry_ms = 10'000;

class ReminderDelivery {
public:
    // `locked`: the session was locked when the run began; the notification then waits for the unlock.
    explicit ReminderDelivery(bool locked) : locked_(locked) {}

    TrayStep start() const { return locked_ ? TrayStep::Wait : TrayStep::AddIcon; }
    TrayStep on(TrayEvent event);

    // Shown or clicked: what it told may be recorded as told.
    bool seen() const { return seen_; }
    // The icon is in the notification area.
    bool added() const { return added_; }

private:
    bool locked_ = false;
    bool added_ = false;
    bool seen_ = false;
    int failed_adds_ = 0;
    bool retry_pending_ = false;  // an add failed while the session was locked: try at the unlock
};
