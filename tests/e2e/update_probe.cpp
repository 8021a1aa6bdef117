// Test helper for the updater's end-to-end tests, run inside the test's Wine prefix (message boxes
// are read and answered by window_probe).
//   version FILE           prints the ProductVersion of FILE's version block
//   attack INSTALLER CURL_LOG REPORT
//       The swap attacker. Waits until curl has fetched INSTALLER (its line in CURL_LOG), then, with
//       every thread of Vessop suspended while it looks so that it cannot race Vessop's own open,
//       waits until Vessop holds the file. It then keeps Vessop's window thread suspended, so the
//       installer cannot be started, and lets the download thread finish its checks. Between the
//       end of those checks and the start it tries to overwrite, rename, delete and replace the
//       installer, writing one line per attempt to REPORT, then lets the window thread go. Last,
//       the same attacks on a file nobody holds show that they work at all.

#include "base/text.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include <windows.h>
#include <tlhelp32.h>

namespace {

int version(const std::wstring& file)
{
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(file.c_str(), &ignored);
    if (!size) return 1;
    std::vector<unsigned char> block(size);
    if (!GetFileVersionInfoW(file.c_str(), 0, size, block.data())) return 1;
    wchar_t* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), L"\\StringFileInfo\\040904B0\\ProductVersion", reinterpret_cast<void**>(&value),
                        &length))
        return 1;
    std::printf("%s\n", utf8_from_utf16(std::wstring(value, length ? length - 1 : 0)).c_str());
    return 0;
}

// --- the swap attacker ------------------------------------------------------------------------

FILE* g_report = nullptr;

void report(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::vfprintf(g_report, format, args);
    va_end(args);
    std::fputc('\n', g_report);
    std::fflush(g_report);
}

std::set<DWORD> threads_of(DWORD pid)
{
    std::set<DWORD> ids;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return ids;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        if (entry.th32OwnerProcessID == pid) ids.insert(entry.th32ThreadID);
    CloseHandle(snapshot);
    return ids;
}

bool process_running(const wchar_t* prefix)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return false;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    bool found = false;
    for (BOOL more = Process32FirstW(snapshot, &entry); more && !found; more = Process32NextW(snapshot, &entry))
        found = _wcsnicmp(entry.szExeFile, prefix, std::wcslen(prefix)) == 0;
    CloseHandle(snapshot);
    return found;
}

void set_suspended(const std::set<DWORD>& ids, bool suspend)
{
    for (DWORD id : ids) {
        HANDLE thread = OpenThread(THREAD_SUSPEND_RESUME, FALSE, id);
        if (!thread) continue;
        if (suspend) SuspendThread(thread);
        else ResumeThread(thread);
        CloseHandle(thread);
    }
}

bool file_contains(const std::wstring& path, const char* needle)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    std::string text(1 << 16, '\0');
    DWORD read = 0;
    ReadFile(file, text.data(), static_cast<DWORD>(text.size()), &read, nullptr);
    CloseHandle(file);
    text.resize(read);
    return text.find(needle) != std::string::npos;
}

// One attempt of each kind; each line says "refused ERROR" or "SUCCEEDED". True when all were refused.
bool attack_all(const std::wstring& target, const std::wstring& decoy, const char* when)
{
    bool all_refused = true;
    auto outcome = [&](const char* what, bool ok, DWORD error) {
        if (ok) {
            all_refused = false;
            report("%s %s SUCCEEDED", when, what);
        } else {
            report("%s %s refused %lu", when, what, error);
        }
    };
    {
        HANDLE file = CreateFileW(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, 0, nullptr);
        const DWORD error = GetLastError();
        bool written = false;
        if (file != INVALID_HANDLE_VALUE) {
            const char payload[] = "MZ swapped";
            DWORD n = 0;
            written = WriteFile(file, payload, sizeof(payload), &n, nullptr) && n == sizeof(payload);
            CloseHandle(file);
        }
        outcome("overwrite", written, error);
    }
    {
        const std::wstring moved = target + L".moved";
        const BOOL ok = MoveFileExW(target.c_str(), moved.c_str(), 0);
        const DWORD error = GetLastError();
        if (ok) MoveFileExW(moved.c_str(), target.c_str(), 0);
        outcome("rename", ok, error);
    }
    {
        const BOOL ok = DeleteFileW(target.c_str());
        outcome("delete", ok, GetLastError());
    }
    {
        const std::wstring spare = decoy + L".spare";
        CopyFileW(decoy.c_str(), spare.c_str(), FALSE);
        const BOOL ok = MoveFileExW(spare.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING);
        const DWORD error = GetLastError();
        DeleteFileW(spare.c_str());
        outcome("replace", ok, error);
    }
    return all_refused;
}

int attack(const std::wstring& installer, const std::wstring& curl_log, const std::wstring& report_path)
{
    g_report = _wfopen(report_path.c_str(), L"w");
    if (!g_report) return 1;
    const DWORD deadline = GetTickCount() + 120000;
    auto late = [&] { return GetTickCount() > deadline; };

    const std::string name = utf8_from_utf16(installer.substr(installer.find_last_of(L'\\') + 1));
    while (!file_contains(curl_log, name.c_str())) {
        if (late()) return report("curl never fetched %s", name.c_str()), 1;
        Sleep(5);
    }
    HWND window = FindWindowW(L"Vessop.Main", nullptr);
    DWORD pid = 0;
    const DWORD window_thread = window ? GetWindowThreadProcessId(window, &pid) : 0;
    if (!window_thread) return report("no Vessop window"), 1;

    // Looking needs a write open, which would make Vessop's own open fail if it came at that moment:
    // Vessop stands still while we look.
    for (;;) {
        const std::set<DWORD> all = threads_of(pid);
        set_suspended(all, true);
        HANDLE probe = CreateFileW(installer.c_str(), GENERIC_WRITE,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0,
                                   nullptr);
        const DWORD error = GetLastError();
        if (probe != INVALID_HANDLE_VALUE) CloseHandle(probe);
        if (probe == INVALID_HANDLE_VALUE && error == ERROR_SHARING_VIOLATION) {
            std::set<DWORD> others = all;
            others.erase(window_thread);
            set_suspended(others, false);  // the window thread stays suspended
            report("held");
            break;
        }
        set_suspended(all, false);
        if (late()) return report("never held"), 1;
        Sleep(1);
    }

    // The download thread checks the held file and ends after posting its result.
    const std::wstring decoy = installer + L".decoy";
    {
        HANDLE file = CreateFileW(decoy.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        const char payload[] = "MZ not the verified installer";
        DWORD n = 0;
        WriteFile(file, payload, sizeof(payload), &n, nullptr);
        CloseHandle(file);
    }
    std::set<DWORD> workers = threads_of(pid);
    workers.erase(window_thread);
    bool refused = true;
    for (;;) {
        const std::set<DWORD> now = threads_of(pid);
        bool download_done = false;
        for (DWORD id : workers) download_done = download_done || !now.count(id);
        if (download_done) break;
        refused = attack_all(installer, decoy, "checking") && refused;
        if (late()) return report("the download thread never ended"), 1;
        Sleep(20);
    }
    Sleep(300);  // its message is posted by now; the window thread still cannot act on it
    report("verified");
    if (process_running(L"Vessop-Setup-")) report("installer ALREADY RUNNING");
    refused = attack_all(installer, decoy, "verified") && refused;
    {
        HANDLE thread = OpenThread(THREAD_SUSPEND_RESUME, FALSE, window_thread);
        if (thread) {
            ResumeThread(thread);
            CloseHandle(thread);
        }
    }
    report("resumed");

    // The same attacks on a file nobody holds succeed: the refusals above were the held handle's.
    const std::wstring loose = installer + L".loose";
    CopyFileW(decoy.c_str(), loose.c_str(), FALSE);
    if (attack_all(loose, decoy, "control")) report("control attacks FAILED");
    DeleteFileW(loose.c_str());
    DeleteFileW(decoy.c_str());
    report(refused ? "all refused" : "SOME ATTACK SUCCEEDED");
    std::fclose(g_report);
    return refused ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    const char* command = argc > 1 ? argv[1] : "";
    if (std::strcmp(command, "version") == 0 && argc > 2) return version(utf16_from_utf8(argv[2]));
    if (std::strcmp(command, "attack") == 0 && argc > 4)
        return attack(utf16_from_utf8(argv[2]), utf16_from_utf8(argv[3]), utf16_from_utf8(argv[4]));
    std::printf("usage: update_probe version FILE | attack INSTALLER CURL_LOG REPORT\n");
    return 1;
}
