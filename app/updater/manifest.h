#pragma once

// The update manifest the maker's server publishes as "/Vessop/update.json", and what a check
// concludes from it. Pure: the text comes in, a verdict goes out.
//
// Format: one JSON object of at most 64 KiB (UTF-8; space, tab, line feed and carriage return around
// it, nothing else after it). Keys are looked up exactly and case-sensitively; other keys are ignored; when a key
// occurs twice the last one counts.
//   "version"  string, required: 1 to 32 bytes of "0"-"9" and "."
//   "url"      string, required: begins with exactly "https://" (lower case)
//   "sha256"   string, required: the installer's digest in hex, either case (kept in lower case;
//              not otherwise checked here: a malformed digest simply never matches)
//   "size"     number, required: the installer's length in bytes, a plain positive integer that fits
//              64 bits; anything else (absent, zero, negative, fractional, exponent, too large, a
//              string) breaks the manifest. The download stops at that length.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

// The longest manifest read: a longer one breaks the rules (and is not downloaded or read whole).
inline constexpr uint64_t k_manifest_max_bytes = 64 * 1024;

// A newer version the server offers.
struct UpdateInfo {
    std::string version;
    std::string url;
    std::string sha256;  // ASCII lower case
    uint64_t size = 0;   // at least 1

    friend bool operator==(const UpdateInfo&, const UpdateInfo&) = default;
};

// The one failure text of a manifest that is not what it must be, shown as it is.
inline constexpr std::string_view k_manifest_failure = "manifest";

struct UpToDate {
    friend bool operator==(const UpToDate&, const UpToDate&) = default;
};
struct CheckFailed {
    std::string text;  // shown to the user unchanged
    friend bool operator==(const CheckFailed&, const CheckFailed&) = default;
};
struct UpdateAvailable {
    UpdateInfo info;
    friend bool operator==(const UpdateAvailable&, const UpdateAvailable&) = default;
};
using UpdateCheckOutcome = std::variant<UpToDate, CheckFailed, UpdateAvailable>;

// The manifest's offer, or nothing when the text breaks any rule above.
std::optional<UpdateInfo> validate_manifest(std::string_view text);

// What a check concludes from the manifest's text: CheckFailed "manifest" when it is invalid,
// otherwise UpdateAvailable exactly when its version is newer than `current_version`.
UpdateCheckOutcome check_outcome(std::string_view manifest_text, std::string_view current_version);
