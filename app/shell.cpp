#include "app/shell.h"

#include "app/messages.h"
#include "app/system_colours.h"
#include "app/window_logic.h"
#include "gfx/detail_pane.h"
#include "gfx/hit_test.h"
#include "gfx/main_view.h"
#include "gfx/view_elements.h"

#include <cmath>
#include <optional>
#include <utility>

#include <windows.h>
#include <dwmapi.h>

WindowStateSlot& window_state_slot()
{
    static WindowStateSlot slot;
    return slot;
}

void update_high_contrast(WindowState& state)
{
    std::optional<SystemColours> colours = read_high_contrast();
    if (colours == state.high_contrast) return;
    state.high_contrast = std::move(colours);
    repaint(state.hwnd);
}

void repaint(HWND hwnd)
{
    InvalidateRect(hwnd, nullptr, FALSE);
}

void set_dark_title_bar(HWND hwnd, bool dark)
{
    const std::optional<uint32_t> taken = apply_dark_title_bar(dark, [hwnd](uint32_t attribute, bool on) {
        const BOOL value = on ? TRUE : FALSE;
        return SUCCEEDED(DwmSetWindowAttribute(hwnd, attribute, &value, sizeof(value)));
    });
    if (!taken || !IsWindowVisible(hwnd)) return;  // a hidden window's frame is drawn anew when shown
    // A visible frame keeps its old colours until it is next activated or resized: a caption painted
    // inactive and then as it really is shows the new ones now, without changing the activation.
    const bool active = GetActiveWindow() == hwnd;
    DefWindowProcW(hwnd, WM_NCACTIVATE, active ? FALSE : TRUE, 0);
    DefWindowProcW(hwnd, WM_NCACTIVATE, active ? TRUE : FALSE, 0);
}

void show_notice(WindowState& state, std::string text)
{
    state.notice = Notice{text, state.clock()};
    state.uia_events.notice = std::move(text);
    SetTimer(state.hwnd, TIMER_NOTICE, k_notice_duration_ms, nullptr);  // restarts a running one
    repaint(state.hwnd);
}

void show_notice(std::string text)
{
    auto state = window_state_slot().take();
    if (state) show_notice(*state, std::move(text));
}

void refresh_hover(HWND)
{
    auto state = window_state_slot().take();
    if (!state) return;
    // The modal loop may have cancelled the leave tracking; the next move arms it again.
    state->leave_tracking = false;
    refresh_hover(*state);
}

void refresh_hover(WindowState& state)
{
    HitTarget target;
    POINT point{};
    RECT client{};
    const HWND hwnd = state.hwnd;
    if (GetCursorPos(&point) && ScreenToClient(hwnd, &point) && GetClientRect(hwnd, &client) &&
        PtInRect(&client, point)) {
        target = hit_test(state, static_cast<float>(point.x), static_cast<float>(point.y));
    }
    if (target.kind != HitKind::None) track_mouse_leave(state);
    if (!same_hover(state.hover, target)) {
        state.hover = target;
        repaint(hwnd);
    }
}

void track_mouse_leave(WindowState& state)
{
    if (state.leave_tracking) return;
    TRACKMOUSEEVENT track{};
    track.cbSize = sizeof(track);
    track.dwFlags = TME_LEAVE;
    track.hwndTrack = state.hwnd;
    track.dwHoverTime = 0;
    TrackMouseEvent(&track);
    state.leave_tracking = true;  // also after a failure: one attempt per entry into the window
}

void scroll_by(WindowState& state, float delta)
{
    // Offsets stay on whole pixels (a page is 0.8 of the client height, which may not be): a card at
    // a fractional offset would spread its one-pixel outline over two rows.
    if (state.selection) {
        state.detail_scroll = clamp_scroll(std::round(state.detail_scroll + delta), largest_detail_offset(state));
    } else {
        state.list_scroll = clamp_scroll(std::round(state.list_scroll + delta), largest_list_offset(state));
    }
    repaint(state.hwnd);
}

namespace {

float& offset_of(WindowState& state, ScrollArea area)
{
    return area == ScrollArea::Detail ? state.detail_scroll : state.list_scroll;
}

}  // namespace

void press_scroll_bar(WindowState& state, float y)
{
    const std::optional<ShownScrollBar> bar = shown_scroll_bar(state);
    if (!bar) return;
    float& offset = offset_of(state, bar->area);
    const TrackPart part = track_part(bar->geometry, y);
    if (part == TrackPart::Thumb) {
        state.thumb_drag = ThumbDrag{bar->area, y, offset};
    } else {
        offset = scroll_for_track_press(bar->geometry, offset, part);
    }
    repaint(state.hwnd);
}

bool drag_thumb(WindowState& state, float y)
{
    if (!state.thumb_drag) return false;
    const std::optional<ShownScrollBar> bar = shown_scroll_bar(state);
    if (!bar || bar->area != state.thumb_drag->area) {
        // The view changed under the drag (the pane closed, the list now fits): the thumb is gone.
        end_thumb_drag(state);
        return false;
    }
    float& offset = offset_of(state, bar->area);
    const float next = scroll_for_thumb_drag(bar->geometry, state.thumb_drag->grab_scroll, y - state.thumb_drag->grab_y);
    if (next != offset) {
        offset = next;
        repaint(state.hwnd);
    }
    return true;
}

void end_thumb_drag(WindowState& state)
{
    if (!state.thumb_drag) return;
    state.thumb_drag.reset();
    refresh_hover(state);  // the pointer may have left the bar while it dragged
    repaint(state.hwnd);   // narrow again, unless the pointer still rests on the bar
}

float largest_list_offset(const WindowState& state)
{
    return largest_list_scroll(state);
}

float largest_detail_offset(const WindowState& state)
{
    return largest_detail_scroll(state);
}

namespace {

void announce_focus(WindowState& state)
{
    // Typing in the search field, or working in another program while a rescan moves the focus, is
    // not interrupted by a screen reader jumping to a card.
    if (!state.keyboard_focus || state.focus.kind == HitKind::None) return;
    const ViewShape shape = view_shape(state);
    state.uia_events.focus = element_ref(shape, state.listed_entries(), element_of(state.focus));
}

}  // namespace

void focus_on(WindowState& state, const HitTarget& focus)
{
    if (state.focus == focus) return;
    state.focus = focus;
    announce_focus(state);
}

void on_keyboard_focus(WindowState& state, bool gained)
{
    // Coming back is announced by the system's own focus event for the window; what is queued when
    // the keyboard goes elsewhere is not sent.
    state.keyboard_focus = gained;
    if (!gained) state.uia_events.focus.reset();
}

void show_focus_on(WindowState& state, const HitTarget& focus)
{
    focus_on(state, focus);
    state.focus_cues = true;  // whoever moves the focus without the mouse should see it
    bring_focus_into_view(state);
    repaint(state.hwnd);
}

void bring_focus_into_view(WindowState& state)
{
    const ScrollOffsets offsets = scroll_showing(state, state.focus);
    state.list_scroll = offsets.list;
    state.detail_scroll = offsets.detail;
}

void hide_focus_cues(WindowState& state)
{
    if (!state.focus_cues) return;
    state.focus_cues = false;
    repaint(state.hwnd);
}

void hide_focus_cues()
{
    auto state = window_state_slot().take();
    if (state) hide_focus_cues(*state);
}

void open_detail(WindowState& state, size_t index)
{
    state.selection = index;
    state.detail_scroll = 0;
    state.hover = HitTarget{};  // the pane opens without a hovered row until the pointer moves
    // As a dialog takes the focus: the main view behind the pane cannot be used meanwhile.
    focus_on(state, HitTarget{HitKind::DetailRow, CardAction::Copy, 0});
    repaint(state.hwnd);
}

void close_detail(WindowState& state)
{
    if (state.selection) {
        size_t index = *state.selection;
        state.selection.reset();
        if (state.filter.active && state.entries) {
            // The pane kept its certificate listed; closed, the list shows only what the query matches.
            const size_t whole = whole_index(state.filter, index);
            set_list_query(state.filter, state.entries->size(), state.search_keys, std::string(state.filter.query),
                           std::nullopt);
            const size_t count = state.listed_count();
            index = listed_index(state.filter, whole).value_or(count > 0 ? std::min(index, count - 1) : 0);
            state.list_scroll = clamp_scroll(state.list_scroll, largest_list_offset(state));
        }
        const bool cards = state.listed_count() > 0;
        focus_on(state, cards ? HitTarget{HitKind::Card, CardAction::Copy, index} : HitTarget{HitKind::AddFolder});
        if (state.focus_cues) bring_focus_into_view(state);
    }
    repaint(state.hwnd);
}
