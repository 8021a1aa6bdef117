#include "npki/scan_state.h"

ScanPhase scan_phase(bool scanning, bool rescan_pending)
{
    if (!scanning) return ScanPhase::Idle;  // a pending flag without a running scan has nothing to wait for
    return rescan_pending ? ScanPhase::ScanningPending : ScanPhase::Scanning;
}

ScanStep on_scan_requested(ScanPhase phase)
{
    switch (phase) {
    case ScanPhase::Idle: return {ScanPhase::Scanning, true};
    case ScanPhase::Scanning:
    case ScanPhase::ScanningPending: return {ScanPhase::ScanningPending, false};
    }
    return {phase, false};
}

ScanStep on_scan_result(ScanPhase phase)
{
    switch (phase) {
    case ScanPhase::Idle:
    case ScanPhase::Scanning: return {ScanPhase::Idle, false};
    case ScanPhase::ScanningPending: return {ScanPhase::Scanning, true};
    }
    return {ScanPhase::Idle, false};
}

std::optional<size_t> keep_selection(std::optional<size_t> selection, std::optional<ListedEntries> old_entries,
                                     ListedEntries new_entries)
{
    if (!selection || !old_entries || *selection >= old_entries->size()) return std::nullopt;
    const CertificateInfo& open = (*old_entries)[*selection].info;
    for (size_t i = 0; i < new_entries.size(); ++i) {
        const CertificateInfo& candidate = new_entries[i].info;
        // Exact bytes on purpose: the pane stays on precisely the certificate it showed.
        if (candidate.issuer_dn == open.issuer_dn && candidate.serial_hex == open.serial_hex) return i;
    }
    return std::nullopt;
}
