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

namespace {

wchar_t ascii_lower(wchar_t c)
{
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

std::wstring ascii_lower(std::wstring_view text)
{
    std::wstring lower(text);
    for (wchar_t& c : lower) c = ascii_lower(c);
    return lower;
}

std::vector<std::wstring_view> split_list(std::wstring_view list, std::wstring_view separators)
{
    std::vector<std::wstring_view> items;
    size_t at = 0;
    while (at < list.size()) {
        const size_t start = list.find_first_not_of(separators, at);
        if (start == std::wstring_view::npos) break;
        const size_t end = std::min(list.find_first_of(separators, start), list.size());
        items.push_back(list.substr(start, end - start));
        at = end;
    }
    return items;
}

// '*' stands for any run of characters (none included); both sides already lower-case.
bool wildcard_match(std::wstring_view pattern, std::wstring_view text)
{
    size_t p = 0, t = 0, star = std::wstring_view::npos, resume = 0;
    while (t < text.size()) {
        if (p < pattern.size() && (pattern[p] == text[t])) {
            ++p;
            ++t;
        } else if (p < pattern.size() && pattern[p] == L'*') {
            star = p++;
            resume = t;
        } else if (star != std::wstring_view::npos) {
            p = star + 1;
            t = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == L'*') ++p;
    return p == pattern.size();
}

}  // namespace

std::wstring url_host(std::wstring_view url)
{
    const size_t scheme_end = url.find(L"://");
    if (scheme_end == std::wstring_view::npos) return {};
    std::wstring_view rest = url.substr(scheme_end + 3);
    rest = rest.substr(0, std::min(rest.find_first_of(L"/?#"), rest.size()));
    if (const size_t at = rest.rfind(L'@'); at != std::wstring_view::npos) rest.remove_prefix(at + 1);
    if (rest.starts_with(L'[')) return ascii_lower(rest.substr(0, std::min(rest.find(L']') + 1, rest.size())));
    return ascii_lower(rest.substr(0, std::min(rest.find(L':'), rest.size())));
}

std::optional<std::wstring> https_proxy_from_list(std::wstring_view list)
{
    std::optional<std::wstring> for_every_scheme;
    std::optional<std::wstring> socks;
    for (std::wstring_view entry : split_list(list, L"; \t\r\n")) {
        const size_t equals = entry.find(L'=');
        if (equals == std::wstring_view::npos) {
            if (!for_every_scheme) for_every_scheme = std::wstring(entry);
            continue;
        }
        const std::wstring scheme = ascii_lower(entry.substr(0, equals));
        const std::wstring_view value = entry.substr(equals + 1);
        if (value.empty()) continue;
        if (scheme == L"https") return std::wstring(value);
        if (scheme == L"socks" && !socks) socks = L"socks4://" + std::wstring(value);
    }
    if (for_every_scheme) return for_every_scheme;
    return socks;
}

bool proxy_bypassed(std::wstring_view host, std::wstring_view bypass_list)
{
    const std::wstring name = ascii_lower(host);
    for (std::wstring_view entry : split_list(bypass_list, L"; ,\t\r\n")) {
        std::wstring pattern = ascii_lower(entry);
        if (pattern == L"<local>") {
            if (name.find(L'.') == std::wstring::npos) return true;
            continue;
        }
        if (const size_t scheme_end = pattern.find(L"://"); scheme_end != std::wstring::npos)
            pattern.erase(0, scheme_end + 3);
        const size_t port = pattern.rfind(L':');
        if (port != std::wstring::npos && pattern.find(L']') == std::wstring::npos) pattern.erase(port);
        if (!pattern.empty() && wildcard_match(pattern, name)) return true;
    }
    return false;
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
