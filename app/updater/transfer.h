#pragma once

// What the updater asks for and how it starts other programs, as plain values: the request URL, the
// curl program and its arguments, the installer's file name and command line. Pure, so that exactly
// what reaches CreateProcessW is tested without starting anything.

#include "base/path.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

inline constexpr std::string_view k_manifest_path = "/Vessop/update.json";
inline constexpr std::wstring_view k_work_folder_name = L"Vessop";
inline constexpr std::wstring_view k_manifest_file_name = L"update.json";
// Every transfer ends after ten minutes, whatever the network does.
inline constexpr std::wstring_view k_curl_max_time_s = L"600";
// Silent, unattended, no restart; /UPDATE=1 makes the installer start the new version when done.
inline constexpr std::array<std::wstring_view, 4> k_installer_arguments = {L"/SILENT", L"/SUPPRESSMSGBOXES",
                                                                          L"/NORESTART", L"/UPDATE=1"};

// "https://HOST/Vessop/update.json?v=VERSION&lang=LANGUAGE"; the values go in as they are.
std::string update_request_url(std::string_view host, std::string_view version, std::string_view language);

// System32\curl.exe under SystemRoot; under C:\Windows when the variable is missing or empty (an
// empty one would otherwise make a relative path, looked up in the current folder).
Path curl_program(const std::optional<std::wstring>& system_root);

// How one run of curl is to reach the server.
struct CurlRoute {
    // "--ssl-revoke-best-effort": Schannel, which the curl of Windows uses, fails the connection when it
    // cannot check revocation (offline CRL servers, TLS-inspecting proxies and antivirus); the
    // installer is checked by size, SHA-256 and signature all the same.
    bool revoke_best_effort = true;
    std::optional<std::wstring> proxy;  // the user's proxy for the URL; none to connect directly
};

// The curl of Windows 10 1803 to 1909 predates --ssl-revoke-best-effort and ends with this exit code
// for an option it does not know; the request is then made once more without it.
inline constexpr unsigned long k_curl_unknown_option_exit = 2;

// No .curlrc (-q, which must come first), no URL globbing (-g: brackets and braces are literal),
// revocation checked as far as possible, fail on HTTP errors, quiet but for errors, follow redirects,
// HTTPS only (after redirects too), ten minutes at most, no body longer than `max_bytes` (a server
// that announces a longer one is not read from at all), the proxy when there is one (signed in to as
// the logged-on user when it asks), the body into `output`.
std::vector<std::wstring> curl_arguments(std::wstring_view url, std::wstring_view output, uint64_t max_bytes,
                                         const CurlRoute& route = {});

// "Vessop-Setup-" VERSION ".exe" (the version is digits and dots, checked with the manifest).
std::wstring installer_file_name(std::string_view version);

// A command line that CommandLineToArgvW and the C runtime split back into exactly `program` and
// `arguments`, whatever they hold: the program quoted whole (a path holds no quote), each argument
// quoted and escaped only when it needs it. A URL from the server can therefore never smuggle in
// an option of its own.
std::wstring command_line(std::wstring_view program, const std::vector<std::wstring>& arguments);

// The quoted installer path and the four installer arguments.
std::wstring installer_command_line(std::wstring_view installer_path);
