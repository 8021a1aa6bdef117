#pragma once

// The inventory as JSON, for vessop-scan.exe and for scripts that audit a machine. Pure: the time,
// the language (for issuer names) and the translation (for place labels) come in as parameters.
//
// Shape: {"folders_checked": n, "entries": [entry, …]} with the entries in list order. An entry holds
// every CertificateInfo field under its own name, then holder_name, issuer_display_name, purpose and
// holder_kind (enumeration names such as "AllPurpose", "Unspecified"), expiry_state ("Expired",
// "ExpiringSoon", "Valid"), days_left, and copies in copy order, each with folder, ca_folder_name,
// drive, removable, has_private_key, has_km_cert and place_label.

#include "npki/inventory.h"
#include "x509/dates.h"
#include "x509/translate.h"

#include <cstdint>
#include <string_view>

#include <nlohmann/json.hpp>

std::string_view expiry_state_name(ExpiryState state);

nlohmann::json inventory_json(const Inventory& inventory, int64_t now, std::string_view language, Translate translate);

// The JSON as UTF-8 text, two-space indented, ending in a line feed. Text that is not valid UTF-8
// (it should never reach here) is replaced rather than thrown over.
std::string inventory_json_text(const nlohmann::json& json);
