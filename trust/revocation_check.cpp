#include "trust/revocation_check.h"

#include "base/web_proxy.h"
#include "trust/revocation_list.h"
#include "trust/web_list.h"

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

FetchedList fetch_from_issuer(const DistributionPoint& point)
{
    if (point.scheme == PointScheme::Ldap) return fetch_from_directory(point);
    return fetch_from_web(point, user_proxy_for(web_list_url(point)));
}

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
    std::promise<FetchedList> mine;
    std::shared_future<FetchedList> answer;
    {
        const std::lock_guard lock(mutex_);
        if (const auto found = known_.find(key); found != known_.end()) {
            answer = found->second;
        } else {
            known_.emplace(key, mine.get_future().share());
        }
    }
    if (answer.valid()) return answer.get();
    // Fetched outside the lock: other threads' fetches of other addresses go on meanwhile.
    FetchedList fetched;
    try {
        fetched = inner_(point);
    } catch (...) {
        fetched.failure = UnknownWhy::Unreachable;  // out of memory mid-fetch: no list, and nobody left waiting
    }
    mine.set_value(fetched);
    return fetched;
}

size_t ListCache::fetches() const
{
    const std::lock_guard lock(mutex_);
    return known_.size();
}
