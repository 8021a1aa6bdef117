// A DLL planted beside a program under a system DLL's name, as an attacker would leave crypt32.dll in a
// Downloads folder. Loading it is all it takes: DllMain appends the path it was loaded from to
// "planted.log" in its own folder. It exports the one function tests/e2e/static_import_probe.c imports,
// so that a program that binds crypt32.dll at start-up really loads it.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    (void)reserved;
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    char path[MAX_PATH + 2];
    DWORD length = GetModuleFileNameA(instance, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return TRUE;
    char log[MAX_PATH + 16];
    lstrcpyA(log, path);
    char* slash = log;
    for (char* c = log; *c; ++c)
        if (*c == '\\' || *c == '/') slash = c + 1;
    lstrcpyA(slash, "planted.log");
    HANDLE file = CreateFileA(log, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) return TRUE;
    path[length++] = '\n';
    DWORD written = 0;
    WriteFile(file, path, length, &written, NULL);
    CloseHandle(file);
    return TRUE;
}

__declspec(dllexport) BOOL WINAPI CertCloseStore(void* store, DWORD flags)
{
    (void)store;
    (void)flags;
    return TRUE;
}
