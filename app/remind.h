#pragma once

// "Vessop.exe --remind", started by the scheduled task: no window. It scans the same places as the
// window, tells about certificates that reach a reminder threshold in one notification of the
// notification area, remembers what it told in "Reminded" and ends. A click on the notification
// opens Vessop (or brings its window to the front).

#include "base/path.h"

#include <vector>

// Exit status 0 after a run, told or not; 1 when the scan could not run. Never shows a message box,
// never stays longer than four and a half minutes (the task's limit is five). What it tells is
// remembered only once the notification was shown or clicked.
int run_remind_mode(const std::vector<Path>& command_line_roots);
