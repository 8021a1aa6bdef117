#include "npki/inventory_json.h"

#include "base/text.h"
#include "trust/issuer_check.h"
#include "x509/policy.h"

using nlohmann::json;

std::string_view expiry_state_name(ExpiryState state)
{
    switch (state) {
    case ExpiryState::Expired: return "Expired";
    case ExpiryState::ExpiringSoon: return "ExpiringSoon";
    case ExpiryState::Valid: return "Valid";
    }
    return "Expired";
}

namespace {

json copy_json(const CertificateCopy& copy, Translate translate)
{
    return json{
        {"folder", utf8_from_utf16(copy.folder)},
        {"ca_folder_name", copy.ca_folder_name},
        {"drive", copy.drive},
        {"removable", copy.removable},
        {"has_private_key", copy.has_private_key},
        {"has_km_cert", copy.has_km_cert},
        {"place_label", place_label(copy, translate)},
        {"differs", copy.differs},
    };
}

// The issuers' answer: the state, and what it rests on when they were asked.
json revocation_json(const RevocationOutcome& outcome)
{
    json out{{"state", revocation_state_name(outcome.state)}};
    if (outcome.state == RevocationState::Revoked) out["revoked_at"] = outcome.revoked_at;
    if (outcome.state == RevocationState::Good || outcome.state == RevocationState::Revoked) {
        out["list_issued"] = outcome.list_issued;
        out["stale"] = outcome.stale;
    }
    if (outcome.state == RevocationState::Revoked && outcome.reason) out["reason"] = revocation_reason_name(*outcome.reason);
    if (outcome.state == RevocationState::Unknown && outcome.why) out["reason"] = unknown_why_name(*outcome.why);
    if (!outcome.source.empty()) out["source"] = outcome.source;
    return out;
}

json entry_json(const CertificateEntry& entry, int64_t now, std::string_view language, Translate translate)
{
    const CertificateInfo& info = entry.info;
    const PolicyClass policy_class = classify_policies(info.policy_oids);
    const Expiry expiry = expiry_of(info.not_after, now);
    const CertificateCopy* first_copy = first_copy_of(entry);

    json copies = json::array();
    for (const CertificateCopy& copy : entry.copies) copies.push_back(copy_json(copy, translate));

    // nlohmann::json keeps members sorted by name; the order of the fields is not part of the format.
    return json{
        {"subject_cn", info.subject_cn},
        {"subject_dn", info.subject_dn},
        {"issuer_dn", info.issuer_dn},
        {"issuer_org", info.issuer_org},
        {"issuer_cn", info.issuer_cn},
        {"serial_hex", info.serial_hex},
        {"policy_oids", info.policy_oids},
        {"crl_distribution_points", info.crl_distribution_points},
        {"sha1_hex", info.sha1_hex},
        {"sha256_hex", info.sha256_hex},
        {"not_before", info.not_before},
        {"not_after", info.not_after},
        {"holder_name", holder_name(info.subject_cn)},
        {"issuer_display_name", issuer_display_name(info, first_copy, language)},
        {"purpose", purpose_name(policy_class.purpose)},
        {"holder_kind", holder_kind_name(policy_class.holder_kind)},
        {"expiry_state", expiry_state_name(expiry.state)},
        {"days_left", expiry.days_left},
        {"trust", trust_state_name(info.trust)},
        {"revocation", revocation_json(entry.revocation)},
        {"copies", std::move(copies)},
    };
}

}  // namespace

json inventory_json(const Inventory& inventory, int64_t now, std::string_view language, Translate translate)
{
    json entries = json::array();
    for (const CertificateEntry& entry : inventory.entries) {
        entries.push_back(entry_json(entry, now, language, translate));
    }
    return json{{"folders_checked", inventory.folders_checked}, {"entries", std::move(entries)}};
}

std::string inventory_json_text(const json& value)
{
    return value.dump(2, ' ', false, json::error_handler_t::replace) + "\n";
}
