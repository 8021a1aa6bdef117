#pragma once

// The first thing each of the two programs does.
//
// Touching an empty card reader or floppy letter (drive enumeration, a search root on it) would
// otherwise make Windows show "There is no disk in the drive" and block the scan until someone
// dismisses it, on every rescan. With SEM_FAILCRITICALERRORS the call fails with an error code
// instead, which the scan treats as an unreadable place.

// Adds SEM_FAILCRITICALERRORS to the process's error mode, keeping whatever else is set.
void fail_critical_errors_quietly();

// Every DLL loaded from now on comes from System32 only, never from the program's own folder or the
// current folder: a copy of a program run from Downloads or a USB stick must not load a crypt32.dll
// or a d2d1.dll that someone placed beside it. This covers the DLLs loaded later (by COM, by the
// system's own DLLs, by delay-loading): the ones in the import table are resolved by the loader before
// any code of the program runs.
void load_libraries_from_system32_only();
