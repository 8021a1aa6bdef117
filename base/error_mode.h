#pragma once

// The first thing each of the two programs does.
//
// Touching an empty card reader or floppy letter (drive enumeration, a search root on it) would
// otherwise make Windows show "There is no disk in the drive" and block the scan until someone
// dismisses it, on every rescan. With SEM_FAILCRITICALERRORS the call fails with an error code
// instead, which the scan treats as an unreadable place.

// Adds SEM_FAILCRITICALERRORS to the process's error mode, keeping whatever else is set.
void fail_critical_errors_quietly();
