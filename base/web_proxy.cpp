#include "base/web_proxy.h"

#include "base/handle.h"

#include <algorithm>
#include <vector>

#include <windows.h>
#include <winhttp.h>

namespace {

using UniqueGlobalMem = UniqueHandle<NullHandleTraits<void*, &::GlobalFree>>;  // WinHTTP's strings
using UniqueInternet = UniqueHandle<NullHandleTraits<HINTERNET, &::WinHttpCloseHandle>>;

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

std::wstring url_scheme(std::wstring_view url)
{
    const size_t scheme_end = url.find(L"://");
    return scheme_end == std::wstring_view::npos ? std::wstring() : ascii_lower(url.substr(0, scheme_end));
}

std::optional<std::wstring> proxy_from_list(std::wstring_view list, std::wstring_view wanted)
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
        if (scheme == wanted) return std::wstring(value);
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

std::optional<std::wstring> user_proxy_for(const std::wstring& url)
{
    const std::wstring scheme = url_scheme(url);
    WINHTTP_CURRENT_USER_IE_PROXY_CONFIG settings{};
    if (!WinHttpGetIEProxyConfigForCurrentUser(&settings)) return std::nullopt;  // none set: direct
    const UniqueGlobalMem auto_config_url(settings.lpszAutoConfigUrl);
    const UniqueGlobalMem proxy(settings.lpszProxy);
    const UniqueGlobalMem bypass(settings.lpszProxyBypass);

    if (settings.fAutoDetect || settings.lpszAutoConfigUrl) {
        const UniqueInternet session(WinHttpOpen(L"Vessop", WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME,
                                                 WINHTTP_NO_PROXY_BYPASS, 0));
        WINHTTP_AUTOPROXY_OPTIONS options{};
        if (settings.lpszAutoConfigUrl) {
            options.dwFlags |= WINHTTP_AUTOPROXY_CONFIG_URL;
            options.lpszAutoConfigUrl = settings.lpszAutoConfigUrl;
        }
        if (settings.fAutoDetect) {
            options.dwFlags |= WINHTTP_AUTOPROXY_AUTO_DETECT;
            options.dwAutoDetectFlags = WINHTTP_AUTO_DETECT_TYPE_DHCP | WINHTTP_AUTO_DETECT_TYPE_DNS_A;
        }
        WINHTTP_PROXY_INFO found{};
        // Without the user's credentials first; a script server that asks for them gets them.
        BOOL ok = session && WinHttpGetProxyForUrl(session.get(), url.c_str(), &options, &found);
        if (!ok && session && GetLastError() == ERROR_WINHTTP_LOGIN_FAILURE) {
            options.fAutoLogonIfChallenged = TRUE;
            ok = WinHttpGetProxyForUrl(session.get(), url.c_str(), &options, &found);
        }
        if (ok) {
            const UniqueGlobalMem found_proxy(found.lpszProxy);
            const UniqueGlobalMem found_bypass(found.lpszProxyBypass);
            if (found.dwAccessType != WINHTTP_ACCESS_TYPE_NAMED_PROXY || !found.lpszProxy) return std::nullopt;
            return proxy_from_list(found.lpszProxy, scheme);
        }
        // No script or no answer from it: the fixed settings below, as browsers fall back to them.
    }
    if (!settings.lpszProxy) return std::nullopt;
    if (settings.lpszProxyBypass && proxy_bypassed(url_host(url), settings.lpszProxyBypass)) return std::nullopt;
    return proxy_from_list(settings.lpszProxy, scheme);
}

