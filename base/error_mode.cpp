#include "base/error_mode.h"

#include <windows.h>

void fail_critical_errors_quietly()
{
    SetErrorMode(GetErrorMode() | SEM_FAILCRITICALERRORS);
}
