#pragma once

// The program's version, from the one place it is written: the build's project version.

#include "vessop_version.h"

#include <string_view>

inline constexpr std::string_view k_version = VESSOP_VERSION;
// The maker's company: the version block's CompanyName and the one signer an update may come from.
inline constexpr std::string_view k_company = VESSOP_COMPANY;
