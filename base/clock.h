#pragma once

// Seconds from the high-resolution performance counter; only differences mean anything.
double monotonic_seconds();

// Where a component reads the monotonic clock from, so that a test can step time itself.
using MonotonicClock = double (*)();
