// Feeds mutated update manifests to the program's validator and checks every verdict against a
// predicate of its own, written from the manifest rules alone: its own JSON reader (RFC 8259, strict),
// its own reading of the keys and its own version, url and size rules. Nothing of the validator is
// used but validate_manifest itself.
//
//   fuzz_manifest [--seed N] [--count N]
// Prints the counts (cases, accepted, refused, disagreements) and the first disagreements; the exit
// status is 1 when there was any.

#include "app/updater/manifest.h"

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace {

// --- the predicate's own JSON reader ------------------------------------------------------------

struct Json;
using JsonObject = std::map<std::string, Json>;  // a repeated key: the last one counts

struct Json {
    enum class Kind { Null, Bool, Number, String, Array, Object } kind = Kind::Null;
    std::string text;  // a string's decoded value, or a number's token
    JsonObject object;
};

class Reader {
public:
    explicit Reader(std::string_view in) : in_(in) {}

    std::optional<Json> document()
    {
        skip_space();
        std::optional<Json> value = read_value(0);
        if (!value) return std::nullopt;
        skip_space();
        if (at_ != in_.size()) return std::nullopt;  // anything but white space after the value
        return value;
    }

private:
    static constexpr int k_deepest = 400;

    void skip_space()
    {
        while (at_ < in_.size() && (in_[at_] == ' ' || in_[at_] == '\t' || in_[at_] == '\n' || in_[at_] == '\r')) ++at_;
    }
    bool literal(std::string_view word)
    {
        if (in_.substr(at_, word.size()) != word) return false;
        at_ += word.size();
        return true;
    }

    std::optional<Json> read_value(int depth)
    {
        if (depth > k_deepest || at_ >= in_.size()) return std::nullopt;
        Json value;
        const char c = in_[at_];
        if (c == '{') return read_object(depth);
        if (c == '[') return read_array(depth);
        if (c == '"') {
            std::optional<std::string> s = read_string();
            if (!s) return std::nullopt;
            value.kind = Json::Kind::String;
            value.text = std::move(*s);
            return value;
        }
        if (literal("true") || literal("false")) {
            value.kind = Json::Kind::Bool;
            return value;
        }
        if (literal("null")) return value;
        return read_number();
    }

    std::optional<Json> read_object(int depth)
    {
        ++at_;
        Json value;
        value.kind = Json::Kind::Object;
        skip_space();
        if (at_ < in_.size() && in_[at_] == '}') {
            ++at_;
            return value;
        }
        for (;;) {
            skip_space();
            if (at_ >= in_.size() || in_[at_] != '"') return std::nullopt;
            std::optional<std::string> key = read_string();
            if (!key) return std::nullopt;
            skip_space();
            if (at_ >= in_.size() || in_[at_] != ':') return std::nullopt;
            ++at_;
            skip_space();
            std::optional<Json> member = read_value(depth + 1);
            if (!member) return std::nullopt;
            value.object[*key] = std::move(*member);
            skip_space();
            if (at_ >= in_.size()) return std::nullopt;
            if (in_[at_] == '}') {
                ++at_;
                return value;
            }
            if (in_[at_] != ',') return std::nullopt;
            ++at_;
        }
    }

    std::optional<Json> read_array(int depth)
    {
        ++at_;
        Json value;
        value.kind = Json::Kind::Array;
        skip_space();
        if (at_ < in_.size() && in_[at_] == ']') {
            ++at_;
            return value;
        }
        for (;;) {
            skip_space();
            if (!read_value(depth + 1)) return std::nullopt;
            skip_space();
            if (at_ >= in_.size()) return std::nullopt;
            if (in_[at_] == ']') {
                ++at_;
                return value;
            }
            if (in_[at_] != ',') return std::nullopt;
            ++at_;
        }
    }

    static bool digit(char c) { return c >= '0' && c <= '9'; }

    std::optional<Json> read_number()
    {
        const size_t start = at_;
        if (at_ < in_.size() && in_[at_] == '-') ++at_;
        if (at_ >= in_.size() || !digit(in_[at_])) return std::nullopt;
        if (in_[at_] == '0') {
            ++at_;
        } else {
            while (at_ < in_.size() && digit(in_[at_])) ++at_;
        }
        if (at_ < in_.size() && in_[at_] == '.') {
            ++at_;
            if (at_ >= in_.size() || !digit(in_[at_])) return std::nullopt;
            while (at_ < in_.size() && digit(in_[at_])) ++at_;
        }
        if (at_ < in_.size() && (in_[at_] == 'e' || in_[at_] == 'E')) {
            ++at_;
            if (at_ < in_.size() && (in_[at_] == '+' || in_[at_] == '-')) ++at_;
            if (at_ >= in_.size() || !digit(in_[at_])) return std::nullopt;
            while (at_ < in_.size() && digit(in_[at_])) ++at_;
        }
        Json value;
        value.kind = Json::Kind::Number;
        value.text = std::string(in_.substr(start, at_ - start));
        // A number beyond a double's range is still a number: unusable as a size, ignored elsewhere.
        return value;
    }

    std::optional<uint32_t> hex4()
    {
        if (in_.size() - at_ < 4) return std::nullopt;
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = in_[at_++];
            v <<= 4;
            if (c >= '0' && c <= '9') v |= c - '0';
            else if (c >= 'a' && c <= 'f') v |= c - 'a' + 10;
            else if (c >= 'A' && c <= 'F') v |= c - 'A' + 10;
            else return std::nullopt;
        }
        return v;
    }

    static void put_utf8(std::string& out, uint32_t cp)
    {
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }

    // One well-formed UTF-8 sequence (Unicode scalar values only), copied to `out`.
    bool copy_utf8(std::string& out)
    {
        const auto b0 = static_cast<unsigned char>(in_[at_]);
        int length = 0;
        uint32_t cp = 0;
        if (b0 >= 0xC2 && b0 <= 0xDF) length = 2, cp = b0 & 0x1F;
        else if (b0 >= 0xE0 && b0 <= 0xEF) length = 3, cp = b0 & 0x0F;
        else if (b0 >= 0xF0 && b0 <= 0xF4) length = 4, cp = b0 & 0x07;
        else return false;
        if (in_.size() - at_ < static_cast<size_t>(length)) return false;
        for (int i = 1; i < length; ++i) {
            const auto b = static_cast<unsigned char>(in_[at_ + i]);
            if ((b & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (b & 0x3F);
        }
        if ((length == 3 && cp < 0x800) || (length == 4 && cp < 0x10000) || cp > 0x10FFFF ||
            (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        out.append(in_.substr(at_, length));
        at_ += length;
        return true;
    }

    std::optional<std::string> read_string()
    {
        ++at_;
        std::string out;
        for (;;) {
            if (at_ >= in_.size()) return std::nullopt;
            const auto c = static_cast<unsigned char>(in_[at_]);
            if (c == '"') {
                ++at_;
                return out;
            }
            if (c < 0x20) return std::nullopt;  // control characters must be escaped
            if (c >= 0x80) {
                if (!copy_utf8(out)) return std::nullopt;
                continue;
            }
            if (c != '\\') {
                out += static_cast<char>(c);
                ++at_;
                continue;
            }
            ++at_;
            if (at_ >= in_.size()) return std::nullopt;
            const char e = in_[at_++];
            switch (e) {
            case '"': out += '"'; break;
            case '\\': out += '\\'; break;
            case '/': out += '/'; break;
            case 'b': out += '\b'; break;
            case 'f': out += '\f'; break;
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            case 't': out += '\t'; break;
            case 'u': {
                std::optional<uint32_t> unit = hex4();
                if (!unit) return std::nullopt;
                uint32_t cp = *unit;
                if (cp >= 0xDC00 && cp <= 0xDFFF) return std::nullopt;  // a low surrogate alone
                if (cp >= 0xD800 && cp <= 0xDBFF) {
                    if (in_.substr(at_, 2) != "\\u") return std::nullopt;
                    at_ += 2;
                    std::optional<uint32_t> low = hex4();
                    if (!low || *low < 0xDC00 || *low > 0xDFFF) return std::nullopt;
                    cp = 0x10000 + ((cp - 0xD800) << 10) + (*low - 0xDC00);
                }
                put_utf8(out, cp);
                break;
            }
            default: return std::nullopt;
            }
        }
    }

    std::string_view in_;
    size_t at_ = 0;
};

// --- the predicate: what the rules say a manifest yields -----------------------------------------

// The size when it is a plain positive integer that fits 64 bits; 0 (no manifest) otherwise.
uint64_t expected_size(const JsonObject& o)
{
    const auto it = o.find("size");
    if (it == o.end() || it->second.kind != Json::Kind::Number) return 0;
    const std::string& token = it->second.text;
    if (token.find_first_not_of("0123456789") != std::string::npos) return 0;  // sign, fraction, exponent
    uint64_t value = 0;
    for (char c : token) {
        const uint64_t d = static_cast<uint64_t>(c - '0');
        if (value > (UINT64_MAX - d) / 10) return 0;  // does not fit 64 bits
        value = value * 10 + d;
    }
    return value;
}

std::optional<UpdateInfo> expected_verdict(std::string_view text)
{
    if (text.size() > 64 * 1024) return std::nullopt;
    const std::optional<Json> document = Reader(text).document();
    if (!document || document->kind != Json::Kind::Object) return std::nullopt;
    const JsonObject& o = document->object;
    auto string_of = [&](const char* key) -> const std::string* {
        const auto it = o.find(key);
        return it != o.end() && it->second.kind == Json::Kind::String ? &it->second.text : nullptr;
    };
    const std::string* version = string_of("version");
    const std::string* url = string_of("url");
    const std::string* sha = string_of("sha256");
    if (!version || !url || !sha) return std::nullopt;
    if (version->empty() || version->size() > 32) return std::nullopt;
    for (char c : *version)
        if (!(c == '.' || (c >= '0' && c <= '9'))) return std::nullopt;
    if (url->size() < 8 || url->compare(0, 8, "https://") != 0) return std::nullopt;
    const uint64_t size = expected_size(o);
    if (size == 0) return std::nullopt;
    UpdateInfo info{*version, *url, *sha, size};
    for (char& c : info.sha256)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + ('a' - 'A'));
    return info;
}

// --- mutation ----------------------------------------------------------------------------------

const char* const k_seeds[] = {
    R"({"version":"0.2.0","url":"https://www.tamselworks.example/Vessop/Vessop-Setup-0.2.0.exe","sha256":"78B83D8AEBA3F1A5D4C2F1B693552E6C7FDC305AD147AD24BA52D649C4C6A019","size":463496})",
    "{\n  \"version\": \"0.1.0\",\n  \"url\": \"https://a.example/x.exe\",\n  \"sha256\": \"ab\",\n  \"size\": 0\n}\n",
    R"( {"sha256":"","size":18446744073709551615,"url":"https://","version":"1.2.3.4.5"} )",
    R"({"version":"10.0","url":"https://h/p?q=1&r=\u00e9","sha256":"\u0041bc","notes":[1,-2.5e3,true,false,null,{"a":[]}]})",
    R"({"vers\u0069on":"3","url":"https://x","sha256":"0","size":-0,"version":"4"})",
    R"({"version":"0.2","url":"http://x","sha256":"a"})",
    R"(["version","0.2.0"])",
    R"({"version":"v1","url":"https://x","sha256":"a","size":"5"})",
};

constexpr std::string_view k_tokens[] = {
    "\"version\"", "\"url\"", "\"sha256\"", "\"size\"", "\"https://\"", "\"http://\"", "\"HTTPS://\"", "https://",
    "\\u0000", "\\ud800", "\\udc00", "\\ud83d\\ude00", "\\u00e9", "1e999", "-5", "1.5", "1E2", "0", "01", "-0",
    "18446744073709551616", "true", "null", "{}", "[]", "v", ".", "..", ":", ",", "\"", "\\", "\\\"", "\t", "\r\n",
    "\xEF\xBB\xBF", "\xC3\xA9", "\xC0\x80", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xFF", std::string_view("\0", 1),
    "/*c*/", "\f", "{\"version\":\"9\"}", "33333333333333333333333333333333", "333333333333333333333333333333333",
};

std::string mutate(std::string text, std::mt19937_64& rng)
{
    auto pick = [&](size_t n) { return n ? static_cast<size_t>(rng() % n) : 0; };
    // Mostly one small change, so that a good share of the cases stay valid JSON and reach the rules.
    const int rounds = rng() % 2 ? 1 : 1 + static_cast<int>(rng() % 4);
    for (int r = 0; r < rounds; ++r) {
        const size_t at = pick(text.size() + 1);
        const uint64_t kind = rng() % 12;
        switch (kind < 8 ? kind : 5) {
        case 0:  // flip bits of a byte
            if (!text.empty()) text[pick(text.size())] ^= static_cast<char>(1u << (rng() % 8));
            break;
        case 1:  // any byte
            text.insert(at, 1, static_cast<char>(rng() % 256));
            break;
        case 2:  // drop a few bytes
            if (!text.empty()) text.erase(pick(text.size()), 1 + pick(4));
            break;
        case 3: {  // a JSON-significant token or a rule's edge
            text.insert(at, k_tokens[pick(std::size(k_tokens))]);
            break;
        }
        case 4:  // repeat a piece
            if (!text.empty()) {
                const size_t from = pick(text.size());
                text.insert(at, text.substr(from, 1 + pick(16)));
            }
            break;
        case 5:  // change a character inside the values: digits, dots, letters, case
            if (!text.empty()) {
                const char choices[] = "0123456789.vV -aAzZ/:";
                text[pick(text.size())] = choices[pick(sizeof(choices) - 1)];
            }
            break;
        case 6:  // white space, allowed or not
            text.insert(at, 1, " \t\n\r\f\v"[pick(6)]);
            break;
        default:  // cut the text short
            text.resize(pick(text.size() + 1));
            break;
        }
    }
    return text;
}

std::string printable(std::string_view text)
{
    std::string out;
    for (unsigned char c : text.substr(0, 300)) {
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out += static_cast<char>(c);
        } else {
            char buffer[8];
            std::snprintf(buffer, sizeof(buffer), "\\x%02X", c);
            out += buffer;
        }
    }
    return out;
}

std::string describe(const std::optional<UpdateInfo>& v)
{
    if (!v) return "refused";
    return "accepted(version=" + printable(v->version) + " url=" + printable(v->url) + " sha256=" + printable(v->sha256) +
           " size=" + std::to_string(v->size) + ")";
}

}  // namespace

int main(int argc, char** argv)
{
    uint64_t seed = 1;
    uint64_t count = 100000;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--seed") == 0) seed = std::strtoull(argv[i + 1], nullptr, 10);
        else if (std::strcmp(argv[i], "--count") == 0) count = std::strtoull(argv[i + 1], nullptr, 10);
    }
    std::mt19937_64 rng(seed);
    uint64_t accepted = 0, refused = 0, disagreements = 0;
    const auto start = std::chrono::steady_clock::now();
    for (uint64_t n = 0; n < count; ++n) {
        // Each case mutates a seed or an earlier case of the same seed, so mutations pile up.
        std::string text = k_seeds[rng() % std::size(k_seeds)];
        const int generations = rng() % 3 ? 1 : 2 + static_cast<int>(rng() % 2);
        for (int g = 0; g < generations; ++g) text = mutate(std::move(text), rng);
        const std::optional<UpdateInfo> expected = expected_verdict(text);
        const std::optional<UpdateInfo> actual = validate_manifest(text);
        if (expected) ++accepted;
        else ++refused;
        if (expected != actual) {
            if (++disagreements <= 10) {
                std::printf("DISAGREE case %llu: \"%s\"\n  predicate: %s\n  validator: %s\n",
                            static_cast<unsigned long long>(n), printable(text).c_str(), describe(expected).c_str(),
                            describe(actual).c_str());
            }
        }
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("seed %llu: %llu manifests, %llu accepted, %llu refused, %llu disagreements, %.2f s\n",
                static_cast<unsigned long long>(seed), static_cast<unsigned long long>(count),
                static_cast<unsigned long long>(accepted), static_cast<unsigned long long>(refused),
                static_cast<unsigned long long>(disagreements), seconds);
    return disagreements == 0 ? 0 : 1;
}
