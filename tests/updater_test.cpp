// The updater's pure parts: the manifest rules, version order, the request and the command lines
// that reach CreateProcessW (split back with the system's own CommandLineToArgvW).

#include "app/updater/manifest.h"
#include "app/updater/platform.h"
#include "app/updater/signature.h"
#include "app/updater/transfer.h"
#include "app/updater/version_order.h"
#include "base/handle.h"
#include "base/web_proxy.h"

#include "base/text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <windows.h>
#include <shellapi.h>

namespace {

constexpr char k_hash[] = "3b1f6a0c9e2d4b5a6c7d8e9f00112233445566778899aabbccddeeff00112233";

// With a size of 1000; a "size" in `extra` counts instead (the last of a repeated key does).
std::string manifest(std::string version, std::string url, std::string extra = "")
{
    return "{\"version\":\"" + version + "\",\"url\":\"" + url + "\",\"sha256\":\"" + k_hash + "\",\"size\":1000" +
           extra + "}";
}

struct ManifestCase {
    const char* name;
    std::string text;
    std::optional<UpdateInfo> expected;
};

UpdateInfo info(std::string version, std::string url, uint64_t size = 1000, std::string sha = k_hash)
{
    return UpdateInfo{std::move(version), std::move(url), std::move(sha), size};
}

TEST(Manifest, ValidatesEachRuleAndNormalisesTheDigest)
{
    const std::string ok_url = "https://dl.example/Vessop-Setup-0.2.0.exe";
    const ManifestCase cases[] = {
        {"plain", manifest("0.2.0", ok_url), info("0.2.0", ok_url)},
        {"white space around", " \t\r\n" + manifest("0.2.0", ok_url) + "\n\r\t ", info("0.2.0", ok_url)},
        {"upper-case digest is kept lower-case",
         "{\"version\":\"1\",\"url\":\"https://x\",\"sha256\":\"ABCdef09XYZ\",\"size\":1}", info("1", "https://x", 1, "abcdef09xyz")},
        {"other keys ignored", manifest("0.2.0", ok_url, ",\"notes\":[1,{\"a\":null}],\"Version\":\"x\""),
         info("0.2.0", ok_url)},
        {"a repeated key: the last counts", manifest("0.2.0", ok_url, ",\"version\":\"0.3\""), info("0.3", ok_url)},
        {"escaped key", "{\"ver\\u0073ion\":\"9\",\"url\":\"https://a/b\",\"sha256\":\"\",\"si\\u007ae\":2}",
         info("9", "https://a/b", 2, "")},
        {"scheme alone is long enough", manifest("1", "https://"), info("1", "https://")},
        {"32-byte version", manifest(std::string(31, '1') + ".", ok_url), info(std::string(31, '1') + ".", ok_url)},
        {"dots only", manifest("..", ok_url), info("..", ok_url)},
        // size: a plain positive integer that fits 64 bits, and nothing else
        {"size", manifest("1", ok_url, ",\"size\":123456"), info("1", ok_url, 123456)},
        {"largest size", manifest("1", ok_url, ",\"size\":18446744073709551615"),
         info("1", ok_url, 18446744073709551615ull)},
        {"size missing", "{\"version\":\"1\",\"url\":\"https://a\",\"sha256\":\"\"}", std::nullopt},
        {"size zero", manifest("1", ok_url, ",\"size\":0"), std::nullopt},
        {"size too large", manifest("1", ok_url, ",\"size\":18446744073709551616"), std::nullopt},
        {"negative size", manifest("1", ok_url, ",\"size\":-5"), std::nullopt},
        {"fractional size", manifest("1", ok_url, ",\"size\":12.5"), std::nullopt},
        {"size with exponent", manifest("1", ok_url, ",\"size\":1e3"), std::nullopt},
        {"size as a string", manifest("1", ok_url, ",\"size\":\"123\""), std::nullopt},
        {"size null", manifest("1", ok_url, ",\"size\":null"), std::nullopt},
        // a number beyond a double's range is unusable, not a reason to throw
        {"size beyond a double", manifest("1", ok_url, ",\"size\":1e400"), std::nullopt},
        {"negative size beyond a double", manifest("1", ok_url, ",\"size\":-1E+400"), std::nullopt},
        {"size of 400 digits", manifest("1", ok_url, ",\"size\":" + std::string(400, '9')), std::nullopt},
        {"size too small for a double", manifest("1", ok_url, ",\"size\":1e-400"), std::nullopt},
        // 64 KiB at most, white space included
        {"64 KiB", manifest("1", ok_url) + std::string(64 * 1024 - manifest("1", ok_url).size(), ' '), info("1", ok_url)},
        {"a byte over 64 KiB", manifest("1", ok_url) + std::string(64 * 1024 + 1 - manifest("1", ok_url).size(), ' '),
         std::nullopt},
        {"ignored member beyond a double", manifest("0.2.0", ok_url, ",\"x\":[1e999,{\"y\":-2e308}]"), info("0.2.0", ok_url)},
        {"such a number inside a string stays", manifest("0.2.0", ok_url, ",\"size\":7,\"x\":\"1e999 \\\" 1e999\""),
         info("0.2.0", ok_url, 7)},
        // failures
        {"leading v", manifest("v0.2.0", ok_url), std::nullopt},
        {"33-byte version", manifest(std::string(33, '1'), ok_url), std::nullopt},
        {"empty version", manifest("", ok_url), std::nullopt},
        {"space in version", manifest("0.2 .0", ok_url), std::nullopt},
        {"dash in version", manifest("0.2.0-1", ok_url), std::nullopt},
        {"NUL in version", manifest("0.2\\u0000", ok_url), std::nullopt},
        {"version a number", "{\"version\":2,\"url\":\"https://a\",\"sha256\":\"\",\"size\":1}", std::nullopt},
        {"plain http", manifest("0.2.0", "http://dl.example/x.exe"), std::nullopt},
        {"upper-case scheme", manifest("0.2.0", "HTTPS://dl.example/x.exe"), std::nullopt},
        {"scheme cut short", manifest("0.2.0", "https:/"), std::nullopt},
        {"space before scheme", manifest("0.2.0", " https://a"), std::nullopt},
        {"sha256 missing", "{\"version\":\"1\",\"url\":\"https://a\",\"size\":1}", std::nullopt},
        {"sha256 not a string", "{\"version\":\"1\",\"url\":\"https://a\",\"sha256\":null,\"size\":1}", std::nullopt},
        {"url missing", "{\"version\":\"1\",\"sha256\":\"\",\"size\":1}", std::nullopt},
        {"keys differ in case", "{\"Version\":\"1\",\"url\":\"https://a\",\"sha256\":\"\",\"size\":1}", std::nullopt},
        {"second object after it", manifest("0.2.0", ok_url) + manifest("0.2.0", ok_url), std::nullopt},
        {"garbage after it", manifest("0.2.0", ok_url) + " x", std::nullopt},
        {"form feed after it", manifest("0.2.0", ok_url) + "\f", std::nullopt},
        {"NUL after it", manifest("0.2.0", ok_url) + std::string(1, '\0') + "junk", std::nullopt},
        {"byte-order mark", "\xEF\xBB\xBF" + manifest("0.2.0", ok_url), std::nullopt},
        {"an array", "[" + manifest("0.2.0", ok_url) + "]", std::nullopt},
        {"a string", "\"0.2.0\"", std::nullopt},
        {"empty text", "", std::nullopt},
        {"trailing comma", manifest("0.2.0", ok_url, ","), std::nullopt},
        {"ill-formed number", manifest("0.2.0", ok_url, ",\"x\":1e"), std::nullopt},
        {"leading zero", manifest("0.2.0", ok_url, ",\"x\":01"), std::nullopt},
        {"version beyond a double", "{\"version\":1e999,\"url\":\"https://a\",\"sha256\":\"\",\"size\":1}", std::nullopt},
        {"lone surrogate", manifest("0.2.0", ok_url, ",\"x\":\"\\ud800\""), std::nullopt},
        {"comment", "/* */" + manifest("0.2.0", ok_url), std::nullopt},
    };
    for (const ManifestCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(validate_manifest(c.text), c.expected);
    }
}

TEST(Manifest, OutcomeComparesTheOfferWithTheCurrentVersion)
{
    struct Case {
        const char* offered;
        const char* current;
        bool available;
    };
    const Case cases[] = {
        {"0.1.0", "0.1.0", false}, {"0.1.1", "0.1.0", true},   {"0.1", "0.1.0", false},
        {"0.1.0.0", "0.1.0", false}, {"0.10.0", "0.9.9", true}, {"0.0.9", "0.1.0", false},
        {"1", "0.99.99", true},     {"0.2.0", "0.1.0", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.offered);
        const UpdateCheckOutcome outcome = check_outcome(manifest(c.offered, "https://a/b"), c.current);
        if (c.available) {
            ASSERT_TRUE(std::holds_alternative<UpdateAvailable>(outcome));
            EXPECT_EQ(std::get<UpdateAvailable>(outcome).info.version, c.offered);
        } else {
            EXPECT_TRUE(std::holds_alternative<UpToDate>(outcome));
        }
    }
    EXPECT_EQ(check_outcome("{}", "0.1.0"), UpdateCheckOutcome(CheckFailed{"manifest"}));
}

TEST(VersionOrder, ParsesPiecesAndOrdersThem)
{
    struct Case {
        const char* text;
        std::vector<uint32_t> numbers;
    };
    const Case cases[] = {
        {"0.1.0", {0, 1, 0}},  {"1..2", {1, 0, 2}}, {"", {0}}, {" \tv1.2\n", {1, 2}}, {"vv3", {3}},
        {"+4.+5", {4, 5}},     {"4294967295", {4294967295u}}, {"4294967296", {0}}, {"1.a.-2.+", {1, 0, 0, 0}},
        {"V1", {0}},           {"1.", {1, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(parse_version(c.text), c.numbers);
    }
    struct Order {
        std::vector<uint32_t> remote;
        std::vector<uint32_t> current;
        bool newer;
    };
    const Order orders[] = {
        {{0, 1, 1}, {0, 1, 0}, true}, {{0, 1}, {0, 1, 0}, false},   {{0, 1, 0, 0}, {0, 1}, false},
        {{0, 10}, {0, 9, 9}, true},   {{0, 1, 0, 1}, {0, 1}, true}, {{1}, {1, 0, 0, 1}, false},
    };
    for (const Order& o : orders) EXPECT_EQ(is_newer(o.remote, o.current), o.newer);
}

std::vector<std::wstring> split_like_windows(const std::wstring& line)
{
    int count = 0;
    const UniqueLocalMem owner(CommandLineToArgvW(line.c_str(), &count));
    auto** argv = static_cast<wchar_t**>(owner.get());
    std::vector<std::wstring> args;
    for (int i = 0; argv && i < count; ++i) args.emplace_back(argv[i]);
    return args;
}

TEST(Transfer, RequestAndCurlArgumentsAreExact)
{
    EXPECT_EQ(update_request_url("www.tamselworks.example", "0.1.0", "zh-Hans"),
              "https://www.tamselworks.example/Vessop/update.json?v=0.1.0&lang=zh-Hans");
    EXPECT_EQ(curl_program(std::wstring(L"C:\\windows")), L"C:\\windows\\System32\\curl.exe");
    EXPECT_EQ(curl_program(std::wstring(L"D:\\Win\\")), L"D:\\Win\\System32\\curl.exe");
    EXPECT_EQ(curl_program(std::nullopt), L"C:\\Windows\\System32\\curl.exe");
    EXPECT_EQ(curl_program(std::wstring()), L"C:\\Windows\\System32\\curl.exe");
    EXPECT_EQ(installer_file_name("0.2.0"), L"Vessop-Setup-0.2.0.exe");

    const std::wstring output = L"C:\\Users\\A B\\Temp\\Vessop\\update.json";
    const std::wstring url = L"https://h/Vessop/update.json?v=0.1.0&lang=en";
    const struct {
        const char* name;
        CurlRoute route;
        std::vector<std::wstring> expected;
    } k_cases[] = {
        {"direct", {}, {L"-q", L"-g", L"--ssl-revoke-best-effort", L"-fsSL", L"--proto", L"=https", L"--max-time",
                        L"600", L"--max-filesize", L"65536", L"-o", output, url}},
        {"through a proxy", {true, L"proxy.corp:8080"},
         {L"-q", L"-g", L"--ssl-revoke-best-effort", L"-fsSL", L"--proto", L"=https", L"--max-time", L"600",
          L"--max-filesize", L"65536", L"--proxy", L"proxy.corp:8080", L"--proxy-anyauth", L"--proxy-user", L":", L"-o",
          output, url}},
        {"an older curl", {false, std::nullopt},
         {L"-q", L"-g", L"-fsSL", L"--proto", L"=https", L"--max-time", L"600", L"--max-filesize", L"65536", L"-o",
          output, url}},
    };
    for (const auto& c : k_cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(curl_arguments(url, output, k_manifest_max_bytes, c.route), c.expected);
    }
}

TEST(Transfer, ProxyListsGiveTheProxyForHttps)
{
    const struct {
        const wchar_t* list;
        std::optional<std::wstring> proxy;
    } k_cases[] = {
        {L"proxy:8080", L"proxy:8080"},
        {L"http=web:80;https=secure:8443;ftp=f:21", L"secure:8443"},
        {L"HTTPS=secure:8443", L"secure:8443"},
        {L"http=web:80", std::nullopt},                         // only plain HTTP goes through it
        {L"http=web:80;every:3128", L"every:3128"},
        {L"socks=sock:1080", L"socks4://sock:1080"},
        {L"socks=sock:1080;https=secure:1", L"secure:1"},
        {L"first:1; second:2", L"first:1"},                      // a script's list: the first
        {L"  https=a:1  ", L"a:1"},
        {L"https=", std::nullopt},
        {L"", std::nullopt},
        {L" ; ;", std::nullopt},
    };
    for (const auto& c : k_cases) EXPECT_EQ(proxy_from_list(c.list, L"https"), c.proxy) << utf8_from_utf16(c.list);
    // Plain HTTP (a revocation list's address) takes its own entry.
    EXPECT_EQ(proxy_from_list(L"http=web:80;https=secure:8443", L"http"), L"web:80");
    EXPECT_EQ(proxy_from_list(L"https=secure:8443", L"http"), std::nullopt);
}

TEST(Transfer, BypassListsSendSomeHostsDirect)
{
    const struct {
        const wchar_t* host;
        const wchar_t* bypass;
        bool bypassed;
    } k_cases[] = {
        {L"intranet", L"<local>", true},
        {L"www.tamselworks.example", L"<local>", false},
        {L"www.tamselworks.example", L"*.tamselworks.example", true},
        {L"WWW.TamselWorks.Example", L"*.tamselworks.example", true},
        {L"tamselworks.example", L"*.tamselworks.example", false},
        {L"www.tamselworks.example", L"foo;bar, *.example", true},
        {L"www.tamselworks.example", L"https://www.tamselworks.example:443", true},
        {L"10.1.2.3", L"10.*", true},
        {L"110.1.2.3", L"10.*", false},
        {L"www.tamselworks.example", L"", false},
        {L"www.tamselworks.example", L"*", true},
    };
    for (const auto& c : k_cases) {
        EXPECT_EQ(proxy_bypassed(c.host, c.bypass), c.bypassed) << utf8_from_utf16(c.host) << " / " << utf8_from_utf16(c.bypass);
    }
    EXPECT_EQ(url_host(L"https://WWW.Example:8443/Vessop/update.json?v=1"), L"www.example");
    EXPECT_EQ(url_host(L"https://user:pw@h.example/x"), L"h.example");
    EXPECT_EQ(url_host(L"https://[::1]:443/x"), L"[::1]");
    EXPECT_EQ(url_host(L"no scheme"), L"");
}

TEST(Transfer, CommandLinesSplitBackIntoExactlyTheirArguments)
{
    const std::wstring program = L"C:\\Users\\A B\\AppData\\Local\\Temp\\Vessop\\curl.exe";
    const std::vector<std::vector<std::wstring>> argument_sets = {
        {L"-fsSL", L"--proto", L"=https"},
        {L"", L"a b", L"tab\there"},
        // A URL from the server cannot break out of its argument to add options of its own.
        {L"https://h/x\" -o C:\\evil.exe \"", L"https://h/a\\\" b", L"https://h/trailing\\", L"\\\\server\\share\\"},
        {L"\\\"", L"a\\\\\"b", L"\"\"", L"end\\\\"},
    };
    for (const auto& arguments : argument_sets) {
        std::vector<std::wstring> whole = {program};
        whole.insert(whole.end(), arguments.begin(), arguments.end());
        EXPECT_EQ(split_like_windows(command_line(program, arguments)), whole);
    }
    EXPECT_EQ(installer_command_line(L"C:\\T\\Vessop\\Vessop-Setup-0.2.0.exe"),
              L"\"C:\\T\\Vessop\\Vessop-Setup-0.2.0.exe\" /SILENT /SUPPRESSMSGBOXES /NORESTART /UPDATE=1");
}

}  // namespace

TEST(SignerName, ANameWithANulInsideIsNoName)
{
    using namespace std::string_view_literals;
    const struct {
        std::wstring_view name;
        std::optional<std::string> read;
    } k_cases[] = {
        {L"Tamsel Works Co., Ltd.", "Tamsel Works Co., Ltd."},
        {L"Tamsel Works Co., Ltd.\0x"sv, std::nullopt},  // as C text it would read as the maker
        {L"\0"sv, std::nullopt},
        {L"", ""},
        {L"\uD0D0\uC140", "\xED\x83\x90\xEC\x85\x80"},
    };
    for (const auto& c : k_cases) EXPECT_EQ(signer_name_of(c.name), c.read) << utf8_from_utf16(c.name);
}

TEST(SignerKey, PinnedKeysDecideAmongSignersOfTheRightName)
{
    const std::string a(64, 'a'), b(64, 'b');
    EXPECT_EQ(parse_signer_keys(""), std::vector<std::string>{});
    EXPECT_EQ(parse_signer_keys(std::string(64, 'A') + ";;" + b + ";"), (std::vector<std::string>{a, b}));

    const std::string maker(k_required_signer);
    const std::vector<std::string> none, both{a, b};
    const struct {
        const char* name;
        Signer signer;
        const std::vector<std::string>& pinned;
        bool accepted;
    } k_cases[] = {
        {"no key pinned: the name decides", {maker, a}, none, true},
        {"the first pinned key", {maker, a}, both, true},
        {"the second (a rotated key)", {maker, b}, both, true},
        {"a key not pinned", {maker, std::string(64, 'c')}, both, false},
        {"a pinned key under another name", {maker + " ", a}, both, false},
        {"another name, nothing pinned", {"Tamsel Works", a}, none, false},
    };
    for (const auto& c : k_cases) EXPECT_EQ(is_maker(c.signer, c.pinned), c.accepted) << c.name;
}

TEST(SignerKey, RevocationThatCannotBeAskedIsNotRevocation)
{
    const struct {
        LONG result;
        TrustVerdict verdict;
    } k_cases[] = {
        {S_OK, TrustVerdict::Trusted},
        {CERT_E_REVOCATION_FAILURE, TrustVerdict::RevocationUnknown},
        {CRYPT_E_REVOCATION_OFFLINE, TrustVerdict::RevocationUnknown},
        {CRYPT_E_NO_REVOCATION_CHECK, TrustVerdict::RevocationUnknown},
        {CERT_E_REVOKED, TrustVerdict::Untrusted},
        {CRYPT_E_REVOKED, TrustVerdict::Untrusted},
        {TRUST_E_NOSIGNATURE, TrustVerdict::Untrusted},
        {TRUST_E_BAD_DIGEST, TrustVerdict::Untrusted},
        {CERT_E_UNTRUSTEDROOT, TrustVerdict::Untrusted},
        {CERT_E_EXPIRED, TrustVerdict::Untrusted},
    };
    for (const auto& c : k_cases) EXPECT_EQ(trust_verdict(c.result), c.verdict) << std::hex << c.result;
}

TEST(SignerKey, HashIsTheOneOpenSslGivesForTheCertificate)
{
    // A self-signed RSA certificate made with `openssl req -x509 -newkey rsa:1024`; the hash is
    // `openssl x509 -pubkey -noout | openssl pkey -pubin -outform DER | sha256sum`, as scripts/release
    // computes it.
    const std::string hex =
        "3082021e30820187a0030201020214390b1332f909048340e2a8c35dc982813f3ba546300d06092a864886f70d01010b0500"
        "3021311f301d06035504030c1654616d73656c20576f726b7320436f2e2c204c74642e301e170d3236313231303030313031"
        "395a170d3336313230373030313031395a3021311f301d06035504030c1654616d73656c20576f726b7320436f2e2c204c74"
        "642e30819f300d06092a864886f70d010101050003818d0030818902818100f62a42e6f726032c26c93522d6fa4be9afc8ed"
        "26e8ffc03c51dd7872290dd938886f8bc2a45273220538711d5f2e7760268fe08586dfb2183aa0a7c4d00fd42930d682c5b0"
        "46ad3b80346021458c48c9e3ba81c15f4a68c29574ca303f9265a58f62e78af47949b361f33ec38bfff9c6bf750c93c19cdd"
        "527f9dc6555bb074ff0203010001a3533051301d0603551d0e04160414559fd160481e1ef26188fe34856b42c26f8407bb30"
        "1f0603551d23041830168014559fd160481e1ef26188fe34856b42c26f8407bb300f0603551d130101ff040530030101ff30"
        "0d06092a864886f70d01010b05000381810015fd92df33dcb5216fb123bf1d76c2c6acad3c124ffbcfe95317e325e8e23050"
        "839d87b26eb50e4ef73aa219c3e2fbe10bb9bfd161f6ee6cc2d252ffc06c07a319c3fce668543ca435f327c1cea10b41522d"
        "4f1f2e716fa4935aae0eb73ff4282f53780365d7c34c8c39c69bc3e146b39ccd082c879279dd3a60d4a0108b0c0d";
    std::vector<BYTE> der;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) der.push_back(static_cast<BYTE>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    const UniqueCertContext certificate(
        CertCreateCertificateContext(X509_ASN_ENCODING, der.data(), static_cast<DWORD>(der.size())));
    ASSERT_TRUE(certificate);
    EXPECT_EQ(key_sha256_of(certificate.get()), "6ea219653a6356e92256b67003305c7d64f0a151b534bffe09ef85868558621d");
}
