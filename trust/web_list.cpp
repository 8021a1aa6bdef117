#include "trust/web_list.h"

#include "base/clock.h"
#include "base/handle.h"
#include "base/numeric.h"
#include "base/text.h"

#include <algorithm>

#include <windows.h>
#include <winhttp.h>

namespace {

using UniqueInternet = UniqueHandle<NullHandleTraits<HINTERNET, &::WinHttpCloseHandle>>;

// Milliseconds left before `deadline`, at least 1 (WinHTTP takes 0 as "no time-out").
int remaining_ms(double deadline)
{
    return std::max(1, saturating_trunc((deadline - monotonic_seconds()) * 1000.0));
}

// Every wait WinHTTP may make from here on ends by the deadline: each blocking call is given no more
// than the time left, and the time left is looked at again between calls.
bool limit_waits(HINTERNET request, double deadline)
{
    const int left = remaining_ms(deadline);
    return WinHttpSetTimeouts(request, left, left, left, left) != FALSE;
}

// Sends the request and waits for its headers; a proxy that asks for sign-in is answered once with
// the logged-on user's credentials (a NULL user name means them, when the autologon policy allows).
bool send_and_receive(HINTERNET request, double deadline)
{
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (!limit_waits(request, deadline)) return false;
        if (!WinHttpSendRequest(request, WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, 0))
            return false;
        if (!WinHttpReceiveResponse(request, nullptr)) return false;
        DWORD status = 0;
        DWORD size = sizeof(status);
        if (!WinHttpQueryHeaders(request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                                 WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX))
            return false;
        if (status == HTTP_STATUS_OK) return true;
        if (status != HTTP_STATUS_PROXY_AUTH_REQ || attempt > 0) return false;
        DWORD supported = 0, first = 0, target = 0;
        if (!WinHttpQueryAuthSchemes(request, &supported, &first, &target)) return false;
        DWORD scheme = 0;
        for (const DWORD windows_scheme : {WINHTTP_AUTH_SCHEME_NEGOTIATE, WINHTTP_AUTH_SCHEME_NTLM})
            if (!scheme && (supported & windows_scheme)) scheme = windows_scheme;
        if (!scheme) return false;  // a proxy that wants a typed password: nobody to ask here
        DWORD policy = WINHTTP_AUTOLOGON_SECURITY_LEVEL_LOW;
        WinHttpSetOption(request, WINHTTP_OPTION_AUTOLOGON_POLICY, &policy, sizeof(policy));
        if (!WinHttpSetCredentials(request, WINHTTP_AUTH_TARGET_PROXY, scheme, nullptr, nullptr, nullptr))
            return false;
    }
    return false;
}

}  // namespace

std::wstring web_list_url(const DistributionPoint& point)
{
    const bool secure = point.scheme == PointScheme::Https;
    std::wstring host = utf16_from_utf8(point.host);
    if (host.find(L':') != std::wstring::npos) host = L"[" + host + L"]";
    return (secure ? L"https://" : L"http://") + host + L":" + std::to_wstring(point.port) + utf16_from_utf8(point.path);
}

FetchedList fetch_from_web(const DistributionPoint& point, const std::optional<std::wstring>& proxy,
                           const FetchLimits& limits)
{
    FetchedList fetched;
    fetched.failure = UnknownWhy::Unreachable;
    if (point.scheme != PointScheme::Http && point.scheme != PointScheme::Https) return fetched;
    const double deadline = monotonic_seconds() + limits.total_seconds;

    // WinHTTP speaks to HTTP proxies only: a SOCKS one leaves the request to go directly.
    const bool through_proxy = proxy && !proxy->empty() && !proxy->starts_with(L"socks");
    const UniqueInternet session(WinHttpOpen(L"Vessop", through_proxy ? WINHTTP_ACCESS_TYPE_NAMED_PROXY
                                                                       : WINHTTP_ACCESS_TYPE_NO_PROXY,
                                             through_proxy ? proxy->c_str() : WINHTTP_NO_PROXY_NAME,
                                             WINHTTP_NO_PROXY_BYPASS, 0));
    if (!session) return fetched;
    const int connect_ms = std::min(limits.connect_seconds * 1000, remaining_ms(deadline));
    const int left = remaining_ms(deadline);
    if (!WinHttpSetTimeouts(session.get(), left, connect_ms, left, left)) return fetched;

    const std::wstring host = utf16_from_utf8(point.host);
    const UniqueInternet connection(WinHttpConnect(session.get(), host.c_str(), point.port, 0));
    if (!connection) return fetched;
    const std::wstring path = utf16_from_utf8(point.path);
    const UniqueInternet request(WinHttpOpenRequest(connection.get(), L"GET", path.c_str(), nullptr, WINHTTP_NO_REFERER,
                                                    WINHTTP_DEFAULT_ACCEPT_TYPES,
                                                    point.scheme == PointScheme::Https ? WINHTTP_FLAG_SECURE : 0));
    if (!request) return fetched;
    // A list is the same for everyone: no cookies, no sign-in to the server itself.
    DWORD no_cookies = WINHTTP_DISABLE_COOKIES;
    WinHttpSetOption(request.get(), WINHTTP_OPTION_DISABLE_FEATURE, &no_cookies, sizeof(no_cookies));
    if (!send_and_receive(request.get(), deadline)) return fetched;

    // A length announced over the limit is refused before any of the body is read.
    DWORD announced = 0;
    DWORD size = sizeof(announced);
    if (WinHttpQueryHeaders(request.get(), WINHTTP_QUERY_CONTENT_LENGTH | WINHTTP_QUERY_FLAG_NUMBER,
                            WINHTTP_HEADER_NAME_BY_INDEX, &announced, &size, WINHTTP_NO_HEADER_INDEX) &&
        announced > limits.max_bytes) {
        fetched.failure = UnknownWhy::TooLarge;
        return fetched;
    }

    std::vector<uint8_t> body;
    for (;;) {
        if (monotonic_seconds() >= deadline || !limit_waits(request.get(), deadline)) return fetched;
        DWORD available = 0;
        if (!WinHttpQueryDataAvailable(request.get(), &available)) return fetched;
        if (available == 0) break;  // the whole body
        if (body.size() + available > limits.max_bytes) {
            fetched.failure = UnknownWhy::TooLarge;
            return fetched;
        }
        const size_t at = body.size();
        body.resize(at + available);
        DWORD read = 0;
        if (!WinHttpReadData(request.get(), body.data() + at, available, &read)) return fetched;
        body.resize(at + read);
    }
    fetched.bytes = std::move(body);
    fetched.failure.reset();
    return fetched;
}
