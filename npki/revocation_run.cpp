#include "npki/revocation_run.h"

#include "base/sha256.h"
#include "npki/certificate_folder.h"
#include "x509/certificate.h"

#include <algorithm>
#include <atomic>
#include <optional>
#include <thread>

namespace {

// Runs work(0) … work(count - 1) on up to `threads` threads (this one among them).
template <class Work>
void run_parallel(size_t count, size_t threads, const Work& work)
{
    std::atomic<size_t> next{0};
    const auto worker = [&] {
        for (size_t k; (k = next.fetch_add(1)) < count;) work(k);
    };
    std::vector<std::jthread> helpers;
    const size_t helper_count = std::min(count, std::max<size_t>(threads, 1)) - (count ? 1 : 0);
    for (size_t k = 0; k < helper_count; ++k) {
        try {
            helpers.emplace_back(worker);
        } catch (...) {
            break;  // no more threads: fewer of them do the work
        }
    }
    worker();
}

// The certificate's bytes as the scan found them, from the first copy that still holds them.
std::optional<std::vector<uint8_t>> certificate_bytes(const CertificateEntry& entry)
{
    for (const CertificateCopy& copy : entry.copies) {
        if (copy.differs) continue;
        std::optional<std::vector<uint8_t>> bytes = read_certificate_file(join_path(copy.folder, L"signCert.der"));
        if (!bytes) continue;
        const std::optional<std::array<uint8_t, 32>> digest = sha256(*bytes);
        if (digest && to_hex_upper(*digest) == entry.info.sha256_hex) return bytes;
    }
    return std::nullopt;
}

// The first address of an entry that a check would fetch, when it would fetch one.
std::optional<DistributionPoint> first_point(const CertificateInfo& info)
{
    if (info.trust != TrustState::Licensed && info.trust != TrustState::Test) return std::nullopt;
    for (const std::string& url : info.crl_distribution_points)
        if (std::optional<DistributionPoint> point = parse_distribution_point(url)) return point;
    return std::nullopt;
}

}  // namespace

std::vector<RevocationOutcome> check_entries(const std::vector<CertificateEntry>& entries, const IssuerCheck& issuers,
                                             const ListFetcher& fetch, int64_t now, size_t parallel)
{
    ListCache cache(fetch);
    // Every address first, side by side: a slow directory does not keep the others waiting.
    std::vector<DistributionPoint> points;
    for (const CertificateEntry& entry : entries)
        if (std::optional<DistributionPoint> point = first_point(entry.info);
            point && std::find(points.begin(), points.end(), *point) == points.end())
            points.push_back(std::move(*point));
    run_parallel(points.size(), parallel, [&](size_t k) { cache(points[k]); });

    std::vector<RevocationOutcome> outcomes(entries.size());
    const ListFetcher cached = [&](const DistributionPoint& point) { return cache(point); };
    run_parallel(entries.size(), parallel, [&](size_t k) {
        const CertificateEntry& entry = entries[k];
        // Only a certificate that would be asked about is read again.
        const std::optional<std::vector<uint8_t>> bytes =
            first_point(entry.info) ? certificate_bytes(entry) : std::vector<uint8_t>{};
        outcomes[k] = bytes ? check_revocation(*bytes, entry.info, issuers, cached, now)
                            : revocation_unknown(UnknownWhy::Unverifiable);
    });
    return outcomes;
}

void RevocationResults::record(const std::vector<CertificateEntry>& entries, const std::vector<RevocationOutcome>& outcomes)
{
    for (size_t k = 0; k < entries.size() && k < outcomes.size(); ++k)
        known_[entries[k].info.sha256_hex] = outcomes[k];
}

void RevocationResults::apply(std::vector<CertificateEntry>& entries) const
{
    for (CertificateEntry& entry : entries) {
        const auto found = known_.find(entry.info.sha256_hex);
        entry.revocation = found != known_.end() ? found->second : RevocationOutcome{};
    }
}
