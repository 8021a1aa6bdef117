#pragma once

// Asking the issuers about a whole list of certificates: each distinct address fetched once, a few at a
// time, and the outcomes kept for the session so that a new scan does not forget them.

#include "npki/inventory.h"
#include "trust/issuer_check.h"
#include "trust/revocation_check.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

inline constexpr size_t k_max_parallel_fetches = 4;

// The outcome for each entry, in entry order. The certificate is read again from the first of its
// copies that still holds the bytes the scan found (a copy changed since is not asked about: that
// entry is Unknown, unverifiable). The addresses entries name first are fetched before any is decided,
// at most `parallel` at once; an address a list fails at is left for the next, fetched when needed.
std::vector<RevocationOutcome> check_entries(const std::vector<CertificateEntry>& entries, const IssuerCheck& issuers,
                                             const ListFetcher& fetch, int64_t now,
                                             size_t parallel = k_max_parallel_fetches);

// What the issuers said this session, by the certificate's exact bytes (SHA-256): never stored, and
// kept across scans for every certificate that is still found.
class RevocationResults {
public:
    void record(const std::vector<CertificateEntry>& entries, const std::vector<RevocationOutcome>& outcomes);
    // Gives each entry what is known of it (NotChecked otherwise).
    void apply(std::vector<CertificateEntry>& entries) const;
    bool empty() const { return known_.empty(); }

private:
    std::unordered_map<std::string, RevocationOutcome> known_;
};
