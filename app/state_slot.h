#pragma once

// The window thread's one application state, lent to a single message handler at a time.
//
// A handler takes the state for the length of its message. A message that arrives while it is held
// (re-entered from a modal loop or a SendMessage further up the same thread) finds it busy and must
// not touch it, so no handler ever sees the state change under its feet. Window thread only: no lock.

#include <optional>
#include <utility>

enum class SlotAccess { Absent, Busy, Taken };

template <class T>
class StateSlot {
public:
    // Grants the state until it goes out of scope; when the state is absent or busy it grants nothing.
    class Lease {
    public:
        Lease(const Lease&) = delete;
        Lease& operator=(const Lease&) = delete;
        ~Lease() { release(); }

        SlotAccess access() const { return access_; }
        explicit operator bool() const { return access_ == SlotAccess::Taken; }
        T& operator*() const { return *slot_->value_; }
        T* operator->() const { return &*slot_->value_; }

        // Gives the state back early, before a modal loop or a call that sends messages to the window.
        void release()
        {
            if (access_ != SlotAccess::Taken) return;
            access_ = SlotAccess::Absent;
            slot_->taken_ = false;
            if (slot_->discard_on_release_) {
                slot_->discard_on_release_ = false;
                slot_->value_.reset();
            }
        }

    private:
        friend class StateSlot;
        Lease(StateSlot* slot, SlotAccess access) : slot_(slot), access_(access) {}
        StateSlot* slot_;
        SlotAccess access_;
    };

    Lease take()
    {
        if (!value_ || discard_on_release_) return Lease(this, SlotAccess::Absent);
        if (taken_) return Lease(this, SlotAccess::Busy);
        taken_ = true;
        return Lease(this, SlotAccess::Taken);
    }

    // Start-up puts the state in once; a second fill while a handler holds the state is refused.
    bool fill(T value)
    {
        if (taken_) return false;
        discard_on_release_ = false;
        value_.emplace(std::move(value));
        return true;
    }

    // The window is going away: the state is destroyed now, or, when a handler further up still holds
    // it, the moment that handler lets go, so that nothing is freed under a running handler.
    void discard()
    {
        if (taken_) {
            discard_on_release_ = true;
            return;
        }
        value_.reset();
    }

    bool filled() const { return value_.has_value() && !discard_on_release_; }

private:
    std::optional<T> value_;
    bool taken_ = false;
    bool discard_on_release_ = false;
};
