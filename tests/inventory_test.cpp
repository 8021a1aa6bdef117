#include "npki/inventory.h"

#include "base/text.h"
#include "x509/certificate.h"

#include <gtest/gtest.h>

namespace {

const std::string k_hong = "\xED\x99\x8D\xEA\xB8\xB8\xEB\x8F\x99";    // 홍길동
const std::string k_ju = "(\xEC\xA3\xBC)";                             // (주)
const std::string k_ganada = "\xEA\xB0\x80\xEB\x82\x98\xEB\x8B\xA4";  // 가나다

TEST(HolderName, DropsTheNpkiIdentifier)
{
    struct Case {
        std::string cn;
        std::string expected;
    };
    const Case k_cases[] = {
        {k_hong + "()1234567890", k_hong},
        {k_ju + k_ganada + "()12345678", k_ju + k_ganada},
        {k_hong + "(HONG)12345678", k_hong + "(HONG)"},
        {k_hong + "(0012)12345678", k_hong},               // a digit-only alias goes with the digits
        {k_hong + " ()1234567890", k_hong},                // the candidate is trimmed
        {"A(B)C()12345678", "A(B)C"},                      // the last "(" before the ")" counts
        {k_hong + "(" + k_hong + ")1234567890", k_hong + "(" + k_hong + ")"},
        {" (  )12345678", "(  )"},                         // an alias of spaces stays
        {"Example User", "Example User"},
        {"", ""},
    };
    for (const Case& c : k_cases) EXPECT_EQ(holder_name(c.cn), c.expected) << c.cn;
}

TEST(HolderName, TrimsUnicodeWhiteSpaceFirst)
{
    struct Case {
        std::string cn;
        std::string expected;
    };
    const Case k_cases[] = {
        {"  " + k_hong + "()1234567890 \t", k_hong},  // trailing spaces would otherwise hide the digits
        {"\xE3\x80\x80" + k_hong + "\xC2\xA0", k_hong},  // ideographic space, no-break space
        {"Example User \r\n", "Example User"},
        {" \xE3\x80\x80 ", ""},
        {"\xFF" + k_hong + " ", "\xFF" + k_hong},  // a malformed byte is text, not space
    };
    for (const Case& c : k_cases) EXPECT_EQ(holder_name(c.cn), c.expected) << c.cn;
}

TEST(HolderName, KeepsWholeNameWithoutALongDigitTail)
{
    const std::string k_whole[] = {
        k_hong + "()1234567",                         // seven digits: not an identifier
        k_hong + "()12345678x",                       // the tail is not all digits
        k_hong + "()1234567890(A)",                   // ")" at the end passed over, the next tail has letters
        k_hong + "()1234567890)abc)def",              // two short tails passed over, then not digits
        "A()1234567890)" + k_ganada,                  // three Hangul are nine bytes: long, not digits
        "X()\xEA\xB0\x80\xEA\xB0\x80",                // two Hangul are six bytes: passed over
        k_hong + "()\xEF\xBC\x91\xEF\xBC\x92\xEF\xBC\x93",  // full-width digits are not digits
        "Name)12345678",                              // no "(" before the ")"
        "()1234567890",                               // nothing would remain
        "(0)12345678",
    };
    for (const std::string& cn : k_whole) EXPECT_EQ(holder_name(cn), cn) << cn;
}

TEST(PathKey, ComparesPathsWithoutCaseOrTrailingBackslashes)
{
    struct Case {
        std::wstring a;
        std::wstring b;
        bool same;
    };
    const Case k_cases[] = {
        {L"C:\\NPKI\\", L"c:\\npki", true},
        {L"C:\\NPKI", L"C:/NPKI", false},            // slashes are not normalised
        {L"C:\\NPKI\\\\\\", L"c:\\npki", true},      // every trailing backslash goes
        {L"C:\\NPKI/", L"C:\\NPKI", false},
        {L"C:\\a\\.\\NPKI", L"C:\\a\\NPKI", false},  // dot components stay
        {L"D:\\\u0391\u0392", L"d:\\\u03B1\u03B2", true},  // Greek
        {L"D:\\\u0416", L"d:\\\u0436", true},        // Cyrillic
        {L"D:\\\uFF21", L"d:\\\uFF41", true},        // full-width A
        {L"D:\\\uAC00", L"D:\\\uAC01", false},       // Hangul has no case
        {L"\\\\server\\share\\", L"\\\\SERVER\\share", true},
    };
    for (const Case& c : k_cases) {
        EXPECT_EQ(path_key(c.a) == path_key(c.b), c.same) << utf8_from_utf16(c.a) << " vs " << utf8_from_utf16(c.b);
    }
}

TEST(PathKey, IsLowerCaseUtf8WithoutTrailingBackslash)
{
    EXPECT_EQ(path_key(L"C:\\NPKI\\\\"), "c:\\npki");
    EXPECT_EQ(path_key(L"\\"), "");
    EXPECT_EQ(path_key(L"C:\\\uD64D"), "c:\\\xED\x99\x8D");
    EXPECT_EQ(path_key(std::wstring{L'C', L':', wchar_t(0xD800)}), "c:\xEF\xBF\xBD");  // lossy, not dropped
}

CertificateInfo certificate(std::string issuer_dn, std::string serial_hex)
{
    CertificateInfo info;
    info.issuer_dn = std::move(issuer_dn);
    info.serial_hex = std::move(serial_hex);
    return info;
}

TEST(SameCertificate, IssuerIgnoresCaseSerialDoesNot)
{
    struct Case {
        const char* what;
        CertificateInfo a;
        CertificateInfo b;
        bool same;
    };
    const std::string issuer = "CN=yessignCA Class 2, O=yessign, C=kr";
    const Case k_cases[] = {
        {"equal", certificate(issuer, "0A0201"), certificate(issuer, "0A0201"), true},
        {"ASCII case", certificate(issuer, "0A0201"), certificate("cn=YESSIGNCA class 2, o=YESSIGN, c=KR", "0A0201"), true},
        {"Greek case", certificate("CN=\xCE\x91\xCE\x92\xCE\x93", "01"), certificate("CN=\xCE\xB1\xCE\xB2\xCE\xB3", "01"), true},
        {"Cyrillic case", certificate("CN=\xD0\x96\xD0\xA3\xD0\x9A", "01"), certificate("CN=\xD0\xB6\xD1\x83\xD0\xBA", "01"), true},
        {"full-width case", certificate("CN=\xEF\xBC\xA1\xEF\xBC\xA2", "01"), certificate("CN=\xEF\xBD\x81\xEF\xBD\x82", "01"), true},
        {"different Hangul", certificate("CN=\xEA\xB0\x80", "01"), certificate("CN=\xEA\xB0\x81", "01"), false},
        {"different serial", certificate(issuer, "0A0201"), certificate(issuer, "0A0202"), false},
        {"serial case counts", certificate(issuer, "0A"), certificate(issuer, "0a"), false},
        {"leading zero counts", certificate(issuer, "008F01"), certificate(issuer, "8F01"), false},
        {"same serial, other issuer", certificate(issuer, "01"), certificate("CN=CrossCert, O=CrossCert, C=KR", "01"), false},
        {"issuer and serial boundary", certificate("CN=A", "BC"), certificate("CN=AB", "C"), false},
    };
    for (const Case& c : k_cases) {
        EXPECT_EQ(same_certificate(c.a, c.b), c.same) << c.what;
        EXPECT_EQ(same_certificate(c.b, c.a), c.same) << c.what;
        EXPECT_EQ(certificate_identity_key(c.a) == certificate_identity_key(c.b), c.same) << c.what;
    }
}

TEST(SameCertificate, IgnoresEverythingButIssuerAndSerial)
{
    CertificateInfo a = certificate("CN=yessignCA Class 2", "01");
    CertificateInfo b = a;
    b.subject_cn = "Someone Else";
    b.subject_dn = "CN=Someone Else";
    b.sha1_hex = "00";
    b.sha256_hex = "11";
    b.not_after = 12345;
    b.policy_oids = {"1.2.3"};
    EXPECT_TRUE(same_certificate(a, b));
    EXPECT_EQ(certificate_identity_key(a), certificate_identity_key(b));
}

TEST(DriveOfPath, TakesLeadingAsciiLetterAndColon)
{
    struct Case {
        std::wstring folder;
        const char* drive;
    };
    const Case k_cases[] = {
        {L"d:\\NPKI\\yessign", "D:"},
        {L"C:\\", "C:"},
        {L"z:", "Z:"},
        {L"C:relative", "C:"},
        {L"\\\\server\\share\\NPKI", ""},     // UNC
        {L"\\\\?\\C:\\NPKI", ""},             // the text does not begin with the letter
        {L"NPKI\\yessign", ""},               // relative
        {L"1:\\x", ""},
        {L"\u00E9:\\x", ""},                   // not an ASCII letter
        {L"\uFF21:\\x", ""},                   // full-width A
        {L"C", ""},
        {L"", ""},
    };
    for (const Case& c : k_cases) EXPECT_EQ(drive_of_path(c.folder), c.drive) << utf8_from_utf16(c.folder);
}

TEST(JoinPath, AddsOneBackslashWhenNeeded)
{
    struct Case {
        std::wstring base;
        std::wstring name;
        std::wstring joined;
    };
    const Case k_cases[] = {
        {L"C:\\NPKI", L"signCert.der", L"C:\\NPKI\\signCert.der"},
        {L"C:\\NPKI\\", L"signCert.der", L"C:\\NPKI\\signCert.der"},
        {L"C:\\", L"NPKI", L"C:\\NPKI"},
        {L"C:/NPKI/", L"x", L"C:/NPKI/\\x"},  // forward slashes are left alone
        {L"", L"signCert.der", L"signCert.der"},
    };
    for (const Case& c : k_cases) EXPECT_EQ(join_path(c.base, c.name), c.joined);
}

TEST(ToHexUpper, WritesTwoUpperCaseDigitsPerByte)
{
    struct Case {
        std::vector<uint8_t> bytes;
        const char* hex;
    };
    const Case k_cases[] = {
        {{}, ""},
        {{0x0F}, "0F"},
        {{0x00}, "00"},
        {{0x00, 0xFF, 0xA5, 0x10}, "00FFA510"},
    };
    for (const Case& c : k_cases) EXPECT_EQ(to_hex_upper(c.bytes), c.hex);
}

}  // namespace
