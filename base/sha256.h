#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>

// SHA-256 (FIPS 180-4) through Windows CNG, the system's own validated implementation.
// Empty only when CNG itself fails.
std::optional<std::array<uint8_t, 32>> sha256(std::span<const uint8_t> bytes);
