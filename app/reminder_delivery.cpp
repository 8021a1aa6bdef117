#include "app/reminder_delivery.h"

TrayStep ReminderDelivery::on(TrayEvent event)
{
    switch (event) {
    case TrayEvent::AddFailed:
        if (++failed_adds_ >= k_add_attempts) return TrayStep::End;
        if (locked_) {
            retry_pending_ = true;
            return TrayStep::Wait;
        }
        return TrayStep::RetryLater;
    case TrayEvent::Added:
        added_ = true;
        return TrayStep::Wait;
    case TrayEvent::Shown:
        seen_ = true;
        return TrayStep::Wait;
    case TrayEvent::Clicked:
        seen_ = true;
        return TrayStep::End;
    case TrayEvent::TimedOut:
        // Gone unclicked. Shown first, it was seen; never shown (Windows dropped it), nothing is recorded.
        return TrayStep::End;
    case TrayEvent::Locked:
        locked_ = true;
        return TrayStep::Wait;
    case TrayEvent::Unlocked:
        locked_ = false;
        if (!added_ || retry_pending_) {
            retry_pending_ = false;
            return TrayStep::AddIcon;
        }
        return TrayStep::Wait;
    case TrayEvent::TimeUp: return TrayStep::End;
    }
    return TrayStep::End;
}
