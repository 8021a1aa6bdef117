#pragma once

// Seconds from the high-resolution performance counter; only differences mean anything.
double monotonic_seconds();
