#include "app/updater/transfer.h"

#include "base/text.h"

#include <algorithm>

namespace {

constexpr std::wstring_view k_default_system_root = L"C:\\Windows";
constexpr std::wstring_view k_curl_below_root = L"System32\\curl.exe";

bool needs_quotes(std::wstring_view argument)
{
    return argument.empty() || argument.find_first_of(L" \t\n\v\"") != std::wstring_view::npos;
}

// The C runtime's rules: backslashes are literal unless they precede a quote, where each pair
// becomes one backslash and an odd one escapes the quote.
void append_argument(std::wstring& line, std::wstring_view argument)
{
    if (!needs_quotes(argument)) {
        line += argument;
        return;
    }
    line += L'"';
    size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        if (c == L'"') {
            line.append(backslashes * 2 + 1, L'\\');
        } else {
            line.append(backslashes, L'\\');
        }
        backslashes = 0;
        line += c;
    }
    line.append(backslashes * 2, L'\\');  // they precede the closing quote
    line += L'"';
}

}  // namespace

std::string update_request_url(std::string_view host, std::string_view version, std::string_view language)
{
    std::string url = "https://";
    url += host;
    url += k_manifest_path;
    url += "?v=";
    url += version;
    url += "&lang=";
    url += language;
    return url;
}

Path curl_program(const std::optional<std::wstring>& system_root)
{
    const std::wstring_view root = system_root && !system_root->empty() ? std::wstring_view(*system_root)
                                                                        : k_default_system_root;
    return join_path(root, k_curl_below_root);
}

std::vector<std::wstring> curl_arguments(std::wstring_view url, std::wstring_view output, uint64_t max_bytes,
                                         const CurlRoute& route)
{
    std::vector<std::wstring> arguments = {L"-q", L"-g"};
    if (route.revoke_best_effort) arguments.push_back(L"--ssl-revoke-best-effort");
    for (const wchar_t* argument : {L"-fsSL", L"--proto", L"=https", L"--max-time"}) arguments.push_back(argument);
    arguments.emplace_back(k_curl_max_time_s);
    arguments.push_back(L"--max-filesize");
    arguments.push_back(std::to_wstring(max_bytes));
    if (route.proxy) {
        // A proxy that asks for Windows sign-in (NTLM, Negotiate) gets the logged-on user's
        // credentials: the curl of Windows uses SSPI, and ":" means "the current user".
        arguments.push_back(L"--proxy");
        arguments.push_back(*route.proxy);
        for (const wchar_t* argument : {L"--proxy-anyauth", L"--proxy-user", L":"}) arguments.push_back(argument);
    }
    arguments.push_back(L"-o");
    arguments.emplace_back(output);
    arguments.emplace_back(url);
    return arguments;
}

std::wstring installer_file_name(std::string_view version)
{
    return L"Vessop-Setup-" + utf16_from_utf8(version) + L".exe";
}

std::wstring command_line(std::wstring_view program, const std::vector<std::wstring>& arguments)
{
    // The program name is split by its own rule (up to the next quote, no escapes).
    std::wstring line = L"\"";
    line += program;
    line += L'"';
    for (const std::wstring& argument : arguments) {
        line += L' ';
        append_argument(line, argument);
    }
    return line;
}

std::wstring installer_command_line(std::wstring_view installer_path)
{
    return command_line(installer_path, std::vector<std::wstring>(k_installer_arguments.begin(), k_installer_arguments.end()));
}
