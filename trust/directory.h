#pragma once

// Fetching a revocation list from an issuer's LDAP directory (wldap32), anonymously, with time-outs of
// our own: a directory that accepts a connection and never answers must not hold a check up.

#include "trust/revocation.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

inline constexpr size_t k_max_list_bytes = size_t{20} * 1024 * 1024;

struct FetchedList {
    std::vector<uint8_t> bytes;         // the list, when one came
    std::optional<UnknownWhy> failure;  // Unreachable or TooLarge when none did
};

struct DirectoryLimits {
    int connect_seconds = 5;
    int total_seconds = 20;             // connection, bind and search together
    size_t max_bytes = k_max_list_bytes;
};

// Asks the directory of an LDAP distribution point for the list at its DN: a base-object search of
// that one entry, anonymously bound, no referral followed. The value taken is the attribute the URL
// names, else certificateRevocationList (with or without ";binary"), else authorityRevocationList.
// Unreachable for no connection, no answer in time, an error or a referral, no such entry or no such
// attribute; TooLarge for a value over the limit.
FetchedList fetch_from_directory(const DistributionPoint& point, const DirectoryLimits& limits = {});
