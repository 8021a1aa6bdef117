#include "app/commands.h"

#include "app/scan_control.h"
#include "app/window_proc.h"
#include "gfx/hit_test.h"
#include "gfx/layout.h"

void on_click(HWND hwnd, float x, float y)
{
    (void)hwnd;
    HitTarget target;
    {
        auto state = window_state_slot().take();
        if (!state) return;  // busy (a modal loop further up) or gone: the click is dropped
        target = hit_test(*state, x, y);
    }
    switch (target.kind) {
    case HitKind::Refresh: {
        auto state = window_state_slot().take();
        if (state) start_scan(*state);
        break;
    }
    default: break;  // the other targets get their commands with the views they act on
    }
}
