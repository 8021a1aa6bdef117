#pragma once

// Where the copy command may put a certificate, as plain values: the places it offers, the folder a
// copy lands in, and the texts it shows. The copy itself is fileops/folder_copy.h.

#include "base/path.h"
#include "gfx/menu_items.h"
#include "npki/inventory.h"
#include "npki/search_roots.h"
#include "x509/translate.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The certificate folder a copy of `copy` into `target` creates, in the NPKI layout banking software
// reads: target\NPKI\‹CA›\USER\‹certificate folder›. A target that is itself a folder named NPKI (any
// letter case) takes ‹CA› directly; an unknown CA folder name becomes "unknown".
Path destination_folder(const Path& target, const CertificateCopy& copy);

// The default place's folder for a USERPROFILE value: ‹profile›\AppData\LocalLow\NPKI.
Path default_place(const Path& user_profile);

// One place the copy menu offers.
struct Destination {
    std::string label;
    Path target;
    bool operator==(const Destination&) const = default;
};

// The offered places in menu order: every USB drive; then the test folders when the program was
// started with some, otherwise the PC's default place unless a copy already lies where a copy to it
// would go.
std::vector<Destination> destination_choices(const std::vector<DriveInfo>& drives,
                                             const std::vector<Path>& command_line_roots,
                                             const std::optional<Path>& user_profile,
                                             const std::vector<CertificateCopy>& copies, Translate translate = &tr);

// The menu: the places, a separator when there are any, then "Choose another folder…".
std::vector<MenuItem> destination_menu_items(const std::vector<Destination>& destinations, Translate translate = &tr);

enum class DestinationPick : uint8_t {
    Dismissed,
    Place,        // one of the offered places
    OtherFolder,  // "Choose another folder…": the folder picker decides
};
struct DestinationAnswer {
    DestinationPick pick = DestinationPick::Dismissed;
    size_t index = 0;  // into the offered places, for DestinationPick::Place
    bool operator==(const DestinationAnswer&) const = default;
};
// What an id of that menu means.
DestinationAnswer destination_for_menu_id(uint32_t id, size_t destination_count);

// Whether a copy to `destination` would land on one of the certificate's own folders. Paths are
// compared by path_key; bring both to their full form first when they may be spelled differently.
bool lands_on_own_copy(const Path& destination, const std::vector<CertificateCopy>& copies);

// "A certificate folder with the same name is already there.", the folder, "Overwrite it?".
std::string overwrite_question(const Path& destination, Translate translate = &tr);
// "Couldn't copy." and the system's description of what failed.
std::string copy_failed_text(std::string_view system_text, Translate translate = &tr);
// "Copied to ‹folder›".
std::string copied_notice(const Path& destination, Translate translate = &tr);
