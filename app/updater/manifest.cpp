#include "app/updater/manifest.h"

#include "app/updater/version_order.h"
#include "base/text.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <charconv>
#include <string>
#include <system_error>

namespace {

constexpr size_t k_longest_version = 32;
constexpr std::string_view k_required_scheme = "https://";

bool is_version_text(std::string_view text)
{
    if (text.empty() || text.size() > k_longest_version) return false;
    for (char c : text)
        if (!((c >= '0' && c <= '9') || c == '.')) return false;
    return true;
}

bool is_digit(char c)
{
    return c >= '0' && c <= '9';
}

// The length of the JSON number (RFC 8259) at the start of `text`; 0 when none is there.
size_t json_number_length(std::string_view text)
{
    size_t at = 0;
    if (at < text.size() && text[at] == '-') ++at;
    if (at >= text.size() || !is_digit(text[at])) return 0;
    if (text[at] == '0') {
        ++at;
    } else {
        while (at < text.size() && is_digit(text[at])) ++at;
    }
    if (at < text.size() && text[at] == '.') {
        if (at + 1 >= text.size() || !is_digit(text[at + 1])) return 0;
        at += 2;
        while (at < text.size() && is_digit(text[at])) ++at;
    }
    if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
        size_t exponent = at + 1;
        if (exponent < text.size() && (text[exponent] == '+' || text[exponent] == '-')) ++exponent;
        if (exponent >= text.size() || !is_digit(text[exponent])) return 0;
        at = exponent;
        while (at < text.size() && is_digit(text[at])) ++at;
    }
    return at;
}

bool beyond_a_double(std::string_view number)
{
    double value = 0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    return error == std::errc::result_out_of_range || end != number.data() + number.size();
}

// The parser refuses a whole document over one number beyond a double's range ("size": 1e400, or a
// huge number in a member nobody reads). Such a number is as unusable as a negative one, so it is
// read as -1 instead: "size" then gives 0, other members ignore it, and a required member that is a
// number still fails for not being a string. Strings are passed over untouched; anything that is not
// a well-formed number is left for the parser to refuse.
std::string with_unusable_numbers_tamed(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    size_t at = 0;
    while (at < text.size()) {
        const char c = text[at];
        if (c == '"') {
            const size_t start = at++;
            while (at < text.size() && text[at] != '"') at += text[at] == '\\' ? 2 : 1;
            at = std::min(at + 1, text.size());
            out.append(text.substr(start, at - start));
        } else if (c == '-' || is_digit(c)) {
            size_t length = json_number_length(text.substr(at));
            if (length == 0) length = 1;
            const std::string_view number = text.substr(at, length);
            const bool unusable = json_number_length(number) == length && beyond_a_double(number);
            out.append(unusable ? std::string_view("-1") : number);
            at += length;
        } else {
            out += c;
            ++at;
        }
    }
    return out;
}

// Only a plain positive integer counts; the parser keeps a too large integer as a float.
std::optional<uint64_t> size_of(const nlohmann::json& manifest)
{
    const auto found = manifest.find("size");
    if (found == manifest.end() || !found->is_number_unsigned()) return std::nullopt;
    const uint64_t size = found->get<uint64_t>();
    if (size == 0) return std::nullopt;  // no installer is empty
    return size;
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
    if (text.size() > k_manifest_max_bytes) return std::nullopt;
    // The parser would take a byte-order mark as white space and a NUL byte as the end of the
    // input ("{}\0anything" would pass); neither is white space, so both are refused here.
    if (text.starts_with("\xEF\xBB\xBF")) return std::nullopt;
    if (text.find('\0') != std::string_view::npos) return std::nullopt;
    // Without exceptions a syntax error or trailing text gives a "discarded" value.
    const std::string tamed = with_unusable_numbers_tamed(text);
    const nlohmann::json manifest = nlohmann::json::parse(tamed.begin(), tamed.end(), nullptr, false);
    if (manifest.is_discarded() || !manifest.is_object()) return std::nullopt;

    const std::string* version = string_member(manifest, "version");
    const std::string* url = string_member(manifest, "url");
    const std::string* sha256 = string_member(manifest, "sha256");
    const std::optional<uint64_t> size = size_of(manifest);
    if (!version || !url || !sha256 || !size) return std::nullopt;

    UpdateInfo info;
    info.sha256 = ascii_lower(*sha256);
    info.size = *size;
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
