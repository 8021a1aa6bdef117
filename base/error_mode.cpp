#include "base/error_mode.h"

#include <windows.h>

void fail_critical_errors_quietly()
{
    SetErrorMode(GetErrorMode() | SEM_FAILCRITICALERRORS);
}

void load_libraries_from_system32_only()
{
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
}
