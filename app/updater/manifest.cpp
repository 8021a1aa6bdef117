#include "app/updater/manifest.h"

#include "app/updater/version_order.h"

#include <nlohmann/json.hpp>

namespace {

constexpr size_t k_longest_version = 32;
constexpr std::string_view k_required_scheme = "https://";

std::string ascii_lower(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

bool is_version_text(std::string_view text)
{
    if (text.empty() || text.size() > k_longest_version) return false;
    for (char c : text)
        if (!((c >= '0' && c <= '9') || c == '.')) return false;
    return true;
}

// Only a plain non-negative integer counts; the parser keeps a too large integer as a float.
uint64_t size_of(const nlohmann::json& manifest)
{
    const auto found = manifest.find("size");
    if (found == manifest.end()) return 0;
    if (found->is_number_unsigned()) return found->get<uint64_t>();
    return 0;  // negative, fractional, with an exponent, or not a number
}

const std::string* string_member(const nlohmann::json& manifest, const char* key)
{
    const auto found = manifest.find(key);
    if (found == manifest.end() || !found->is_string()) return nullptr;
    return found->get_ptr<const std::string*>();
}

}  // namespace

std::optional<UpdateInfo> validate_manifest(std::string_view text)
{
    // The parser would take a byte-order mark as white space and a NUL byte as the end of the
    // input ("{}\0anything" would pass); neither is white space, so both are refused here.
    if (text.starts_with("\xEF\xBB\xBF")) return std::nullopt;
    if (text.find('\0') != std::string_view::npos) return std::nullopt;
    // Without exceptions a syntax error, trailing text or a number beyond a double's range gives a
    // "discarded" value.
    const nlohmann::json manifest = nlohmann::json::parse(text.begin(), text.end(), nullptr, false);
    if (manifest.is_discarded() || !manifest.is_object()) return std::nullopt;

    const std::string* version = string_member(manifest, "version");
    const std::string* url = string_member(manifest, "url");
    const std::string* sha256 = string_member(manifest, "sha256");
    if (!version || !url || !sha256) return std::nullopt;

    UpdateInfo info;
    info.sha256 = ascii_lower(*sha256);
    info.size = size_of(manifest);
    if (!is_version_text(*version)) return std::nullopt;
    if (url->size() < k_required_scheme.size() || !url->starts_with(k_required_scheme)) return std::nullopt;
    info.version = *version;
    info.url = *url;
    return info;
}

UpdateCheckOutcome check_outcome(std::string_view manifest_text, std::string_view current_version)
{
    std::optional<UpdateInfo> info = validate_manifest(manifest_text);
    if (!info) return CheckFailed{std::string(k_manifest_failure)};
    if (is_newer(parse_version(info->version), parse_version(current_version)))
        return UpdateAvailable{std::move(*info)};
    return UpToDate{};
}
