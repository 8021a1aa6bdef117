#include "x509/policy.h"

#include "tests/support/translations.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {


TEST(ClassifyPolicies, EveryKnownOidGivesItsPurposeAndHolder)
{
    struct Case {
        const char* oid;
        Purpose purpose;
        HolderKind kind;
    };
    const Case k_cases[] = {
        {"1.2.410.200005.1.1.1", Purpose::AllPurpose, HolderKind::Personal},
        {"1.2.410.200005.1.1.5", Purpose::AllPurpose, HolderKind::Business},
        {"1.2.410.200005.1.1.4", Purpose::Banking, HolderKind::Unspecified},
        {"1.2.410.200005.1.1.2", Purpose::Banking, HolderKind::Business},
        {"1.2.410.200005.1.1.6.8", Purpose::ETaxInvoice, HolderKind::Business},
        {"1.2.410.200004.5.2.1.2", Purpose::AllPurpose, HolderKind::Personal},
        {"1.2.410.200004.5.2.1.1", Purpose::AllPurpose, HolderKind::Business},
        {"1.2.410.200004.5.2.1.7.1", Purpose::Banking, HolderKind::Unspecified},
        {"1.2.410.200004.5.2.1.6.257", Purpose::ETaxInvoice, HolderKind::Business},
        {"1.2.410.200004.5.2.1.6.141", Purpose::SpecialPurpose, HolderKind::Business},
        {"1.2.410.200004.5.2.1.5.13", Purpose::SpecialPurpose, HolderKind::Business},
        {"1.2.410.200004.5.1.1.5", Purpose::AllPurpose, HolderKind::Personal},
        {"1.2.410.200004.5.1.1.7", Purpose::AllPurpose, HolderKind::Business},
        {"1.2.410.200004.5.1.1.9", Purpose::Securities, HolderKind::Unspecified},
        {"1.2.410.200004.5.4.1.1", Purpose::AllPurpose, HolderKind::Personal},
        {"1.2.410.200004.5.4.1.2", Purpose::AllPurpose, HolderKind::Business},
        {"1.2.410.200004.5.4.1.101", Purpose::Banking, HolderKind::Unspecified},
        {"1.2.410.200012.1.1.1", Purpose::AllPurpose, HolderKind::Personal},
        {"1.2.410.200012.1.1.3", Purpose::AllPurpose, HolderKind::Business},
        {"1.2.410.200012.1.1.5", Purpose::AllPurpose, HolderKind::Business},
        {"1.2.410.200004.5.3.1.1", Purpose::AllPurpose, HolderKind::Business},
        {"1.2.410.200004.5.5.1.2", Purpose::AllPurpose, HolderKind::Unspecified},
    };
    for (const Case& c : k_cases) {
        const PolicyClass got = classify_policies({c.oid});
        EXPECT_EQ(got, (PolicyClass{c.purpose, c.kind})) << c.oid;
    }
}

TEST(ClassifyPolicies, FirstExactlyMatchingCertificateOidDecides)
{
    struct Case {
        std::vector<std::string> oids;
        PolicyClass expected;
    };
    const Case k_cases[] = {
        {{}, {Purpose::Other, HolderKind::Unspecified}},
        // an unknown OID first does not end the search
        {{"1.2.3.4", "1.2.410.200004.5.2.1.2"}, {Purpose::AllPurpose, HolderKind::Personal}},
        // the first known OID wins even though a later one would state a holder kind
        {{"1.2.410.200005.1.1.4", "1.2.410.200005.1.1.1"}, {Purpose::Banking, HolderKind::Unspecified}},
        {{"1.2.410.200005.1.1.1", "1.2.410.200005.1.1.4"}, {Purpose::AllPurpose, HolderKind::Personal}},
        // no prefix matching, no trimming
        {{"1.2.410.200005.1.1.1 "}, {Purpose::Other, HolderKind::Unspecified}},
        {{" 1.2.410.200005.1.1.1"}, {Purpose::Other, HolderKind::Unspecified}},
        {{"1.2.410.200005.1.1.10"}, {Purpose::Other, HolderKind::Unspecified}},
        {{"1.2.410.200005.1.1"}, {Purpose::Other, HolderKind::Unspecified}},
        {{std::string("1.2.410.200005.1.1.1\0", 21)}, {Purpose::Other, HolderKind::Unspecified}},
        {{"", "1.2.410.200004.5.1.1.9"}, {Purpose::Securities, HolderKind::Unspecified}},
    };
    for (const Case& c : k_cases) {
        EXPECT_EQ(classify_policies(c.oids), c.expected) << (c.oids.empty() ? "(none)" : c.oids.front());
    }
}

TEST(PurposeRowText, StatedHolderKindFollowsAfterMiddleDot)
{
    struct Case {
        PolicyClass policy_class;
        Translate translate;
        const char* expected;
    };
    const Case k_cases[] = {
        {{Purpose::AllPurpose, HolderKind::Personal}, in_korean, "범용 · 개인"},
        {{Purpose::AllPurpose, HolderKind::Personal}, in_english, "All-purpose · Personal"},
        {{Purpose::ETaxInvoice, HolderKind::Business}, in_english, "E-tax invoice · Business"},
        {{Purpose::SpecialPurpose, HolderKind::Business}, in_korean, "특수 목적용 · 사업자"},
        {{Purpose::Banking, HolderKind::Unspecified}, in_english, "Banking & insurance"},
        {{Purpose::Securities, HolderKind::Unspecified}, in_korean, "증권용"},
        {{Purpose::Other, HolderKind::Unspecified}, in_english, "Other"},
    };
    for (const Case& c : k_cases) EXPECT_EQ(purpose_row_text(c.policy_class, c.translate), c.expected);
}

TEST(ListPurposeText, OtherNamesFirstOidOrDashAndHolderIsNeverShown)
{
    struct Case {
        std::vector<std::string> oids;
        Translate translate;
        const char* expected;
    };
    const Case k_cases[] = {
        {{}, in_english, "Other (-)"},
        {{}, in_korean, "기타 (-)"},
        {{"1.2.3.4", "1.2.3.5"}, in_english, "Other (1.2.3.4)"},
        {{"1.2.410.200005.1.1.10"}, in_korean, "기타 (1.2.410.200005.1.1.10)"},
        {{"1.2.410.200005.1.1.5"}, in_english, "All-purpose"},
        {{"1.2.410.200005.1.1.5"}, in_korean, "범용"},
        {{"9.9", "1.2.410.200004.5.2.1.6.257"}, in_english, "E-tax invoice"},
    };
    for (const Case& c : k_cases) {
        EXPECT_EQ(list_purpose_text(classify_policies(c.oids), c.oids, c.translate), c.expected);
    }
}

TEST(PolicyOidRowText, JoinsAllOidsOrSaysNone)
{
    struct Case {
        std::vector<std::string> oids;
        Translate translate;
        const char* expected;
    };
    const Case k_cases[] = {
        {{}, in_english, "None"},
        {{}, in_korean, "없음"},
        {{"1.2.410.200005.1.1.1"}, in_korean, "1.2.410.200005.1.1.1"},
        {{"1.2.3", "1.2.410.200005.1.1.4", "2.5"}, in_english, "1.2.3, 1.2.410.200005.1.1.4, 2.5"},
        {{"", "1.2"}, in_english, ", 1.2"},  // an empty OID keeps its place
    };
    for (const Case& c : k_cases) EXPECT_EQ(policy_oid_row_text(c.oids, c.translate), c.expected);
}

TEST(IssuerDisplayName, CandidatesTriedInOrderAgainstEveryKey)
{
    struct Case {
        const char* org;
        const char* cn;
        const char* folder;  // nullptr: the certificate has no copy
        const char* language;
        const char* expected;
    };
    const Case k_cases[] = {
        {"yessign", "", nullptr, "ko", "금융결제원"},
        {"yessign", "", nullptr, "fr", "KFTC (yessign)"},
        {"yessign", "", nullptr, "en", "KFTC (yessign)"},
        {"yessign", "", nullptr, "KO", "KFTC (yessign)"},  // only the exact code is Korean
        {"yessign", "", nullptr, "ko-KR", "KFTC (yessign)"},
        {"SignKorea CA", "", nullptr, "en", "KOSCOM (SignKorea)"},
        {"Example Trust", "CrossCertCA3", nullptr, "en", "CrossCert"},
        {"Example Trust", "CrossCertCA3", nullptr, "ko", "한국전자인증"},
        {"", "", "TradeSign", "en", "KTNET (TradeSign)"},
        {"Example Trust", "Root CA", "Misc", "en", "Example Trust"},
        {"Example Trust", "", nullptr, "ko", "Example Trust"},
        {"", "some CA", "Misc", "en", "some CA"},  // first non-empty, case kept
        {"", "", "misc", "en", "misc"},
        {"", "", nullptr, "en", ""},
        {"", "", "", "en", ""},
        {"KICA signGATE", "", nullptr, "en", "KICA (signGATE)"},
        {"SIGNGATE", "", nullptr, "ko", "한국정보인증"},
        // the organisation is tried against all keys before the common name
        {"signGATE", "yessignCA", nullptr, "en", "KICA (signGATE)"},
        {"Example", "NCASign", "yessign", "en", "NIA (NCASign)"},
        // within one candidate the table order decides, not the position in the text
        {"CrossCert-yessign", "", nullptr, "en", "KFTC (yessign)"},
        {"INIPASS", "", nullptr, "ko", "이니텍"},
    };
    for (const Case& c : k_cases) {
        CertificateInfo info;
        info.issuer_org = c.org;
        info.issuer_cn = c.cn;
        CertificateCopy copy;
        if (c.folder) copy.ca_folder_name = c.folder;
        EXPECT_EQ(issuer_display_name(info, c.folder ? &copy : nullptr, c.language), c.expected)
            << c.org << " | " << c.cn << " | " << (c.folder ? c.folder : "(no copy)") << " | " << c.language;
    }
}

TEST(PlaceLabel, KindFollowedByDriveWhenThereIsOne)
{
    struct Case {
        bool removable;
        const char* drive;
        Translate translate;
        const char* expected;
    };
    const Case k_cases[] = {
        {true, "E:", in_english, "USB drive (E:)"},
        {true, "E:", in_korean, "USB 드라이브 (E:)"},
        {false, "C:", in_english, "Hard disk (C:)"},
        {false, "C:", in_korean, "하드 디스크 (C:)"},
        {false, "", in_english, "Hard disk"},  // a UNC path has no drive letter
        {true, "", in_english, "USB drive"},
    };
    for (const Case& c : k_cases) {
        CertificateCopy copy;
        copy.removable = c.removable;
        copy.drive = c.drive;
        EXPECT_EQ(place_label(copy, c.translate), c.expected);
    }
}

}  // namespace
