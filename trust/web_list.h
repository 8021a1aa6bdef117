#pragma once

// Fetching a revocation list from an issuer's web server (WinHTTP), through the user's proxy, with the
// same limits as a directory fetch.

#include "trust/fetched_list.h"

#include <optional>
#include <string>

// The URL of an http or https point, as it is asked for (the host bracketed when it is an IPv6 address).
std::wstring web_list_url(const DistributionPoint& point);

// GETs the list of an http or https point: `proxy` ("host:port" or WinHTTP's "http=host:port" list)
// when given, otherwise directly; a proxy that asks for Windows sign-in gets the logged-on user's.
// Unreachable for no connection, no answer in time, a status other than 200 or another scheme;
// TooLarge for a body over the limit (a server that announces one is not read from).
FetchedList fetch_from_web(const DistributionPoint& point, const std::optional<std::wstring>& proxy,
                           const FetchLimits& limits = {});
