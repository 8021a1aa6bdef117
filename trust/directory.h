#pragma once

// Fetching a revocation list from an issuer's LDAP directory (wldap32), anonymously, with time-outs of
// our own: a directory that accepts a connection and never answers must not hold a check up.

#include "trust/fetched_list.h"

// Asks the directory of an LDAP distribution point for the list at its DN: a base-object search of
// that one entry, anonymously bound, no referral followed. The value taken is the attribute the URL
// names, else certificateRevocationList (with or without ";binary"), else authorityRevocationList.
// Unreachable for no connection, no answer in time, an error or a referral, no such entry or no such
// attribute; TooLarge for a value over the limit.
FetchedList fetch_from_directory(const DistributionPoint& point, const FetchLimits& limits = {});
