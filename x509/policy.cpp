#include "x509/policy.h"

#include "base/text.h"

#include <array>

namespace {

struct PolicyRow {
    std::string_view oid;
    Purpose purpose;
    HolderKind holder_kind;
};

// The OIDs are distinct, so the row order does not change a result; the order of the certificate's own
// OIDs does.
constexpr std::array<PolicyRow, 22> k_policy_table = {{
    // yessign (KFTC)
    {"1.2.410.200005.1.1.1", Purpose::AllPurpose, HolderKind::Personal},
    {"1.2.410.200005.1.1.5", Purpose::AllPurpose, HolderKind::Business},
    {"1.2.410.200005.1.1.4", Purpose::Banking, HolderKind::Unspecified},
    {"1.2.410.200005.1.1.2", Purpose::Banking, HolderKind::Business},
    {"1.2.410.200005.1.1.6.8", Purpose::ETaxInvoice, HolderKind::Business},
    // signGATE (KICA)
    {"1.2.410.200004.5.2.1.2", Purpose::AllPurpose, HolderKind::Personal},
    {"1.2.410.200004.5.2.1.1", Purpose::AllPurpose, HolderKind::Business},
    {"1.2.410.200004.5.2.1.7.1", Purpose::Banking, HolderKind::Unspecified},
    {"1.2.410.200004.5.2.1.6.257", Purpose::ETaxInvoice, HolderKind::Business},
    {"1.2.410.200004.5.2.1.6.141", Purpose::SpecialPurpose, HolderKind::Business},
    {"1.2.410.200004.5.2.1.5.13", Purpose::SpecialPurpose, HolderKind::Business},
    // SignKorea (KOSCOM)
    {"1.2.410.200004.5.1.1.5", Purpose::AllPurpose, HolderKind::Personal},
    {"1.2.410.200004.5.1.1.7", Purpose::AllPurpose, HolderKind::Business},
    {"1.2.410.200004.5.1.1.9", Purpose::Securities, HolderKind::Unspecified},
    // CrossCert
    {"1.2.410.200004.5.4.1.1", Purpose::AllPurpose, HolderKind::Personal},
    {"1.2.410.200004.5.4.1.2", Purpose::AllPurpose, HolderKind::Business},
    {"1.2.410.200004.5.4.1.101", Purpose::Banking, HolderKind::Unspecified},
    // TradeSign (KTNET)
    {"1.2.410.200012.1.1.1", Purpose::AllPurpose, HolderKind::Personal},
    {"1.2.410.200012.1.1.3", Purpose::AllPurpose, HolderKind::Business},
    {"1.2.410.200012.1.1.5", Purpose::AllPurpose, HolderKind::Business},
    // NCASign and INIPASS
    {"1.2.410.200004.5.3.1.1", Purpose::AllPurpose, HolderKind::Business},
    {"1.2.410.200004.5.5.1.2", Purpose::AllPurpose, HolderKind::Unspecified},
}};

struct IssuerRow {
    std::string_view key;  // lower case: matched as a substring of a lower-cased candidate
    std::string_view korean;
    std::string_view english;
};

// Searched in order: "kica" comes before "signgate", so a name holding both is decided by "kica" (same
// authority either way).
constexpr std::array<IssuerRow, 8> k_issuer_table = {{
    {"yessign", "금융결제원", "KFTC (yessign)"},
    {"signkorea", "코스콤", "KOSCOM (SignKorea)"},
    {"kica", "한국정보인증", "KICA (signGATE)"},
    {"signgate", "한국정보인증", "KICA (signGATE)"},
    {"crosscert", "한국전자인증", "CrossCert"},
    {"tradesign", "한국무역정보통신", "KTNET (TradeSign)"},
    {"ncasign", "한국정보화진흥원", "NIA (NCASign)"},
    {"inipass", "이니텍", "INITECH (INIPASS)"},
}};

constexpr std::string_view k_separator = " \xC2\xB7 ";  // space, middle dot U+00B7, space

}  // namespace

PolicyClass classify_policies(const std::vector<std::string>& policy_oids)
{
    // Exact comparison on purpose: "…1.1.1 " or "…1.1.10" are different policies, not sloppy spellings.
    for (const std::string& oid : policy_oids) {
        for (const PolicyRow& row : k_policy_table) {
            if (oid == row.oid) return {row.purpose, row.holder_kind};
        }
    }
    return {};
}

Text purpose_label(Purpose purpose)
{
    switch (purpose) {
    case Purpose::AllPurpose: return {"범용", "All-purpose"};
    case Purpose::Banking: return {"은행·보험용", "Banking & insurance"};
    case Purpose::Securities: return {"증권용", "Securities"};
    case Purpose::ETaxInvoice: return {"전자세금계산서용", "E-tax invoice"};
    case Purpose::SpecialPurpose: return {"특수 목적용", "Special purpose"};
    case Purpose::Other: break;
    }
    return {"기타", "Other"};
}

std::optional<Text> holder_kind_label(HolderKind kind)
{
    switch (kind) {
    case HolderKind::Personal: return Text{"개인", "Personal"};
    case HolderKind::Business: return Text{"사업자", "Business"};
    case HolderKind::Unspecified: break;
    }
    return std::nullopt;
}

std::string_view purpose_name(Purpose purpose)
{
    switch (purpose) {
    case Purpose::AllPurpose: return "AllPurpose";
    case Purpose::Banking: return "Banking";
    case Purpose::Securities: return "Securities";
    case Purpose::ETaxInvoice: return "ETaxInvoice";
    case Purpose::SpecialPurpose: return "SpecialPurpose";
    case Purpose::Other: break;
    }
    return "Other";
}

std::string_view holder_kind_name(HolderKind kind)
{
    switch (kind) {
    case HolderKind::Personal: return "Personal";
    case HolderKind::Business: return "Business";
    case HolderKind::Unspecified: break;
    }
    return "Unspecified";
}

std::string purpose_row_text(PolicyClass policy_class, Translate translate)
{
    std::string text{translate(purpose_label(policy_class.purpose))};
    if (const std::optional<Text> kind = holder_kind_label(policy_class.holder_kind)) {
        text += k_separator;
        text += translate(*kind);
    }
    return text;
}

std::string list_purpose_text(PolicyClass policy_class, const std::vector<std::string>& policy_oids,
                              Translate translate)
{
    std::string text{translate(purpose_label(policy_class.purpose))};
    if (policy_class.purpose == Purpose::Other) {
        // An unknown policy is still worth naming, so the user can look it up.
        text += " (";
        text += policy_oids.empty() ? std::string_view{"-"} : std::string_view{policy_oids.front()};
        text += ")";
    }
    return text;
}

std::string policy_oid_row_text(const std::vector<std::string>& policy_oids, Translate translate)
{
    if (policy_oids.empty()) return std::string{translate({"없음", "None"})};
    std::string text;
    for (size_t i = 0; i < policy_oids.size(); ++i) {
        if (i > 0) text += ", ";
        text += policy_oids[i];
    }
    return text;
}

std::string issuer_display_name(const CertificateInfo& info, const CertificateCopy* first_copy,
                                std::string_view language)
{
    const bool korean = language == "ko";
    const std::string_view candidates[] = {
        info.issuer_org,
        info.issuer_cn,
        first_copy ? std::string_view{first_copy->ca_folder_name} : std::string_view{},
    };
    // Every key is tried on the organisation before the common name is looked at: the organisation is
    // the steadier of the two across an authority's CA generations.
    for (std::string_view candidate : candidates) {
        if (candidate.empty()) continue;
        const std::string lowered = lower_full(candidate);
        for (const IssuerRow& row : k_issuer_table) {
            if (lowered.find(row.key) != std::string::npos) return std::string{korean ? row.korean : row.english};
        }
    }
    for (std::string_view candidate : candidates) {
        if (!candidate.empty()) return std::string{candidate};
    }
    return {};
}

std::string issuer_display_name(const CertificateInfo& info, const CertificateCopy* first_copy)
{
    return issuer_display_name(info, first_copy, current_language());
}

std::string place_label(const CertificateCopy& copy, Translate translate)
{
    std::string text{copy.removable ? translate({"USB 드라이브", "USB drive"}) : translate({"하드 디스크", "Hard disk"})};
    if (!copy.drive.empty()) {
        text += " (";
        text += copy.drive;
        text += ")";
    }
    return text;
}
