#pragma once

// The proxy the user's Internet settings give for a URL, as the updater and the revocation check both
// need it, and the pure parts of reading those settings.

#include <optional>
#include <string>
#include <string_view>

// The scheme of a URL ("http", "https", "ldap"), lower-cased ASCII; empty when there is none.
std::wstring url_scheme(std::wstring_view url);

// The host name of a URL, lower-cased ASCII, without user, port or path; empty when there is none.
std::wstring url_host(std::wstring_view url);

// The proxy for a request of `scheme` ("http" or "https") from a WinINet/WinHTTP proxy list
// ("host:port", "https=host:port; http=other:80", entries apart by semicolons or white space): that
// scheme's entry, else the first entry for every scheme, else a "socks=" entry (as
// "socks4://host:port"); none when the list names no proxy for the scheme.
std::optional<std::wstring> proxy_from_list(std::wstring_view list, std::wstring_view scheme);

// Whether the host goes around the proxy by a bypass list ("<local>" for names without a dot,
// "*.corp.example", "10.*"; apart by semicolons, commas or white space), compared without regard to
// ASCII case; a scheme or port in an entry is dropped.
bool proxy_bypassed(std::wstring_view host, std::wstring_view bypass_list);

// The proxy the user's Internet settings give for `url` (http or https): automatic configuration
// (detection or a script) when it is on and answers, else the fixed proxy unless the host is
// bypassed. None for a direct connection.
std::optional<std::wstring> user_proxy_for(const std::wstring& url);
