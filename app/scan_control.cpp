#include "app/scan_control.h"

#include "app/messages.h"
#include "app/window_logic.h"
#include "app/shell.h"
#include "gfx/focus.h"
#include "gfx/view_elements.h"
#include "npki/scan_state.h"
#include "npki/scan_thread.h"
#include "npki/search_roots.h"

#include <optional>
#include <utility>
#include <vector>

#include <windows.h>

namespace {

// Back to Idle: no scan runs, no searching tick.
void end_scan(WindowState& state)
{
    state.scan_started.reset();
    KillTimer(state.hwnd, TIMER_SCANNING);
}

}  // namespace

bool pane_was_open(std::optional<ListedEntries> entries, std::optional<size_t> selection)
{
    return entries && selection && *selection < entries->size();
}

void queue_structure_change(WindowState& state, const ViewShape& shape, bool listed_before, bool pane_before)
{
    const std::optional<ListedEntries> entries = state.listed_entries();
    using Structure = UiaEventQueue::Structure;
    if (shape.pane) {
        const ElementRef pane = element_ref(shape, entries, ElementKey{ElementKind::Pane});
        state.uia_events.structure = {pane, pane_before ? Structure::ChildrenChanged : Structure::Added};
        return;
    }
    const ElementRef list = element_ref(shape, entries, ElementKey{ElementKind::List});
    // A list shown before (and not hidden by a pane) changed its cards; otherwise it appeared.
    state.uia_events.structure = {list, listed_before && !pane_before ? Structure::ChildrenChanged : Structure::Added};
}

void watch_roots(WindowState& state, const std::vector<Path>& roots)
{
    std::vector<WatchTarget> targets = watch_targets_for(roots);
    if (state.folder_watcher && state.folder_watcher->targets() == targets) return;
    state.folder_watcher.reset();  // its thread ends before the next one starts
    state.folder_watcher = FolderWatcher::start(std::move(targets), state.hwnd, WM_APP_FOLDER_CHANGED);
}

void on_folder_changed(WindowState& state)
{
    // The program's own copy or recycle keeps its quicker rescan.
    if (state.quick_rescan_pending) return;
    const std::optional<uint32_t> delay =
        folder_rescan_delay_ms(state.clock(), state.folder_rescan_due, state.last_scan_started, k_device_rescan_delay_ms);
    if (!delay) return;
    state.folder_rescan_due = true;
    SetTimer(state.hwnd, TIMER_RESCAN, std::max<uint32_t>(*delay, USER_TIMER_MINIMUM), nullptr);
}

void start_scan(WindowState& state)
{
    const ScanStep step = on_scan_requested(scan_phase(state.scan_started.has_value(), state.rescan_pending));
    if (!step.start_thread) {
        state.rescan_pending = true;  // the running scan is never interrupted
        return;
    }
    state.scan_started = state.clock();
    state.last_scan_started = state.scan_started;
    bool started = false;
    try {
        // The roots are collected here, on the window thread, so the drives and added folders are
        // those of this moment; the thread gets its own copy.
        std::vector<Path> roots = collect_search_roots(state.command_line_roots);
        watch_roots(state, roots);
        UniqueKernelHandle armed = state.folder_watcher ? state.folder_watcher->armed_event() : UniqueKernelHandle{};
        started = start_scan_thread(std::move(roots), state.hwnd, WM_APP_SCAN_DONE, std::move(armed));
    } catch (...) {
        started = false;
    }
    if (!started) {
        end_scan(state);  // a later request may try again
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
        // The old listing, kept until focus and selection have been carried over to the new one.
        const std::optional<std::vector<CertificateEntry>> old_entries = std::move(state.entries);
        const ListFilter old_filter = state.filter;
        std::optional<ListedEntries> old;
        if (old_entries) old.emplace(*old_entries, old_filter);
        const std::optional<size_t> old_selection = state.selection;
        const bool pane_before = pane_was_open(old, old_selection);
        // The open certificate in the new list stays listed whatever the search field holds.
        const std::optional<size_t> keep = keep_selection(old_selection, old, outcome->inventory.entries);
        state.search_keys = std::move(outcome->search_keys);
        state.revocation_results.apply(outcome->inventory.entries);
        state.entries = std::move(outcome->inventory.entries);
        const size_t count = state.entries->size();
        relist(state.filter, count, state.search_keys, keep);
        // A query typed before the first result applies now.
        if (!state.filter.active) set_list_query(state.filter, count, state.search_keys, std::string(state.filter.query), keep);
        state.selection = keep ? listed_index(state.filter, *keep) : std::nullopt;
        state.folders_checked = outcome->inventory.folders_checked;
        const ViewShape shape = view_shape(state);
        focus_on(state, focus_after_scan(state.focus, old_selection, old, *state.listed_entries(), shape));
        queue_structure_change(state, shape, old.has_value(), pane_before);
    }
    const ScanStep step = on_scan_result(scan_phase(state.scan_started.has_value(), state.rescan_pending));
    end_scan(state);
    state.rescan_pending = false;
    state.list_scroll = clamp_scroll(state.list_scroll, largest_list_offset(state));
    // The open certificate may have gained or lost copies, and with them rows.
    state.detail_scroll = clamp_scroll(state.detail_scroll, largest_detail_offset(state));
    repaint(state.hwnd);
    if (step.start_thread) start_scan(state);
}

void apply_file_outcome(HWND hwnd, const FileOpOutcome& outcome)
{
    // The rescan timer needs no state; two operations in a row restart it and give one scan.
    if (outcome.rescan == Rescan::Soon) SetTimer(hwnd, TIMER_RESCAN, k_file_rescan_delay_ms, nullptr);
    auto state = window_state_slot().take();
    if (!state) return;
    if (outcome.rescan == Rescan::Soon) state->quick_rescan_pending = true;
    if (outcome.close_detail && state->selection) close_detail(*state);
    if (outcome.notice) show_notice(*state, *outcome.notice);
    if (outcome.rescan == Rescan::Now) start_scan(*state);
}
