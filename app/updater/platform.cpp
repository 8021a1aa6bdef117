#include "app/updater/platform.h"

#include "app/updater/transfer.h"
#include "base/handle.h"
#include "base/web_proxy.h"
#include "base/system_error.h"
#include "base/text.h"
#include "i18n/catalogue.h"

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <utility>

#include <variant>

#include <shlobj.h>
#include <winhttp.h>

namespace {

using UniqueGlobalMem = UniqueHandle<NullHandleTraits<void*, &::GlobalFree>>;  // WinHTTP's strings
using UniqueInternet = UniqueHandle<NullHandleTraits<HINTERNET, &::WinHttpCloseHandle>>;

using GetTempPath2Function = DWORD(WINAPI*)(DWORD, LPWSTR);

std::optional<std::wstring> temp_folder()
{
    // Windows 11 and late Windows 10 updates have GetTempPath2W (a private folder for SYSTEM); older
    // systems, and Wine, only the original.
    static const auto get_temp_path2 = reinterpret_cast<GetTempPath2Function>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetTempPath2W")));
    wchar_t buffer[MAX_PATH + 1]{};
    const DWORD length = get_temp_path2 ? get_temp_path2(MAX_PATH + 1, buffer) : GetTempPathW(MAX_PATH + 1, buffer);
    if (length == 0 || length > MAX_PATH) return std::nullopt;
    return std::wstring(buffer, length);
}

std::optional<std::wstring> environment_variable(const wchar_t* name)
{
    const DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
    if (size == 0) return std::nullopt;
    std::wstring value(size, L'\0');
    const DWORD length = GetEnvironmentVariableW(name, value.data(), size);
    if (length == 0 || length >= size) return std::nullopt;
    value.resize(length);
    return value;
}

DWORD WINAPI detached_thread_main(void* parameter)
{
    std::unique_ptr<std::function<void()>> body(static_cast<std::function<void()>*>(parameter));
    try {
        (*body)();
    } catch (...) {
        // Nothing may leave a thread entry; the body reports its own failures.
    }
    return 0;
}

}  // namespace

std::optional<Path> work_folder()
{
    const std::optional<std::wstring> temp = temp_folder();
    if (!temp) return std::nullopt;
    const Path folder = join_path(*temp, k_work_folder_name);
    SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);  // an existing folder is fine; failures show later
    return folder;
}

std::optional<std::vector<uint8_t>> read_whole_file(HANDLE file, DWORD& error)
{
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size)) {
        error = GetLastError();
        return std::nullopt;
    }
    LARGE_INTEGER start{};
    if (!SetFilePointerEx(file, start, nullptr, FILE_BEGIN)) {
        error = GetLastError();
        return std::nullopt;
    }
    constexpr size_t k_chunk = size_t{1} << 24;
    std::vector<uint8_t> bytes;
    try {
        bytes.reserve(static_cast<size_t>(size.QuadPart));  // the size is a hint; reading goes to the end
        for (;;) {
            const size_t done = bytes.size();
            bytes.resize(done + k_chunk);
            DWORD read = 0;
            if (!ReadFile(file, bytes.data() + done, static_cast<DWORD>(k_chunk), &read, nullptr)) {
                error = GetLastError();
                return std::nullopt;
            }
            bytes.resize(done + read);
            if (read == 0) return bytes;
        }
    } catch (const std::exception&) {  // too large to hold
        error = ERROR_NOT_ENOUGH_MEMORY;
        return std::nullopt;
    }
}

namespace {

// Runs curl once; its exit code, or the system's error text when it could not be run.
std::variant<DWORD, std::string> run_curl_once(const Path& program, const std::vector<std::wstring>& arguments)
{
    std::wstring line = command_line(program, arguments);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                        &startup, &started))
        return system_error_text(GetLastError());
    const UniqueKernelHandle process(started.hProcess);
    const UniqueKernelHandle thread(started.hThread);
    if (WaitForSingleObject(process.get(), INFINITE) == WAIT_FAILED) return system_error_text(GetLastError());
    DWORD exit_code = 0;
    if (!GetExitCodeProcess(process.get(), &exit_code)) return system_error_text(GetLastError());
    return exit_code;
}

}  // namespace

std::optional<std::string> run_curl(const std::string& url, const Path& output, uint64_t max_bytes)
{
    const Path program = curl_program(environment_variable(L"SystemRoot"));
    const std::wstring wide_url = utf16_from_utf8(url);
    CurlRoute route;
    route.proxy = user_proxy_for(wide_url);
    std::variant<DWORD, std::string> ran = run_curl_once(program, curl_arguments(wide_url, output, max_bytes, route));
    if (const DWORD* code = std::get_if<DWORD>(&ran); code && *code == k_curl_unknown_option_exit) {
        route.revoke_best_effort = false;  // an older curl: the same request without the option
        ran = run_curl_once(program, curl_arguments(wide_url, output, max_bytes, route));
    }
    if (std::string* error = std::get_if<std::string>(&ran)) return std::move(*error);
    if (std::get<DWORD>(ran) != 0) return std::string(tr({"다운로드하지 못했습니다", "Download failed"}));
    return std::nullopt;
}

bool start_detached_thread(std::function<void()> body)
{
    try {
        auto owned = std::make_unique<std::function<void()>>(std::move(body));
        const UniqueKernelHandle thread(CreateThread(nullptr, 0, detached_thread_main, owned.get(), 0, nullptr));
        if (!thread) return false;  // still ours, freed here
        owned.release();            // the thread's now; closing our handle detaches it
        return true;
    } catch (...) {
        return false;
    }
}

void post_result(HWND hwnd, UINT message)
{
    constexpr int k_attempts = 50;
    constexpr DWORD k_retry_ms = 100;
    for (int attempt = 0; attempt < k_attempts; ++attempt) {
        if (PostMessageW(hwnd, message, 0, 0) || !IsWindow(hwnd)) return;
        Sleep(k_retry_ms);
    }
}
