// The issuer check: test roots and CAs of the tests' own, with real keys (the KISA keys are not ours),
// and the built-in certificates of the real Korean roots and CAs.

#include "trust/issuer_check.h"
#include "trust/revocation_check.h"
#include "trust/revocation_list.h"

#include "base/handle.h"
#include "npki/revocation_run.h"
#include "tests/support/der_writer.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_key.h"
#include "x509/decoder.h"

#include <gtest/gtest.h>

#include <map>
#include <mutex>
#include <span>
#include <string>
#include <vector>

namespace {

DistinguishedName name_of(const std::string& organization, const std::string& common_name)
{
    return {{{std::string(k_oid_country), "KR", StringType::printable}},
            {{std::string(k_oid_organization), organization, StringType::utf8}},
            {{std::string(k_oid_common_name), common_name, StringType::utf8}}};
}

Extension subject_key_id(const std::string& id) { return {"2.5.29.14", der::octet_string(id)}; }
Extension authority_key_id(const std::string& id) { return {"2.5.29.35", der::sequence(der::tlv(0x80, id))}; }

// A certificate of `subject` with `key`'s public key, signed by `signer`.
std::string issue(const DistinguishedName& subject, const TestKey& key, const DistinguishedName& issuer,
                  const TestKey& signer, std::vector<Extension> extensions = {}, int64_t not_after = 4102444799)
{
    TestCertificate certificate;
    certificate.subject = subject;
    certificate.issuer = issuer;
    certificate.not_after = not_after;
    certificate.other_extensions = std::move(extensions);
    certificate.public_key_info = key.public_key_info();
    certificate.sign = [&signer](std::string_view data) { return signer.sign(data); };
    return make_certificate_der(certificate);
}

std::vector<uint8_t> bytes(const std::string& der) { return std::vector<uint8_t>(der.begin(), der.end()); }

// A root and a CA of the tests' own, trusted by `check`, for the revocation tests: the CA signs lists.
struct ListAuthority {
    TestKey root_key, ca_key, holder_key;
    DistinguishedName root = name_of("KISA", "Test Vessop Root");
    DistinguishedName ca = name_of("yessign", "yessignCA Class 9");
    IssuerCheck check{{{AnchorKind::Root, "root.der", bytes(issue(root, root_key, root, root_key))},
                       {AnchorKind::Ca, "ca.der", bytes(issue(ca, ca_key, root, root_key))}}};

    // A holder's certificate the CA issued.
    std::string issue_to(const std::string& common_name) const
    {
        return issue(name_of("yessign", common_name), holder_key, ca, ca_key);
    }
};

}  // namespace

TEST(IssuerCheck, EachOutcomeWithRootsAndCasOfTheTestsOwn)
{
    const TestKey root_key, test_root_key, ca_key, ca2_key, test_ca_key, old_ca_key, holder_key;
    const DistinguishedName root = name_of("KISA", "Test Vessop Root");
    const DistinguishedName test_root = name_of("KISA", "Test Vessop Test Root");
    const DistinguishedName ca = name_of("yessign", "yessignCA Class 9");
    const DistinguishedName test_ca = name_of("yessign", "yessignCA-Test Class 9");
    const DistinguishedName old_ca = name_of("SignKorea", "SignKorea CA9");
    const DistinguishedName holder = name_of("yessign", "kim()001");

    // Two generations of one CA under one name, told apart by their key identifiers; one CA whose own
    // certificate ended long ago.
    const std::vector<AnchorCertificate> anchors = {
        {AnchorKind::Root, "root.der", bytes(issue(root, root_key, root, root_key))},
        {AnchorKind::TestRoot, "testroot.der", bytes(issue(test_root, test_root_key, test_root, test_root_key))},
        {AnchorKind::Ca, "ca.der", bytes(issue(ca, ca_key, root, root_key, {subject_key_id("gen1")}))},
        {AnchorKind::Ca, "ca2.der", bytes(issue(ca, ca2_key, root, root_key, {subject_key_id("gen2")}))},
        {AnchorKind::Ca, "test-ca.der", bytes(issue(test_ca, test_ca_key, test_root, test_root_key))},
        {AnchorKind::Ca, "old-ca.der", bytes(issue(old_ca, old_ca_key, root, root_key, {}, 946684799))},  // 1999
        {AnchorKind::Ca, "stray-ca.der", bytes(issue(name_of("X", "Stray CA"), ca_key, name_of("X", "Nobody"), ca_key))},
    };
    const IssuerCheck check(anchors);
    EXPECT_EQ(check.standing_of_ca("ca.der"), TrustState::Licensed);
    EXPECT_EQ(check.standing_of_ca("test-ca.der"), TrustState::Test);
    EXPECT_EQ(check.standing_of_ca("stray-ca.der"), TrustState::UnknownIssuer);

    const std::string licensed = issue(holder, holder_key, ca, ca_key);
    std::string bad_signature = licensed;
    bad_signature.back() = static_cast<char>(bad_signature.back() ^ 0x01);
    TestCertificate changed;
    changed.subject = holder;
    changed.issuer = ca;
    changed.public_key_info = holder_key.public_key_info();
    changed.sign = [&](std::string_view data) {
        std::string other(data);
        other[other.size() / 2] = static_cast<char>(other[other.size() / 2] ^ 0x04);  // what was signed differs
        return ca_key.sign(other);
    };
    const struct {
        const char* what;
        std::string der;
        TrustState state;
    } k_cases[] = {
        {"licensed", licensed, TrustState::Licensed},
        {"test", issue(holder, holder_key, test_ca, test_ca_key), TrustState::Test},
        {"unknown issuer", issue(holder, holder_key, name_of("Nowhere", "Nowhere CA"), ca_key), TrustState::UnknownIssuer},
        {"a flipped bit in the signature", bad_signature, TrustState::Damaged},
        {"a flipped bit in the signed part", make_certificate_der(changed), TrustState::Damaged},
        {"its CA's certificate ended before today", issue(holder, holder_key, old_ca, old_ca_key), TrustState::Licensed},
        {"the second generation, named by its key identifier",
         issue(holder, holder_key, ca, ca2_key, {authority_key_id("gen2")}), TrustState::Licensed},
        {"the second generation's key, the first generation named",
         issue(holder, holder_key, ca, ca2_key, {authority_key_id("gen1")}), TrustState::Damaged},
        {"signed by a CA that chains to no root", issue(holder, holder_key, name_of("X", "Stray CA"), ca_key),
         TrustState::UnknownIssuer},
        {"no certificate at all", "\x30\x03\x02\x01\x01", TrustState::Damaged},
    };
    for (const auto& c : k_cases) EXPECT_EQ(check.check(bytes(c.der)), c.state) << c.what;
}

TEST(IssuerCheck, BuiltInCasChainToTheKisaRoots)
{
    // The real certificates the program carries: every licensed CA verifies with a KISA root's key,
    // every test CA with a test root's.
    std::vector<AnchorCertificate> anchors;
    for (const EmbeddedAnchor& anchor : embedded_anchors())
        anchors.push_back({anchor.kind, std::string(anchor.name), std::vector<uint8_t>(anchor.der.begin(), anchor.der.end())});
    const IssuerCheck check(anchors);
    size_t cas = 0;
    for (const AnchorCertificate& anchor : anchors) {
        if (anchor.kind != AnchorKind::Ca) continue;
        ++cas;
        const bool test = anchor.name.find("Test") != std::string::npos;
        EXPECT_EQ(check.standing_of_ca(anchor.name), test ? TrustState::Test : TrustState::Licensed) << anchor.name;
    }
    EXPECT_EQ(cas, 20u);
    EXPECT_EQ(anchor_kind_of_file(L"root-own.der"), AnchorKind::Root);
    EXPECT_EQ(anchor_kind_of_file(L"TestRoot.der"), AnchorKind::TestRoot);
    EXPECT_EQ(anchor_kind_of_file(L"yessignCA.der"), AnchorKind::Ca);
}

TEST(IssuerCheck, CopiesOfOneCertificateAreVerifiedOnce)
{
    const TestKey root_key, holder_key;
    const DistinguishedName root = name_of("KISA", "Test Vessop Root");
    const IssuerCheck check({{AnchorKind::Root, "root.der", bytes(issue(root, root_key, root, root_key))}});
    VerdictCache verdicts(check);
    const std::vector<uint8_t> genuine = bytes(issue(name_of("yessign", "kim()001"), holder_key, root, root_key));
    EXPECT_EQ(verdicts.check("AA", genuine), TrustState::Licensed);
    // Bytes whose digest is known already are not verified again (the digest names the bytes).
    EXPECT_EQ(verdicts.check("AA", std::vector<uint8_t>{0x30, 0x00}), TrustState::Licensed);
    EXPECT_EQ(verdicts.check("BB", std::vector<uint8_t>{0x30, 0x00}), TrustState::Damaged);
}

TEST(RevocationList, ReadForOneCertificateAndTrustedOnlyFromItsIssuer)
{
    const TestKey root_key, ca_key, other_key, holder_key;
    const DistinguishedName root = name_of("KISA", "Test Vessop Root");
    const DistinguishedName ca = name_of("yessign", "yessignCA Class 9");
    const std::string root_der = issue(root, root_key, root, root_key);
    const IssuerCheck check({{AnchorKind::Root, "root.der", bytes(root_der)},
                             {AnchorKind::Ca, "ca.der", bytes(issue(ca, ca_key, root, root_key))}});
    const std::vector<uint8_t> certificate = bytes(issue(name_of("yessign", "kim()001"), holder_key, ca, ca_key));
    // The names as the certificates encode them: the lists must carry them byte for byte.
    const auto name_der = [](const std::vector<uint8_t>& der, bool subject) {
        const UniqueCertContext context(CertCreateCertificateContext(X509_ASN_ENCODING, der.data(), static_cast<DWORD>(der.size())));
        const CERT_NAME_BLOB& name = subject ? context.get()->pCertInfo->Subject : context.get()->pCertInfo->Issuer;
        return std::string(reinterpret_cast<const char*>(name.pbData), name.cbData);
    };
    const std::string ca_name = name_der(certificate, false);
    const std::string root_name = name_der(bytes(root_der), true);
    constexpr int64_t issued = 1'780'000'000, due = issued + 7 * 86'400, revoked = issued - 30 * 86'400;
    const std::string serial("\x01\x2E\x5A\x7F", 4);  // the DER writer's serial

    const struct {
        const char* what;
        std::string list;
        ListFacts expected;
    } k_cases[] = {
        {"another serial listed", ca_key.sign_list(ca_name, issued, due, {{"\x05", revoked, 4}}),
         {true, true, issued, due, std::nullopt}},
        {"listed as superseded", ca_key.sign_list(ca_name, issued, due, {{"\x05", revoked, 1}, {serial, revoked, 4}}),
         {true, true, issued, due, ListEntry{revoked, 4}}},
        {"listed without a reason", ca_key.sign_list(ca_name, issued, due, {{serial, revoked, std::nullopt}}),
         {true, true, issued, due, ListEntry{revoked, std::nullopt}}},
        {"signed by another key", other_key.sign_list(ca_name, issued, due, {{serial, revoked, 4}}),
         {false, true, issued, due, ListEntry{revoked, 4}}},
        {"the root's own list", root_key.sign_list(root_name, issued, due, {}), {false, false, issued, due, std::nullopt}},
        {"bytes that are no list", "not a list", {}},
    };
    for (const auto& c : k_cases)
        EXPECT_EQ(read_revocation_list(bytes(c.list), certificate, check), c.expected) << c.what;

    // From the facts to the outcome: a verified list naming the certificate as re-issued.
    const RevocationOutcome outcome =
        decide_revocation(read_revocation_list(bytes(k_cases[1].list), certificate, check), issued + 60, "ldap://x/c=KR");
    EXPECT_EQ(outcome.state, RevocationState::Revoked);
    EXPECT_EQ(outcome.reason, RevocationReason::Superseded);
    EXPECT_EQ(outcome.revoked_at, revoked);
}

TEST(RevocationCheck, PointsTriedInOrderUntilAListAnswers)
{
    const ListAuthority authority;
    const TestKey& ca_key = authority.ca_key;
    const IssuerCheck& check = authority.check;
    const std::vector<uint8_t> certificate = bytes(authority.issue_to("kim()001"));
    const UniqueCertContext context(
        CertCreateCertificateContext(X509_ASN_ENCODING, certificate.data(), static_cast<DWORD>(certificate.size())));
    const CERT_NAME_BLOB& issuer_blob = context.get()->pCertInfo->Issuer;
    const std::string issuer(reinterpret_cast<const char*>(issuer_blob.pbData), issuer_blob.cbData);
    constexpr int64_t now = 1'780'000'000;
    const std::string serial("\x01\x2E\x5A\x7F", 4);
    const std::string revoking = ca_key.sign_list(issuer, now - 60, now + 86'400, {{serial, now - 3600, 4}});
    const std::string clean = ca_key.sign_list(issuer, now - 60, now + 86'400, {});

    // The fake directory: one address per behaviour; it counts what it was asked.
    std::map<std::string, int> asked;
    const ListFetcher directory = [&](const DistributionPoint& point) {
        ++asked[point.dn];
        FetchedList fetched;
        if (point.dn == "cn=down") fetched.failure = UnknownWhy::Unreachable;
        else if (point.dn == "cn=garbage") fetched.bytes = {1, 2, 3};
        else if (point.dn == "cn=revoking") fetched.bytes = bytes(revoking);
        else fetched.bytes = bytes(clean);
        return fetched;
    };
    const auto info_with = [](TrustState trust, std::vector<std::string> points) {
        CertificateInfo info;
        info.trust = trust;
        info.crl_distribution_points = std::move(points);
        return info;
    };
    const std::string down = "ldap://127.0.0.1/cn=down", garbage = "ldap://127.0.0.1/cn=garbage",
                      revoked_at = "ldap://127.0.0.1/cn=revoking", good = "ldap://127.0.0.1/cn=clean";
    const struct {
        const char* what;
        CertificateInfo info;
        RevocationState state;
        std::optional<UnknownWhy> why;
        std::string source;
    } k_cases[] = {
        {"the first point answers", info_with(TrustState::Licensed, {revoked_at, good}), RevocationState::Revoked, std::nullopt, revoked_at},
        {"an unreachable point, then one that answers", info_with(TrustState::Licensed, {down, good}), RevocationState::Good, std::nullopt, good},
        {"no list verifies", info_with(TrustState::Test, {down, garbage}), RevocationState::Unknown, UnknownWhy::Unverifiable, garbage},
        {"no point at all", info_with(TrustState::Licensed, {}), RevocationState::Unknown, UnknownWhy::NoList, ""},
        {"no usable point", info_with(TrustState::Licensed, {"ftp://x/y", "ldap://h"}), RevocationState::Unknown, UnknownWhy::BadAddress, ""},
        {"an unknown issuer is not asked about", info_with(TrustState::UnknownIssuer, {good}), RevocationState::Unknown, UnknownWhy::NotLicensed, ""},
        {"nor a damaged certificate", info_with(TrustState::Damaged, {good}), RevocationState::Unknown, UnknownWhy::Unverifiable, ""},
    };
    ListCache cache(directory);
    for (const auto& c : k_cases) {
        const RevocationOutcome outcome = check_revocation(certificate, c.info, check, std::ref(cache), now);
        EXPECT_EQ(outcome.state, c.state) << c.what;
        EXPECT_EQ(outcome.why, c.why) << c.what;
        EXPECT_EQ(outcome.source, c.source) << c.what;
    }
    // Each address was fetched once however many certificates named it.
    for (const auto& [dn, count] : asked) EXPECT_EQ(count, 1) << dn;
    EXPECT_EQ(asked.size(), 4u);
}

TEST(RevocationRun, EveryEntryCheckedWithEachAddressFetchedOnceAndAnswersKeptAcrossScans)
{
    const ListAuthority authority;
    const TestKey& ca_key = authority.ca_key;
    const DistinguishedName& ca = authority.ca;
    const IssuerCheck& check = authority.check;
    const std::string certificate = authority.issue_to("kim()001");
    const std::string other = authority.issue_to("lee()002");
    constexpr int64_t now = 1'780'000'000;
    const std::string clean = ca_key.sign_list(encode_name(ca), now - 60, now + 86'400, {});

    // Each certificate on disk where its entry says; the second entry's file changed since the scan.
    const TempFolder folder;
    const auto entry_at = [&](const wchar_t* name, const std::string& scanned, const std::string& on_disk, TrustState trust) {
        CreateDirectoryW((folder / name).c_str(), nullptr);
        const UniqueFile file(CreateFileW((folder / name + L"\\signCert.der").c_str(), GENERIC_WRITE, 0, nullptr,
                                          CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        EXPECT_TRUE(WriteFile(file.get(), on_disk.data(), static_cast<DWORD>(on_disk.size()), &written, nullptr));
        CertificateEntry entry;
        entry.info = *decode_certificate(bytes(scanned));
        entry.info.trust = trust;
        entry.info.crl_distribution_points = {"ldap://127.0.0.1/cn=clean", "http://127.0.0.1/backup.crl"};
        entry.copies.push_back({folder / name, "yessign", "", false, true, false});
        return entry;
    };
    const std::vector<CertificateEntry> entries = {
        entry_at(L"kim", certificate, certificate, TrustState::Licensed),
        entry_at(L"changed", other, certificate, TrustState::Licensed),
        entry_at(L"foreign", other, other, TrustState::UnknownIssuer),
        entry_at(L"kim2", certificate, certificate, TrustState::Licensed),
    };
    std::mutex mutex;
    std::map<std::string, int> asked;
    const ListFetcher directory = [&](const DistributionPoint& point) {
        const std::lock_guard lock(mutex);
        ++asked[point.dn + point.path];
        return FetchedList{bytes(clean), std::nullopt};
    };
    const std::vector<RevocationOutcome> outcomes = check_entries(entries, check, directory, now, 4);
    ASSERT_EQ(outcomes.size(), entries.size());
    EXPECT_EQ(outcomes[0].state, RevocationState::Good);
    EXPECT_EQ(outcomes[0].list_issued, now - 60);
    EXPECT_EQ(outcomes[1].why, UnknownWhy::Unverifiable);  // not the bytes the scan found: not asked about
    EXPECT_EQ(outcomes[2].why, UnknownWhy::NotLicensed);
    EXPECT_EQ(outcomes[3], outcomes[0]);
    // Only the first address was needed, and fetched once for both certificates naming it.
    EXPECT_EQ(asked, (std::map<std::string, int>{{"cn=clean", 1}}));

    // A new scan keeps what was learnt for the certificates it still finds, and nothing for others.
    RevocationResults results;
    results.record(entries, outcomes);
    std::vector<CertificateEntry> rescanned = {entries[3], entries[2]};
    rescanned[1].info.sha256_hex = "00";
    results.apply(rescanned);
    EXPECT_EQ(rescanned[0].revocation, outcomes[0]);
    EXPECT_EQ(rescanned[1].revocation.state, RevocationState::NotChecked);
}
