#include "trust/revocation_check.h"

#include "trust/revocation_list.h"

#include <optional>
#include <utility>

namespace {

// The key a point is cached under: everything that decides what is fetched.
std::string key_of(const DistributionPoint& point)
{
    return std::to_string(static_cast<int>(point.scheme)) + '\n' + point.host + '\n' + std::to_string(point.port) +
           '\n' + point.dn + '\n' + point.attribute + '\n' + point.path;
}

}  // namespace

RevocationOutcome check_revocation(std::span<const uint8_t> certificate_der, const CertificateInfo& info,
                                   const IssuerCheck& issuers, const ListFetcher& fetch, int64_t now)
{
    if (info.trust == TrustState::UnknownIssuer) return revocation_unknown(UnknownWhy::NotLicensed);
    if (info.trust == TrustState::Damaged) return revocation_unknown(UnknownWhy::Unverifiable);
    if (info.crl_distribution_points.empty()) return revocation_unknown(UnknownWhy::NoList);

    std::optional<RevocationOutcome> last;
    for (const std::string& url : info.crl_distribution_points) {
        const std::optional<DistributionPoint> point = parse_distribution_point(url);
        if (!point) continue;
        const FetchedList fetched = fetch(*point);
        if (fetched.failure) {
            last = revocation_unknown(*fetched.failure, url);
            continue;
        }
        RevocationOutcome outcome = decide_revocation(read_revocation_list(fetched.bytes, certificate_der, issuers), now, url);
        if (outcome.state != RevocationState::Unknown) return outcome;
        last = std::move(outcome);
    }
    return last ? *last : revocation_unknown(UnknownWhy::BadAddress);
}

FetchedList ListCache::operator()(const DistributionPoint& point)
{
    const std::string key = key_of(point);
    {
        const std::lock_guard lock(mutex_);
        if (const auto found = known_.find(key); found != known_.end()) return found->second;
    }
    // Fetched outside the lock: another thread's fetch of another point goes on meanwhile. Two threads
    // asking for one point at once may both fetch it; the first answer is kept.
    FetchedList fetched = inner_(point);
    const std::lock_guard lock(mutex_);
    return known_.emplace(key, std::move(fetched)).first->second;
}
