// Stand-in for System32\curl.exe in the end-to-end tests' Wine prefix (Wine ships none). It never
// touches a network: it serves https://HOST/PATH from the folder VESSOP_CURL_ROOT as ROOT\HOST\PATH
// (the query left out), and appends one line per run to VESSOP_CURL_LOG: its arguments, tab-separated,
// written after the output file is complete.
//
// Beside a served file, small files change the answer, as the real curl would give it:
//   FILE.exit      an exit code to end with instead of serving (22 HTTP error, 28 time-out)
//   FILE.redirect  a URL the server redirects to; with "--proto =https" a non-https target is
//                  refused (exit 1, unsupported protocol), an https one is followed (with -L)
//   FILE.delay-ms  milliseconds to wait before answering
//   FILE.hold      while it exists (a minute at most), no answer: the test says when the server answers
// A missing file is an HTTP 404: exit 22 under -f. VESSOP_CURL_EXIT answers every request with that
// exit code. VESSOP_CURL_OLD=1 plays the curl of Windows 10 1803 to 1909, which knows no
// --ssl-revoke-best-effort and ends with exit code 2 when it is given. "--proxy" and "--proxy-user" are
// taken with their values and only logged: nothing here goes through a proxy.

#include "base/text.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <windows.h>

namespace {

std::wstring env(const wchar_t* name)
{
    wchar_t buffer[4096]{};
    const DWORD n = GetEnvironmentVariableW(name, buffer, 4096);
    return n && n < 4096 ? std::wstring(buffer, n) : std::wstring();
}

bool read_small(const std::wstring& path, std::wstring& text)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    char buffer[4096]{};
    DWORD read = 0;
    ReadFile(file, buffer, sizeof(buffer) - 1, &read, nullptr);
    CloseHandle(file);
    std::string bytes(buffer, read);
    while (!bytes.empty() && (bytes.back() == '\n' || bytes.back() == '\r' || bytes.back() == ' ')) bytes.pop_back();
    text.assign(bytes.begin(), bytes.end());  // ASCII
    return true;
}

void append_log(const std::vector<std::wstring>& args)
{
    const std::wstring log = env(L"VESSOP_CURL_LOG");
    if (log.empty()) return;
    std::string line;
    for (size_t i = 1; i < args.size(); ++i) {
        if (i > 1) line += '\t';
        line += utf8_from_utf16(args[i]);
    }
    line += '\n';
    HANDLE file = CreateFileW(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(file);
}

// ROOT\HOST\PATH for an https URL; empty for any other scheme.
std::wstring local_file(const std::wstring& url)
{
    const std::wstring scheme = L"https://";
    if (url.compare(0, scheme.size(), scheme) != 0) return {};
    std::wstring rest = url.substr(scheme.size());
    rest = rest.substr(0, rest.find_first_of(L"?#"));
    for (wchar_t& c : rest)
        if (c == L'/') c = L'\\';
    return env(L"VESSOP_CURL_ROOT") + L"\\" + rest;
}

int serve(const std::vector<std::wstring>& args)
{
    std::wstring output, url;
    bool https_only = false, follow = false;
    unsigned long long max_bytes = ~0ull;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::wstring& a = args[i];
        if (a == L"--ssl-revoke-best-effort" && env(L"VESSOP_CURL_OLD") == L"1") return 2;
        if ((a == L"-o" || a == L"--max-time" || a == L"--proto" || a == L"--proxy" || a == L"--proxy-user" ||
             a == L"--max-filesize") &&
            i + 1 < args.size()) {
            if (a == L"-o") output = args[i + 1];
            if (a == L"--max-filesize") max_bytes = _wcstoui64(args[i + 1].c_str(), nullptr, 10);
            if (a == L"--proto") https_only = args[i + 1] == L"=https";
            ++i;
        } else if (!a.empty() && a[0] == L'-') {
            if (a.find(L'L') != std::wstring::npos && a[1] != L'-') follow = true;
        } else {
            url = a;
        }
    }
    const std::wstring every = env(L"VESSOP_CURL_EXIT");
    if (!every.empty()) return _wtoi(every.c_str());
    if (url.compare(0, 8, L"https://") != 0 && https_only) return 1;  // protocol refused
    for (int hops = 0; hops < 5; ++hops) {
        const std::wstring file = local_file(url);
        if (file.empty()) return https_only ? 1 : 6;
        std::wstring value;
        if (read_small(file + L".delay-ms", value)) Sleep(static_cast<DWORD>(_wtoi(value.c_str())));
        const std::wstring hold = file + L".hold";
        for (const ULONGLONG until = GetTickCount64() + 60'000;
             GetFileAttributesW(hold.c_str()) != INVALID_FILE_ATTRIBUTES && GetTickCount64() < until;)
            Sleep(50);
        if (read_small(file + L".exit", value)) return _wtoi(value.c_str());
        if (read_small(file + L".redirect", value)) {
            if (!follow) return 0;
            if (https_only && value.compare(0, 8, L"https://") != 0) return 1;
            url = value;
            continue;
        }
        WIN32_FILE_ATTRIBUTE_DATA served{};
        if (!GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, &served)) return 22;  // 404 under -f
        if ((static_cast<unsigned long long>(served.nFileSizeHigh) << 32 | served.nFileSizeLow) > max_bytes)
            return 63;  // the announced length is over --max-filesize: nothing is written
        if (output.empty()) return 2;
        return CopyFileW(file.c_str(), output.c_str(), FALSE) ? 0 : 23;  // 23: write error
    }
    return 47;  // too many redirects
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    const std::vector<std::wstring> args(argv, argv + argc);
    const int code = serve(args);
    append_log(args);
    return code;
}
