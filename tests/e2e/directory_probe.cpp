// Test helper: fetches the revocation list an LDAP URL names, as the revocation check does, and says
// what came back.
//   directory_probe URL [TOTAL_SECONDS [MAX_BYTES]]
// Prints "list <size> <sha256 hex>" or "unknown <why>" (vessop-scan's words); exit status 0, or 64 on
// a usage error or a URL that is not an LDAP distribution point.

#include "base/command_line.h"
#include "base/sha256.h"
#include "base/text.h"
#include "trust/directory.h"

#include <cstdio>
#include <cwchar>
#include <string>

int main()
{
    const std::vector<std::wstring> args = command_line_arguments();
    if (args.size() < 2 || args.size() > 4) {
        std::fprintf(stderr, "usage: directory_probe URL [TOTAL_SECONDS [MAX_BYTES]]\n");
        return 64;
    }
    const std::optional<DistributionPoint> point = parse_distribution_point(utf8_from_utf16(args[1]));
    if (!point || point->scheme != PointScheme::Ldap) {
        std::fprintf(stderr, "directory_probe: not an LDAP distribution point\n");
        return 64;
    }
    FetchLimits limits;
    if (args.size() >= 3) limits.total_seconds = static_cast<int>(std::wcstol(args[2].c_str(), nullptr, 10));
    if (args.size() >= 4) limits.max_bytes = static_cast<size_t>(std::wcstoull(args[3].c_str(), nullptr, 10));
    const FetchedList fetched = fetch_from_directory(*point, limits);
    if (fetched.failure) {
        std::printf("unknown %s\n", std::string(unknown_why_name(*fetched.failure)).c_str());
        return 0;
    }
    std::string hex;
    if (const auto digest = sha256(fetched.bytes)) {
        static const char k_digits[] = "0123456789abcdef";
        for (const uint8_t b : *digest) {
            hex += k_digits[b >> 4];
            hex += k_digits[b & 15];
        }
    }
    std::printf("list %zu %s\n", fetched.bytes.size(), hex.c_str());
    return 0;
}
