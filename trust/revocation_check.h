#pragma once

// One certificate's revocation check: its distribution points tried in order, each list fetched by
// the caller's fetcher (the directory, a web server, or a test's own), read and decided.

#include "trust/directory.h"
#include "trust/issuer_check.h"
#include "trust/revocation.h"
#include "x509/certificate.h"

#include <cstdint>
#include <functional>
#include <future>
#include <map>
#include <mutex>
#include <span>
#include <string>

using ListFetcher = std::function<FetchedList(const DistributionPoint&)>;

// The fetcher of a real check: an LDAP point's list from its directory, a web point's through the
// proxy the user's Internet settings give for it.
FetchedList fetch_from_issuer(const DistributionPoint& point);

// The outcome for a certificate (its DER and what the scan made of it) at `now`:
//   - only a certificate the issuer check could verify is asked about: NotLicensed for an unknown
//     issuer, Unverifiable for a damaged one;
//   - NoList when it names no distribution point, BadAddress when none it names can be used;
//   - otherwise the first point whose list gives an answer decides; when none does, the last point's
//     reason stands.
RevocationOutcome check_revocation(std::span<const uint8_t> certificate_der, const CertificateInfo& info,
                                   const IssuerCheck& issuers, const ListFetcher& fetch, int64_t now);

// A fetcher that asks its inner fetcher once per address for the whole of one check (several
// certificates share their issuer's list); safe to use from several threads: a thread asking for an
// address another is fetching waits for that fetch rather than making its own.
class ListCache {
public:
    explicit ListCache(ListFetcher inner) : inner_(std::move(inner)) {}
    FetchedList operator()(const DistributionPoint& point);
    size_t fetches() const;  // how many addresses were asked of the inner fetcher

private:
    ListFetcher inner_;
    mutable std::mutex mutex_;
    std::map<std::string, std::shared_future<FetchedList>> known_;
};
