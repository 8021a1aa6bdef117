#include "app/window_proc.h"

#include "app/commands.h"
#include "app/keyboard.h"
#include "app/messages.h"
#include "app/revocation_control.h"
#include "app/scan_control.h"
#include "app/search_field.h"
#include "app/settings.h"
#include "app/shell.h"
#include "app/startup_logic.h"
#include "app/system_colours.h"
#include "app/uia_provider.h"
#include "app/update_control.h"
#include "app/window_logic.h"
#include "base/clock.h"
#include "gfx/detail_pane.h"
#include "gfx/direct2d.h"
#include "gfx/hit_test.h"
#include "gfx/main_view.h"
#include "npki/folder_watch.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>
#include <utility>

#include <windows.h>
#include <dbt.h>

// The procedure's switch only cracks parameters; every handler takes the state itself, so the
// "busy" and "absent" cases are decided in one visible place per message.

namespace {

float point_coordinate(WORD word)
{
    return static_cast<float>(static_cast<int16_t>(word));
}

LRESULT on_destroy(HWND hwnd)
{
    {
        // The field outlives this message by a moment; it must not hold the font the state frees.
        auto state = window_state_slot().take();
        if (state && state->search_field) SendMessageW(state->search_field, WM_SETFONT, 0, FALSE);
    }
    release_uia_providers(hwnd);    // screen readers let go of the elements
    window_state_slot().discard();  // releases the drawing resources with the state
    PostQuitMessage(0);
    return 0;
}

LRESULT on_size(HWND hwnd)
{
    auto state = window_state_slot().take();
    if (!state) return 0;
    RECT rect{};
    if (!GetClientRect(hwnd, &rect)) rect = {};
    ensure_gfx(*state);  // a device that came back: made at the new size below
    if (state->gfx) {
        resize_gfx(*state->gfx, static_cast<uint32_t>(std::max<LONG>(rect.right - rect.left, 1)),
                   static_cast<uint32_t>(std::max<LONG>(rect.bottom - rect.top, 1)));
    }
    state->list_scroll = clamp_scroll(state->list_scroll, largest_list_offset(*state));
    state->detail_scroll = clamp_scroll(state->detail_scroll, largest_detail_offset(*state));
    repaint(hwnd);
    return 0;
}

LRESULT on_paint(HWND hwnd)
{
    {
        auto state = window_state_slot().take();
        if (state) {
            place_search_field(*state);
            paint_frame(*state);
            // Drawing resources still missing (a device lost and not back yet): the timer brings the
            // next attempt, since nothing else may repaint a window that shows no change.
            if (const std::optional<uint32_t> wait = gfx_retry_wait_ms(*state))
                SetTimer(hwnd, TIMER_GFX_RETRY, std::max<uint32_t>(*wait, USER_TIMER_MINIMUM), nullptr);
        }
    }
    // Always, also when nothing was drawn: an invalid window would get WM_PAINT forever.
    ValidateRect(hwnd, nullptr);
    return 0;
}

// GetWindowRect in the placement's workspace coordinates: relative to the work area of the window's
// monitor, so a taskbar on the top or left edge shifts them. Empty when it cannot be read.
std::optional<std::array<int32_t, 4>> workspace_window_rect(HWND hwnd)
{
    RECT rect{};
    if (!GetWindowRect(hwnd, &rect)) return std::nullopt;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    if (!GetMonitorInfoW(MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST), &monitor)) return std::nullopt;
    const LONG dx = monitor.rcMonitor.left - monitor.rcWork.left;
    const LONG dy = monitor.rcMonitor.top - monitor.rcWork.top;
    return std::array<int32_t, 4>{rect.left + dx, rect.top + dy, rect.right + dx, rect.bottom + dy};
}

LRESULT on_close(HWND hwnd)
{
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    if (GetWindowPlacement(hwnd, &placement)) {
        ClosingWindow window;
        window.minimised = IsIconic(hwnd) != FALSE;
        window.maximised = IsZoomed(hwnd) != FALSE;
        const std::optional<std::array<int32_t, 4>> rect = workspace_window_rect(hwnd);
        // Without its rectangle a normal window keeps the reported one: still a usable placement.
        if (rect || window.minimised || window.maximised) {
            if (rect) window.rect = *rect;
            std::array<uint8_t, k_placement_size> reported{};
            std::memcpy(reported.data(), &placement, sizeof(placement));
            const std::array<uint8_t, k_placement_size> stored = placement_to_store(reported, window);
            std::memcpy(&placement, stored.data(), sizeof(placement));
        }
        write_placement(placement);  // a failed write is ignored
    }
    DestroyWindow(hwnd);
    return 0;
}

LRESULT on_setting_change(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam)
{
    {
        // Every setting change is checked, whatever its parameters: the light/dark switch does not
        // reliably name itself.
        auto state = window_state_slot().take();
        if (state) {
            const bool dark = read_dark_mode();
            if (dark != state->dark) {
                state->dark = dark;
                set_dark_title_bar(hwnd, dark);
                repaint(hwnd);
            }
            update_high_contrast(*state);
            // The field asks for its colours when it paints.
            if (state->search_field) InvalidateRect(state->search_field, nullptr, TRUE);
        }
    }
    return DefWindowProcW(hwnd, message, wparam, lparam);
}

// High contrast turned on or off, or its colours changed.
LRESULT on_system_colour_change(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam)
{
    {
        auto state = window_state_slot().take();
        if (state) {
            update_high_contrast(*state);
            if (state->search_field) InvalidateRect(state->search_field, nullptr, TRUE);
        }
    }
    return DefWindowProcW(hwnd, message, wparam, lparam);
}

// A mouse button: the focus ring goes; a left press also marks what the release may act on.
LRESULT on_button_down(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam)
{
    // A click on the list takes the keyboard back from the search field, as in any window.
    if (GetFocus() != hwnd) SetFocus(hwnd);
    hide_focus_cues();
    if (message == WM_LBUTTONDOWN) on_press(hwnd, point_coordinate(LOWORD(lparam)), point_coordinate(HIWORD(lparam)));
    return DefWindowProcW(hwnd, message, wparam, lparam);
}

LRESULT on_button_up(HWND hwnd, LPARAM lparam)
{
    hide_focus_cues();
    on_click(hwnd, point_coordinate(LOWORD(lparam)), point_coordinate(HIWORD(lparam)));
    // Whatever the release did, the capture of the press ends with it, and a held thumb is let go.
    if (GetCapture() == hwnd) ReleaseCapture();
    // (Releasing the capture has normally let it go already.)
    auto state = window_state_slot().take();
    if (state) end_thumb_drag(*state);
    return 0;
}

LRESULT on_get_min_max_info(HWND hwnd, MINMAXINFO* info)
{
    if (!info) return 0;
    const TrackSize minimum = minimum_track_size(GetDpiForWindow(hwnd));
    info->ptMinTrackSize.x = minimum.width;
    info->ptMinTrackSize.y = minimum.height;
    return 0;
}

LRESULT on_notice_timer(HWND hwnd)
{
    KillTimer(hwnd, TIMER_NOTICE);
    auto state = window_state_slot().take();
    if (!state || !state->notice) return 0;
    // A notice set after this timer started restarted it; it is left for its own expiry.
    if (!notice_expired(state->notice->set_at, state->clock())) return 0;
    state->notice.reset();
    repaint(hwnd);
    return 0;
}

LRESULT on_rescan_timer(HWND hwnd)
{
    KillTimer(hwnd, TIMER_RESCAN);
    auto state = window_state_slot().take();
    if (!state) return 0;
    state->quick_rescan_pending = false;
    state->folder_rescan_due = false;
    start_scan(*state);
    return 0;
}

LRESULT on_timer(HWND hwnd, UINT message, WPARAM id, LPARAM lparam)
{
    switch (id) {
    case TIMER_NOTICE: return on_notice_timer(hwnd);
    case TIMER_SCANNING: repaint(hwnd); return 0;  // the searching dots move
    case TIMER_RESCAN: return on_rescan_timer(hwnd);
    case TIMER_GFX_RETRY: KillTimer(hwnd, TIMER_GFX_RETRY); repaint(hwnd); return 0;  // the paint tries
    default: return DefWindowProcW(hwnd, message, id, lparam);
    }
}

LRESULT on_mouse_move(HWND hwnd, float x, float y)
{
    auto state = window_state_slot().take();
    if (!state) return 0;
    track_mouse_leave(*state);
    if (drag_thumb(*state, y)) return 0;  // the held thumb keeps the bar's hover
    const HitTarget target = hit_test(*state, x, y);
    if (!same_hover(state->hover, target)) {
        state->hover = target;
        repaint(hwnd);
    }
    return 0;
}

LRESULT on_mouse_wheel(int16_t wheel_delta)
{
    auto state = window_state_slot().take();
    if (!state) return 0;
    hide_focus_cues(*state);
    scroll_by(*state, wheel_scroll_delta(wheel_delta, state->dpi));
    return 0;
}

LRESULT on_device_change(HWND hwnd, WPARAM event, LPARAM data)
{
    // About a watched folder's handle: the user asks to remove its disk (let go of every watch now,
    // or Windows answers "in use"), or the removal was refused (watch again, through a rescan).
    const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(data);
    if (header && header->dbch_devicetype == DBT_DEVTYP_HANDLE) {
        switch (watched_device_action(event)) {
        case WatchedDeviceAction::ReleaseWatches: {
            auto state = window_state_slot().take();
            if (state) state->folder_watcher.reset();
            break;
        }
        case WatchedDeviceAction::WatchAgain: SetTimer(hwnd, TIMER_RESCAN, k_device_rescan_delay_ms, nullptr); break;
        case WatchedDeviceAction::None: break;
        }
        return TRUE;
    }
    // Plugging in one drive sends several events; restarting the one-shot timer turns the burst
    // into a single rescan after the last of them.
    if (event == DBT_DEVICEARRIVAL || event == DBT_DEVICEREMOVECOMPLETE)
        SetTimer(hwnd, TIMER_RESCAN, k_device_rescan_delay_ms, nullptr);
    return TRUE;
}

LRESULT on_mouse_leave(HWND hwnd)
{
    auto state = window_state_slot().take();
    if (!state) return 0;
    state->leave_tracking = false;
    if (state->hover.kind != HitKind::None) {
        state->hover = HitTarget{};
        repaint(hwnd);
    }
    return 0;
}

LRESULT on_dpi_changed(HWND hwnd, WORD new_dpi, const RECT* suggested)
{
    {
        auto state = window_state_slot().take();
        if (state.access() == SlotAccess::Busy) return 0;
        if (state) {
            state->dpi = effective_dpi(new_dpi);
            if (state->gfx) {
                state->gfx->scale = static_cast<float>(state->dpi) / 96.0f;
                remake_text_formats(*state->gfx, state->dpi);  // on failure the old formats stay
            }
        }
        // The state goes back before SetWindowPos: the WM_SIZE it sends must find it free to
        // resize the swap chain.
    }
    if (suggested) {
        SetWindowPos(hwnd, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    return 0;
}

LRESULT on_command(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam)
{
    HWND field = nullptr;
    {
        auto state = window_state_slot().take();
        if (state) field = state->search_field;
    }
    if (field && reinterpret_cast<HWND>(lparam) == field) {
        on_search_field_command(hwnd, HIWORD(wparam));
        return 0;
    }
    return DefWindowProcW(hwnd, message, wparam, lparam);
}

LRESULT on_control_colour(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam)
{
    {
        auto state = window_state_slot().take();
        if (state && state->search_field && reinterpret_cast<HWND>(lparam) == state->search_field)
            return search_field_colours(*state, reinterpret_cast<HDC>(wparam));
    }
    return DefWindowProcW(hwnd, message, wparam, lparam);
}

LRESULT on_keyboard_focus_message(bool gained)
{
    auto state = window_state_slot().take();
    if (state) on_keyboard_focus(*state, gained);
    return 0;
}

// Alt+Tab, a click on the taskbar or on the window: the keyboard focus goes back to what had it (the
// search field, or the window with its focused element), so the user goes on where they left off.
LRESULT on_activate(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam)
{
    HWND field = nullptr;
    bool to_field = false;
    {
        auto state = window_state_slot().take();
        if (!state) return DefWindowProcW(hwnd, message, wparam, lparam);
        field = state->search_field;
        if (LOWORD(wparam) == WA_INACTIVE) {
            state->field_had_focus = field && GetFocus() == field;
            return 0;
        }
        to_field = state->field_had_focus && field;
    }
    if (HIWORD(wparam) != 0) return 0;  // activated while minimised: the focus stays until it is restored
    SetFocus(to_field ? field : hwnd);   // sends WM_KILLFOCUS and WM_SETFOCUS: the state is not held
    return 0;
}

LRESULT on_scan_done_message()
{
    auto state = window_state_slot().take();
    if (state) on_scan_done(*state);
    return 0;
}

LRESULT dispatch(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_DESTROY: return on_destroy(hwnd);
    case WM_SETFOCUS: return on_keyboard_focus_message(true);
    case WM_KILLFOCUS: return on_keyboard_focus_message(false);
    case WM_ACTIVATE: return on_activate(hwnd, message, wparam, lparam);
    case WM_SIZE: return on_size(hwnd);
    case WM_PAINT: return on_paint(hwnd);
    case WM_CLOSE: return on_close(hwnd);
    case WM_ERASEBKGND: return 1;  // every frame covers the whole client area
    case WM_SETTINGCHANGE: return on_setting_change(hwnd, message, wparam, lparam);
    case WM_SYSCOLORCHANGE: return on_system_colour_change(hwnd, message, wparam, lparam);
    case WM_GETMINMAXINFO: return on_get_min_max_info(hwnd, reinterpret_cast<MINMAXINFO*>(lparam));
    case WM_KEYDOWN: on_key_down(hwnd, wparam, lparam); return 0;
    case WM_TIMER: return on_timer(hwnd, message, wparam, lparam);
    case WM_MOUSEMOVE:
        return on_mouse_move(hwnd, point_coordinate(LOWORD(lparam)), point_coordinate(HIWORD(lparam)));
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: return on_button_down(hwnd, message, wparam, lparam);
    case WM_LBUTTONUP: return on_button_up(hwnd, lparam);
    case WM_CAPTURECHANGED: on_capture_lost(); return 0;
    case WM_MOUSEWHEEL: return on_mouse_wheel(static_cast<int16_t>(HIWORD(wparam)));
    case WM_DEVICECHANGE: return on_device_change(hwnd, wparam, lparam);
    case WM_MOUSELEAVE: return on_mouse_leave(hwnd);
    case WM_DPICHANGED: return on_dpi_changed(hwnd, LOWORD(wparam), reinterpret_cast<const RECT*>(lparam));
    case WM_APP_SCAN_DONE: return on_scan_done_message();
    case WM_COMMAND: return on_command(hwnd, message, wparam, lparam);
    case WM_APP_REVOCATION_DONE: {
        auto state = window_state_slot().take();
        if (state) on_revocation_done(*state);
        return 0;
    }
    case WM_APP_FOLDER_CHANGED: {
        auto state = window_state_slot().take();
        if (state) on_folder_changed(*state);
        return 0;
    }
    case WM_CTLCOLOREDIT: return on_control_colour(hwnd, message, wparam, lparam);
    case WM_APP_UPDATE_CHECKED: on_update_checked(hwnd); return 0;
    case WM_APP_UPDATE_READY: on_installer_ready(hwnd); return 0;
    case WM_GETOBJECT: return on_get_object(hwnd, message, wparam, lparam);
    case WM_APP_UIA_CALL: run_sent_uia_call(lparam); return 0;
    case WM_APP_INVOKE: on_invoke_message(hwnd, wparam, lparam); return 0;
    default: return DefWindowProcW(hwnd, message, wparam, lparam);
    }
}

}  // namespace

LRESULT CALLBACK main_window_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam)
{
    try {
        const LRESULT result = dispatch(hwnd, message, wparam, lparam);
        raise_pending_uia_events(hwnd);
        return result;
    } catch (...) {
        // Nothing may unwind into user32. What the message still owes the system is done here.
        if (message == WM_PAINT) ValidateRect(hwnd, nullptr);
        if (message == WM_DEVICECHANGE) return TRUE;
        if (message == WM_ERASEBKGND) return 1;
        return 0;
    }
}

