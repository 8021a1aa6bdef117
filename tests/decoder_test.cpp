#include "x509/decoder.h"

#include "npki/certificate_folder.h"

#include "base/handle.h"
#include "tests/support/der_writer.h"
#include "tests/support/npki_fixture.h"
#include "tests/support/reference_digest.h"
#include "tests/support/removable_drive.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <cwctype>

#include <windows.h>

namespace {

const std::string k_hong = "\xED\x99\x8D\xEA\xB8\xB8\xEB\x8F\x99";  // 홍길동
const std::string k_default_cn = k_hong + "()0012345678901234";

// Lays the certificate out as an NPKI folder and decodes it through crypt32.
std::optional<std::pair<CertificateInfo, CertificateCopy>> decode_der(const std::string& der, bool with_key = true,
                                                                      bool with_km = false)
{
    TempFolder temp;
    const std::wstring folder = add_certificate(temp.path(), L"yessign", L"cert", der, with_key, with_km);
    EXPECT_FALSE(folder.empty());
    return decode_certificate_folder(folder, "yessign");
}

CertificateInfo decode_info(const TestCertificate& test_certificate)
{
    auto decoded = decode_der(make_certificate_der(test_certificate));
    EXPECT_TRUE(decoded.has_value());
    return decoded ? decoded->first : CertificateInfo{};
}

// Decodes a signCert.der laid in `folder` by the caller.
std::optional<std::pair<CertificateInfo, CertificateCopy>> decode_in(const std::wstring& folder)
{
    return decode_certificate_folder(folder, "ca");
}

TEST(DecodeCertificateFolder, NpkiNamesReadCommonNameFirst)
{
    const CertificateInfo info = decode_info(TestCertificate{});
    EXPECT_EQ(info.subject_cn, k_default_cn);
    EXPECT_EQ(info.subject_dn, "CN=" + k_default_cn + ", OU=XYZ, OU=personal4IB, O=yessign, C=KR");
    EXPECT_EQ(info.issuer_dn, "CN=yessignCA Class 2, O=yessign, C=kr");
    EXPECT_EQ(info.issuer_org, "yessign");
    EXPECT_EQ(info.issuer_cn, "yessignCA Class 2");
}

TEST(DecodeCertificateFolder, NameVariantsRenderAsWindowsDoes)
{
    struct Case {
        const char* what;
        DistinguishedName subject;
        std::string subject_cn;
        std::string subject_dn;
    };
    const Case k_cases[] = {
        {"BMPString Korean",
         {{{std::string(k_oid_country), "KR", StringType::printable}},
          {{std::string(k_oid_common_name), k_hong, StringType::bmp}}},
         k_hong,
         "CN=" + k_hong + ", C=KR"},
        {"organisation with a comma is quoted",
         {{{std::string(k_oid_organization), "Gana, Inc.", StringType::printable}},
          {{std::string(k_oid_common_name), "Example User", StringType::utf8}}},
         "Example User",
         "CN=Example User, O=\"Gana, Inc.\""},
        {"three OUs keep their order reversed",
         {{{std::string(k_oid_organizational_unit), "A", StringType::utf8}},
          {{std::string(k_oid_organizational_unit), "B", StringType::utf8}},
          {{std::string(k_oid_organizational_unit), "C", StringType::utf8}}},
         "",
         "OU=C, OU=B, OU=A"},
        {"name without a common name",
         {{{std::string(k_oid_country), "KR", StringType::printable}}},
         "",
         "C=KR"},
        {"empty name", {}, "", ""},
    };
    for (const Case& c : k_cases) {
        TestCertificate test_certificate;
        test_certificate.subject = c.subject;
        const CertificateInfo info = decode_info(test_certificate);
        EXPECT_EQ(info.subject_cn, c.subject_cn) << c.what;
        EXPECT_EQ(info.subject_dn, c.subject_dn) << c.what;
    }
}

TEST(DecodeCertificateFolder, IssuerWithoutOrganisationGivesEmptyOrg)
{
    TestCertificate test_certificate;
    test_certificate.issuer = {{{std::string(k_oid_country), "KR", StringType::printable}},
                   {{std::string(k_oid_common_name), "Root CA", StringType::utf8}}};
    const CertificateInfo info = decode_info(test_certificate);
    EXPECT_EQ(info.issuer_org, "");
    EXPECT_EQ(info.issuer_cn, "Root CA");
    EXPECT_EQ(info.issuer_dn, "CN=Root CA, C=KR");
}

TEST(DecodeCertificateFolder, SerialReadsMostSignificantByteFirst)
{
    struct Case {
        std::string content;
        const char* hex;
    };
    const Case k_cases[] = {
        {std::string("\x0A\x02\x01", 3), "0A0201"},
        {std::string("\x00\x8F\x01", 3), "008F01"},  // the sign byte stays
        {std::string("\x0F", 1), "0F"},
        {std::string("\x01\x23\x45\x67\x89\xAB\xCD\xEF\x01\x23\x45\x67\x89\xAB\xCD\xEF\x10\x20\x30\x40", 20),
         "0123456789ABCDEF0123456789ABCDEF10203040"},
    };
    for (const Case& c : k_cases) {
        TestCertificate test_certificate;
        test_certificate.serial = c.content;
        EXPECT_EQ(decode_info(test_certificate).serial_hex, c.hex);
    }
}

TEST(DecodeCertificateFolder, ThumbprintsMatchIndependentDigests)
{
    TestCertificate test_certificate;
    test_certificate.subject[4][0].value = "Someone Else()1234567890123456";
    for (const std::string& der : {make_certificate_der(TestCertificate{}), make_certificate_der(test_certificate)}) {
        const auto decoded = decode_der(der);
        ASSERT_TRUE(decoded);
        EXPECT_EQ(decoded->first.sha1_hex, reference_sha1_hex(der));
        EXPECT_EQ(decoded->first.sha256_hex, reference_sha256_hex(der));
    }
    // Computed with `openssl dgst` over the bytes the writer produces for the default test_certificate.
    const CertificateInfo info = decode_info(TestCertificate{});
    EXPECT_EQ(info.sha1_hex, "DEC2B69A63E16EB9A95C09AF3CB372AE53E6FCFF");
    EXPECT_EQ(info.sha256_hex, "86D6D46540A9BFE153AF4F8AC424236BB3BA972E661FF4BFE9736F6FFE7410EF");
}

TEST(DecodeCertificateFolder, ValidityBecomesSecondsSince1970)
{
    struct Case {
        int64_t seconds;
        TimeEncoding encoding;
    };
    const Case k_cases[] = {
        {0, TimeEncoding::automatic},                   // exactly 1970-01-01 00:00:00
        {-1, TimeEncoding::automatic},                  // 1969-12-31 23:59:59
        {-631152000, TimeEncoding::automatic},          // 1950-01-01, first UTCTime year
        {-631152001, TimeEncoding::automatic},          // 1949-12-31 23:59:59, GeneralizedTime
        {2524607999, TimeEncoding::automatic},          // 2049-12-31 23:59:59, last UTCTime second
        {2524608000, TimeEncoding::automatic},          // 2050-01-01, GeneralizedTime
        {4102444800, TimeEncoding::automatic},          // 2100-01-01
        {1735689599, TimeEncoding::generalized_time},   // 2024 written as GeneralizedTime
        {-11644473600, TimeEncoding::automatic},        // 1601-01-01, FILETIME zero
    };
    for (const Case& c : k_cases) {
        TestCertificate test_certificate;
        test_certificate.not_before = c.seconds;
        test_certificate.not_after = c.seconds;
        test_certificate.time_encoding = c.encoding;
        const CertificateInfo info = decode_info(test_certificate);
        EXPECT_EQ(info.not_before, c.seconds);
        EXPECT_EQ(info.not_after, c.seconds);
    }
}

TEST(DecodeCertificateFolder, PoliciesKeepExtensionOrder)
{
    struct Case {
        const char* what;
        bool has_policies;
        bool corrupt;
        std::vector<Extension> others;
        std::vector<std::string> oids;
        std::vector<std::string> expected;
    };
    const std::vector<std::string> two = {"1.2.410.200004.5.2.1.2", "1.2.410.200005.1.1.1"};
    const Case k_cases[] = {
        {"one", true, false, {}, {"1.2.410.200005.1.1.1"}, {"1.2.410.200005.1.1.1"}},
        {"two in order", true, false, {}, two, two},
        {"two reversed", true, false, {}, {two[1], two[0]}, {two[1], two[0]}},
        {"after another extension", true, false, {key_usage_extension()}, two, two},
        {"absent", false, false, {key_usage_extension()}, {}, {}},
        {"no extensions at all", false, false, {}, {}, {}},
        {"corrupt", true, true, {}, two, {}},
    };
    for (const Case& c : k_cases) {
        TestCertificate test_certificate;
        test_certificate.has_policies = c.has_policies;
        test_certificate.corrupt_policies = c.corrupt;
        test_certificate.other_extensions = c.others;
        test_certificate.policy_oids = c.oids;
        EXPECT_EQ(decode_info(test_certificate).policy_oids, c.expected) << c.what;
    }
}

TEST(Decoder, CrlDistributionPointsAreItsUrlsInOrder)
{
    // CRLDistributionPoints: each point a SEQUENCE holding [0] distributionPoint, holding [0] fullName,
    // GeneralNames whose URIs are [6].
    const auto point = [](std::vector<std::string> names) {
        std::string general_names;
        for (const std::string& name : names) general_names += name;
        return der::sequence(der::tlv(0xA0, der::tlv(0xA0, general_names)));
    };
    const auto uri = [](const std::string& url) { return der::tlv(0x86, url); };
    const std::string signgate = "ldap://ldap.signgate.com:389/ou=dp7p18584,ou=crldp,ou=AccreditedCA,o=KICA,c=KR";
    const std::string http = "http://crl.example.com/CA4.crl";
    const struct {
        const char* what;
        std::optional<std::string> value;  // the extension's value; none for no extension
        std::vector<std::string> expected;
    } k_cases[] = {
        {"one LDAP point", der::sequence(point({uri(signgate)})), {signgate}},
        {"two points, in order", der::sequence(point({uri(signgate)}) + point({uri(http)})), {signgate, http}},
        {"two names in one point", der::sequence(point({uri(http), uri(signgate)})), {http, signgate}},
        {"a directory name is no URL", der::sequence(point({der::tlv(0xA4, der::sequence(""))}) + point({uri(http)})), {http}},
        {"absent", std::nullopt, {}},
        {"corrupt", std::string("\x30\x7F\x30", 3), {}},
    };
    for (const auto& c : k_cases) {
        TestCertificate test_certificate;
        if (c.value) test_certificate.other_extensions = {{"2.5.29.31", *c.value}};
        EXPECT_EQ(decode_info(test_certificate).crl_distribution_points, c.expected) << c.what;
    }
}

TEST(DecodeCertificateFolder, UnreadableOrForeignFileGivesNothing)
{
    const std::string der = make_certificate_der(TestCertificate{});
    const std::string k_contents[] = {
        "",
        "This is a text file, not a certificate.\r\n",
        der.substr(0, der.size() / 2),  // truncated
        std::string("\x30\x82\xFF\xFF", 4),
    };
    for (const std::string& contents : k_contents) {
        EXPECT_FALSE(decode_der(contents)) << contents.size() << " bytes";
    }
}

TEST(DecodeCertificateFolder, MissingCertificateGivesNothing)
{
    TempFolder temp;
    EXPECT_FALSE(decode_in(temp.path()));
    EXPECT_FALSE(decode_in(temp / L"no such folder"));
    ASSERT_TRUE(make_folders(temp / L"dir\\signCert.der"));  // a folder under the file's name
    EXPECT_FALSE(decode_in(temp / L"dir"));
}

// A file of `size` bytes that begins with `prefix`, made sparse-cheaply by moving the end.
bool write_sized_file(const std::wstring& path, const std::string& prefix, int64_t size)
{
    if (!write_file(path, prefix)) return false;
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    LARGE_INTEGER end{};
    end.QuadPart = size;
    return SetFilePointerEx(file.get(), end, nullptr, FILE_BEGIN) && SetEndOfFile(file.get());
}

TEST(DecodeCertificateFolder, ImplausiblyLargeFileGivesNothing)
{
    TempFolder temp;
    const std::string der = make_certificate_der(TestCertificate{});
    constexpr int64_t k_limit = 1 << 20;

    ASSERT_TRUE(write_sized_file(temp / L"huge\\signCert.der", der, 100'000'000));
    EXPECT_FALSE(decode_in(temp / L"huge"));
    ASSERT_TRUE(write_sized_file(temp / L"over\\signCert.der", der, k_limit + 1));
    EXPECT_FALSE(decode_in(temp / L"over"));

    // At the limit the file is read. crypt32 (Wine's and, as far as we know, Windows') takes a
    // certificate followed by padding, so the refusals above come from the size check alone.
    ASSERT_TRUE(write_sized_file(temp / L"limit\\signCert.der", der, k_limit));
    if (const auto decoded = decode_in(temp / L"limit")) {
        std::string padded = der;
        padded.resize(k_limit, '\0');
        EXPECT_EQ(decoded->first.sha256_hex, reference_sha256_hex(padded));
    }
}

TEST(DecodeCertificateFolder, CompanionFilesCountOnlyAsFiles)
{
    const std::string der = make_certificate_der(TestCertificate{});
    TempFolder temp;
    struct Case {
        const wchar_t* folder;
        bool key_file;
        bool key_dir;
        bool km_file;
        bool km_dir;
    };
    const Case k_cases[] = {
        {L"none", false, false, false, false},
        {L"key", true, false, false, false},
        {L"both", true, false, true, false},
        {L"km", false, false, true, false},
        {L"dirs", false, true, false, true},
    };
    for (const Case& c : k_cases) {
        const std::wstring folder = temp / c.folder;
        ASSERT_TRUE(write_certificate_folder(folder, der, c.key_file, c.km_file));
        if (c.key_dir) {
            ASSERT_TRUE(make_folders(folder + L"\\signPri.key"));
        }
        if (c.km_dir) {
            ASSERT_TRUE(make_folders(folder + L"\\kmCert.der"));
        }
        const auto decoded = decode_in(folder);
        ASSERT_TRUE(decoded);
        EXPECT_EQ(decoded->second.has_private_key, c.key_file);
        EXPECT_EQ(decoded->second.has_km_cert, c.km_file);
    }
}

TEST(DecodeCertificateFolder, CopyKeepsCallersFolderAndCaName)
{
    TempFolder temp;
    const std::wstring folder = add_certificate(temp.path(), L"yessign", L"cert", make_certificate_der(TestCertificate{}));
    const auto decoded = decode_certificate_folder(folder + L"\\", "yessign");  // a trailing backslash too
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->second.folder, folder + L"\\");
    EXPECT_EQ(decoded->second.ca_folder_name, "yessign");
    EXPECT_TRUE(decoded->second.has_private_key);
}

TEST(DecodeCertificateFolder, LowerCaseDriveLetterGivesUpperCaseDrive)
{
    TempFolder temp;
    std::wstring folder = add_certificate(temp.path(), L"yessign", L"cert", make_certificate_der(TestCertificate{}));
    ASSERT_GE(folder.size(), 2u);
    ASSERT_EQ(folder[1], L':');
    folder[0] = static_cast<wchar_t>(std::towlower(folder[0]));
    const auto decoded = decode_in(folder);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->second.drive, std::string(1, static_cast<char>(std::towupper(folder[0]))) + ":");
    const wchar_t root[] = {static_cast<wchar_t>(std::towupper(folder[0])), L':', L'\\', 0};
    EXPECT_EQ(decoded->second.removable, GetDriveTypeW(root) == DRIVE_REMOVABLE);
}

TEST(DecodeCertificateFolder, PathWithoutLeadingDriveLetterIsNotRemovable)
{
    // The \\?\ form reaches a real folder, but its text does not begin with a letter and a colon.
    TempFolder temp;
    const std::wstring folder = add_certificate(temp.path(), L"yessign", L"cert", make_certificate_der(TestCertificate{}));
    const auto decoded = decode_in(L"\\\\?\\" + folder);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->second.drive, "");
    EXPECT_FALSE(decoded->second.removable);
}

TEST(DecodeCertificateFolder, CopyOnRemovableDriveIsRemovable)
{
    TempFolder temp;
    ASSERT_FALSE(add_certificate(temp.path(), L"yessign", L"cert", make_certificate_der(TestCertificate{})).empty());
    RemovableTestDrive drive(temp.path());
    if (!drive.ok()) GTEST_SKIP() << "no way to define a removable drive here";

    const wchar_t lower = static_cast<wchar_t>(std::towlower(drive.letter()));
    for (const std::wstring& root : {drive.root(), std::wstring{lower, L':', L'\\'}}) {
        const auto decoded = decode_in(root + L"NPKI\\yessign\\USER\\cert");
        ASSERT_TRUE(decoded);
        const std::string expected_drive = {static_cast<char>(drive.letter()), ':'};
        EXPECT_EQ(decoded->second.drive, expected_drive);
        EXPECT_TRUE(decoded->second.removable);
    }
}

}  // namespace
