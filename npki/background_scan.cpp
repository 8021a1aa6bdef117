#include "npki/background_scan.h"

#include "app/messages.h"
#include "app/window_logic.h"
#include "app/window_proc.h"
#include "base/clock.h"
#include "base/handle.h"
#include "npki/scan_state.h"
#include "npki/scanner.h"
#include "npki/search_roots.h"

#include <memory>
#include <utility>
#include <vector>

#include <windows.h>

namespace {

// Everything the scan thread works on, owned by it: it outlives any window state.
struct ScanJob {
    std::vector<Path> roots;
    HWND hwnd = nullptr;
};

// The window waits for this message before it can start another scan, so a post refused because the
// thread's queue is full is tried again for a while; a window that is gone needs nothing.
void post_scan_done(HWND hwnd)
{
    constexpr int k_attempts = 50;
    constexpr DWORD k_retry_ms = 100;
    for (int attempt = 0; attempt < k_attempts; ++attempt) {
        if (PostMessageW(hwnd, WM_APP_SCAN_DONE, 0, 0) || !IsWindow(hwnd)) return;
        Sleep(k_retry_ms);
    }
    // Given up: the outcome waits in the slot for the next WM_APP_SCAN_DONE.
}

DWORD WINAPI scan_thread_main(void* parameter)
{
    std::unique_ptr<ScanJob> job(static_cast<ScanJob*>(parameter));  // adopted: freed when the thread ends
    try {
        ScanOutcome outcome;
        try {
            outcome.inventory = run_scan(job->roots);
            outcome.completed = true;
        } catch (...) {
            outcome = ScanOutcome{};  // reported as unfinished below
        }
        pending_scan_result().put(std::move(outcome));
    } catch (...) {
        // The slot's lock failed: there is nothing to hand over, and no way to report it.
    }
    post_scan_done(job->hwnd);
    return 0;
}

// Back to Idle: no scan runs, no searching tick.
void end_scan(WindowState& state)
{
    state.scan_started.reset();
    KillTimer(state.hwnd, TIMER_SCANNING);
}

}  // namespace

Slot<ScanOutcome>& pending_scan_result()
{
    static Slot<ScanOutcome> slot;
    return slot;
}

void start_scan(WindowState& state)
{
    const ScanStep step = on_scan_requested(scan_phase(state.scan_started.has_value(), state.rescan_pending));
    if (!step.start_thread) {
        state.rescan_pending = true;  // the running scan is never interrupted
        return;
    }
    state.scan_started = monotonic_seconds();
    try {
        // The roots are collected here, on the window thread, so the drives and added folders are
        // those of this moment; the thread gets its own copy.
        auto job = std::make_unique<ScanJob>(ScanJob{collect_search_roots(state.command_line_roots), state.hwnd});
        UniqueKernelHandle thread(CreateThread(nullptr, 0, scan_thread_main, job.get(), 0, nullptr));
        if (!thread) {
            end_scan(state);  // the job is still ours and freed here; a later request may try again
            return;
        }
        job.release();  // now owned by the thread; closing our handle detaches it
    } catch (...) {
        end_scan(state);
        return;
    }
    SetTimer(state.hwnd, TIMER_SCANNING, k_scanning_tick_ms, nullptr);
    repaint(state.hwnd);  // the searching state shows at once
}

void on_scan_done(WindowState& state)
{
    std::optional<ScanOutcome> outcome = pending_scan_result().take();
    if (!outcome) return;  // already taken by an earlier message
    if (outcome->completed) {
        const std::vector<CertificateEntry>* old_entries = state.entries ? &*state.entries : nullptr;
        state.selection = keep_selection(state.selection, old_entries, outcome->inventory.entries);
        state.entries = std::move(outcome->inventory.entries);
        state.folders_checked = outcome->inventory.folders_checked;
    }
    const ScanStep step = on_scan_result(scan_phase(state.scan_started.has_value(), state.rescan_pending));
    end_scan(state);
    state.rescan_pending = false;
    state.list_scroll = clamp_scroll(state.list_scroll, largest_list_offset(state));
    repaint(state.hwnd);
    if (step.start_thread) start_scan(state);
}
