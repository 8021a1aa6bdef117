#pragma once

// The one application state object, owned by the window thread and reached by the window procedure
// through a single slot for the length of one message: what the views draw (ViewState) plus what
// only the shell keeps.

#include "base/path.h"
#include "gfx/view_state.h"

#include <vector>

struct WindowState : ViewState {
    std::vector<Path> command_line_roots;  // from --root; fixed for the life of the process
    bool rescan_pending = false;           // a scan was asked for while one ran
    bool leave_tracking = false;           // WM_MOUSELEAVE tracking is armed
};
