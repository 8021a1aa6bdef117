#include "app/keyboard.h"

#include "app/commands.h"
#include "app/scan_control.h"
#include "app/search_field.h"
#include "app/window_logic.h"
#include "app/shell.h"
#include "gfx/view_elements.h"

#include <algorithm>
#include <optional>

namespace {

float client_height(HWND hwnd)
{
    RECT rect{};
    if (!GetClientRect(hwnd, &rect)) rect = {};  // a failed call leaves an empty rectangle
    return static_cast<float>(std::max<LONG>(rect.bottom - rect.top, 0));
}

void move_focus_by_key(WindowState& state, const std::optional<HitTarget>& target)
{
    if (target) show_focus_on(state, *target);
}

// TranslateMessage has already queued the WM_CHAR of Enter or Space. A popup menu opened by the key
// would read it as "choose the selected item" and, with none selected yet, close at once.
void drop_queued_char(HWND hwnd)
{
    MSG queued{};
    if (!PeekMessageW(&queued, hwnd, WM_CHAR, WM_CHAR, PM_NOREMOVE)) return;
    if (queued.wParam != L'\r' && queued.wParam != L' ') return;
    PeekMessageW(&queued, hwnd, WM_CHAR, WM_CHAR, PM_REMOVE);
}

}  // namespace

void on_key_down(HWND hwnd, WPARAM virtual_key, LPARAM key_data)
{
    auto state = window_state_slot().take();
    if (!state) return;
    const ViewShape shape = view_shape(*state);
    const bool shift = GetKeyState(VK_SHIFT) < 0;
    if (virtual_key == 'F' && GetKeyState(VK_CONTROL) < 0) {
        const HWND field = state->search_field;
        state.release();  // the field's focus notice needs the state
        focus_search_field(field);
        return;
    }
    const KeyAction action = key_action(static_cast<uint32_t>(virtual_key), client_height(hwnd), state->dpi, shift,
                                        arrows_move_focus(shape, state->focus, state->focus_cues));
    switch (action.command) {
    case KeyCommand::CloseDetail:
        if (state->selection) close_detail(*state);
        break;
    case KeyCommand::Scroll: scroll_by(*state, action.scroll_delta); break;
    case KeyCommand::Rescan: start_scan(*state); break;
    case KeyCommand::FocusNext:
    case KeyCommand::FocusPrevious:
        if (state->search_field &&
            tab_goes_to_search_field(shape, state->focus, action.command == KeyCommand::FocusPrevious)) {
            const HWND field = state->search_field;
            state->focus_cues = false;
            repaint(hwnd);
            state.release();
            focus_search_field(field);
            break;
        }
        move_focus_by_key(*state, next_focus(shape, state->focus, action.command == KeyCommand::FocusPrevious));
        break;
    case KeyCommand::FocusUp:
    case KeyCommand::FocusDown:
        move_focus_by_key(*state, vertical_focus(shape, state->focus, action.command == KeyCommand::FocusDown));
        break;
    case KeyCommand::Activate: {
        // Held down, Enter would open a card's pane and then copy its first row over and over.
        const bool repeated = (key_data & (LPARAM{1} << 30)) != 0;
        // Only a focus the user can see acts: after a click opened the pane its first row holds the
        // focus unseen, and Enter would copy that row over whatever the clipboard held.
        if (repeated || !state->focus_cues || !focusable(shape, state->focus)) break;
        const HitTarget target = state->focus;
        // Menus and choosers open below the element, at its bottom-left corner, not at the pointer.
        const RectF rect = target_rect(*state, target).value_or(RectF{});
        state.release();
        drop_queued_char(hwnd);
        run_command(hwnd, target, rect.x, rect.y + rect.height);
        break;
    }
    case KeyCommand::None: break;
    }
}
