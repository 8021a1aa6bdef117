#pragma once

// The one application state object, owned by the window thread and reached by the window procedure
// through a single slot for the length of one message: what the views draw (ViewState) plus what
// only the shell keeps.

#include "base/handle.h"
#include "base/path.h"
#include "gfx/ui_tree.h"
#include "npki/folder_watch.h"
#include "npki/revocation_run.h"
#include "gfx/view_state.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

// What screen readers are to hear about once the current message is handled: the events go out with
// the state released, since a listening client calls straight back into the providers.
struct UiaEventQueue {
    enum class Structure : uint8_t { Added, ChildrenChanged };
    std::optional<ElementRef> focus;                                // the focused element changed
    std::optional<std::pair<ElementRef, Structure>> structure;     // a scan result replaced elements
    std::optional<std::string> notice;                              // a status notice was shown
};

struct WindowState : ViewState {
    std::vector<Path> command_line_roots;  // from --root; fixed for the life of the process
    bool rescan_pending = false;           // a scan was asked for while one ran
    bool quick_rescan_pending = false;     // the short rescan after the program's own file change is due
    std::unique_ptr<FolderWatcher> folder_watcher;  // the search roots on fixed drives
    bool leave_tracking = false;           // WM_MOUSELEAVE tracking is armed
    // What the left button was pressed on in the client area, while it is held and the mouse captured.
    // A release acts only on the target of its own press: Windows also sends a button-up that follows
    // no press of ours (a title-bar double-click that maximises, a dialog closed by a double-click).
    std::optional<HitTarget> pressed;
    UiaEventQueue uia_events;
    // The window itself holds the keyboard focus (WM_SETFOCUS until WM_KILLFOCUS): not its search field,
    // not another program. Screen readers hear of the focused element only then.
    bool keyboard_focus = false;
    // What the issuers said this session, applied to every new scan result; never stored.
    RevocationResults revocation_results;
    bool folder_rescan_due = false;                 // a folder change set TIMER_RESCAN, which has not fired yet
    std::optional<double> last_scan_started;       // when the latest scan began (clock())
    bool field_had_focus = false;  // the search field had the focus when the window was last deactivated
    // The search field's font (made for `search_font_dpi`) and the brush of its background.
    UniqueGdiObject search_font;
    uint32_t search_font_dpi = 0;
    UniqueGdiObject search_brush;
    COLORREF search_brush_colour = 0;
};
