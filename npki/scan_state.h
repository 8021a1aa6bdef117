#pragma once

// The rules of the background scan that need no thread or window: when a request starts a scan,
// how requests during a scan collapse into one follow-up scan, and how the open certificate is
// found again in a new inventory.

#include "npki/inventory.h"
#include "npki/search.h"

#include <cstddef>
#include <optional>
#include <vector>

// As seen from the window thread: scanning means `scan_started` is set, pending means
// `rescan_pending` is set.
enum class ScanPhase { Idle, Scanning, ScanningPending };

ScanPhase scan_phase(bool scanning, bool rescan_pending);

struct ScanStep {
    ScanPhase next = ScanPhase::Idle;
    bool start_thread = false;  // a scan thread must be started now (with fresh roots)
};

// start_scan: from Idle a scan starts; during a scan the request is only remembered, and any number
// of requests are remembered as one.
ScanStep on_scan_requested(ScanPhase phase);
// A result arrives: the scan is over, and a remembered request starts the next scan at once.
ScanStep on_scan_result(ScanPhase phase);

// The entry of `new_entries` that is the same certificate as the selected old entry: issuer_dn and
// serial_hex equal byte for byte, the first such entry. Empty when nothing was selected, the old
// index is out of range, or the certificate has gone.
std::optional<size_t> keep_selection(std::optional<size_t> selection, std::optional<ListedEntries> old_entries,
                                     ListedEntries new_entries);
