#pragma once

// One certificate's revocation check: its distribution points tried in order, each list fetched by
// the caller's fetcher (the directory, a web server, or a test's own), read and decided.

#include "trust/directory.h"
#include "trust/issuer_check.h"
#include "trust/revocation.h"
#include "x509/certificate.h"

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <span>
#include <string>

using ListFetcher = std::function<FetchedList(const DistributionPoint&)>;

// The outcome for a certificate (its DER and what the scan made of it) at `now`:
//   - only a certificate the issuer check could verify is asked about: NotLicensed for an unknown
//     issuer, Unverifiable for a damaged one;
//   - NoList when it names no distribution point, BadAddress when none it names can be used;
//   - otherwise the first point whose list gives an answer decides; when none does, the last point's
//     reason stands.
RevocationOutcome check_revocation(std::span<const uint8_t> certificate_der, const CertificateInfo& info,
                                   const IssuerCheck& issuers, const ListFetcher& fetch, int64_t now);

// A fetcher that asks its inner fetcher once per address for the whole of one check (several
// certificates share their issuer's list); safe to use from several threads.
class ListCache {
public:
    explicit ListCache(ListFetcher inner) : inner_(std::move(inner)) {}
    FetchedList operator()(const DistributionPoint& point);

private:
    ListFetcher inner_;
    std::mutex mutex_;
    std::map<std::string, FetchedList> known_;
};
