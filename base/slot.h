#pragma once

#include <mutex>
#include <optional>
#include <utility>

// Hand-over of one result from a background thread to the window thread. The newest value wins;
// the mutex is held only for the put or the take, never while UI is shown.
template <class T>
class Slot {
public:
    void put(T value)
    {
        std::lock_guard lock(mutex_);
        value_ = std::move(value);
    }
    std::optional<T> take()
    {
        std::lock_guard lock(mutex_);
        return std::exchange(value_, std::nullopt);
    }

private:
    std::mutex mutex_;
    std::optional<T> value_;
};
