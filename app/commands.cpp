#include "app/commands.h"

#include "app/messages.h"
#include "app/revocation_control.h"
#include "app/scan_control.h"
#include "app/search_field.h"
#include "app/settings_menu.h"
#include "app/shell.h"
#include "fileops/file_ops.h"
#include "gfx/clipboard.h"
#include "gfx/detail_pane.h"
#include "gfx/hit_test.h"
#include "i18n/catalogue.h"
#include "x509/dates.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace {

// A text to put on the clipboard and the notice that says so.
struct ClipboardCopy {
    std::string text;
    std::string notice;
};

std::optional<ClipboardCopy> detail_row_copy(const WindowState& state, uint64_t row)
{
    if (!state.selection) return std::nullopt;
    const std::vector<DetailRow> rows = detail_rows(state, *state.selection);
    if (row >= rows.size()) return std::nullopt;
    return ClipboardCopy{rows[row].value, copied_notice(rows[row].label)};
}

std::optional<ClipboardCopy> copy_all_copy(const WindowState& state)
{
    if (!state.selection) return std::nullopt;
    const std::vector<DetailRow> rows = detail_rows(state, *state.selection);
    if (rows.empty()) return std::nullopt;
    return ClipboardCopy{copy_all_text(rows), std::string(tr({"자세한 정보를 모두 복사했습니다", "Copied all details"}))};
}

bool starts_revocation_check(const WindowState& state, uint64_t row)
{
    if (!state.selection || *state.selection >= state.listed_count()) return false;
    return row_starts_revocation_check(state.listed(*state.selection), row, state.revocation_checking);
}

// The clipboard is opened with the state released: emptying it sends our own window a message.
void put_on_clipboard(HWND hwnd, std::optional<ClipboardCopy> copy)
{
    if (!copy) return;
    if (copy_to_clipboard(hwnd, copy->text)) show_notice(std::move(copy->notice));  // a failure shows nothing
}

// A card button: the entry is copied out while the state is held (its index may be stale by now),
// then the command runs with the state released.
void run_card_button(HWND hwnd, const HitTarget& target, float x, float y)
{
    std::optional<CertificateEntry> entry;
    std::vector<Path> command_line_roots;
    {
        auto state = window_state_slot().take();
        if (!state || target.index >= state->listed_count()) return;
        entry = state->listed(target.index);
        command_line_roots = state->command_line_roots;
    }
    switch (target.action) {
    case CardAction::Copy: apply_file_outcome(hwnd, copy_entry(hwnd, x, y, entry->copies, command_line_roots)); break;
    case CardAction::OpenFolder: apply_file_outcome(hwnd, open_entry_folder(hwnd, x, y, entry->copies)); break;
    case CardAction::Recycle: apply_file_outcome(hwnd, recycle_entry(hwnd, x, y, *entry)); break;
    }
}

void run_clean_up(HWND hwnd)
{
    std::vector<CertificateEntry> entries;
    {
        auto state = window_state_slot().take();
        if (!state || !state->whole_entries()) return;
        entries = *state->whole_entries();  // the expired ones a search hides too, as the button counts them
    }
    apply_file_outcome(hwnd, clean_up_expired(hwnd, entries, now_seconds()));
}

// Commands that act on the state at once, without modal UI.
void run_in_state(const HitTarget& target)
{
    auto state = window_state_slot().take();
    if (!state) return;
    switch (target.kind) {
    case HitKind::Refresh: start_scan(*state); break;
    case HitKind::Card: open_detail(*state, target.index); break;
    case HitKind::Close:
    case HitKind::Outside: close_detail(*state); break;
    default: break;
    }
}

}  // namespace

void on_press(HWND hwnd, float x, float y)
{
    {
        auto state = window_state_slot().take();
        if (!state) return;  // busy (a modal loop further up) or gone: no press to remember
        state->pressed = hit_test(*state, x, y);
        if (state->pressed->kind == HitKind::ScrollBar) press_scroll_bar(*state, y);
    }
    SetCapture(hwnd);  // with the state given back: the capture change is a message of its own
}

void on_click(HWND hwnd, float x, float y)
{
    HitTarget target;
    {
        auto state = window_state_slot().take();
        if (!state) return;  // busy (a modal loop further up) or gone: the click is dropped
        const std::optional<HitTarget> pressed = std::exchange(state->pressed, std::nullopt);
        if (!pressed) return;  // a release that follows no press of ours
        // Captured, the release may come from anywhere on the screen; outside the client area it
        // lands on nothing.
        RECT client{};
        const POINT point{static_cast<LONG>(x), static_cast<LONG>(y)};
        if (!GetClientRect(hwnd, &client) || !PtInRect(&client, point)) return;
        target = hit_test(*state, x, y);
        if (!(target == *pressed)) return;  // pressed on one target, released on another
    }
    if (GetCapture() == hwnd) ReleaseCapture();
    run_command(hwnd, target, x, y);
}

void on_capture_lost()
{
    auto state = window_state_slot().take();
    if (!state) return;
    state->pressed.reset();
    end_thumb_drag(*state);
}

void run_command(HWND hwnd, const HitTarget& target, float x, float y)
{
    std::optional<ClipboardCopy> clipboard;
    if (target.kind == HitKind::DetailRow || target.kind == HitKind::CopyAll) {
        auto state = window_state_slot().take();
        if (!state) return;
        if (target.kind == HitKind::DetailRow && starts_revocation_check(*state, target.index)) {
            state.release();  // the consent box is modal
            request_revocation_check(hwnd);
            return;
        }
        clipboard = target.kind == HitKind::DetailRow ? detail_row_copy(*state, target.index) : copy_all_copy(*state);
    }
    switch (target.kind) {
    case HitKind::None:
    case HitKind::Pane:
    case HitKind::ScrollBar: return;  // the press did its work
    case HitKind::Menu: run_settings_menu(hwnd, x, y); break;
    case HitKind::AddFolder: apply_file_outcome(hwnd, add_folder(hwnd)); break;
    case HitKind::CleanUp: run_clean_up(hwnd); break;
    case HitKind::CardButton: run_card_button(hwnd, target, x, y); break;
    case HitKind::DetailRow:
    case HitKind::CopyAll: put_on_clipboard(hwnd, std::move(clipboard)); return;
    case HitKind::ClearSearch: {
        HWND field = nullptr;
        {
            auto state = window_state_slot().take();
            if (state) field = state->search_field;
        }
        clear_search_field(field);  // with the state free: the field's change notice needs it
        return;
    }
    case HitKind::Refresh:
    case HitKind::Card:
    case HitKind::Close:
    case HitKind::Outside: run_in_state(target); return;
    }
    // After modal UI the pointer may be somewhere else entirely.
    refresh_hover(hwnd);
}
