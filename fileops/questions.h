#pragma once

// What the recycle and clean-up commands ask and tell, and which folders they touch, as plain values:
// the texts are built here from the entries and the choice made, so that every line feed and bullet
// is checked without a message box. Copies on USB drives are never among the folders to recycle:
// such drives have no Recycle Bin, and a folder sent there would be gone for good.

#include "base/path.h"
#include "i18n/catalogue.h"
#include "npki/inventory.h"
#include "x509/translate.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// "홍길동 (KFTC (yessign), until 2025-03-07)": holder name, issuer and end date, as questions name a
// certificate.
std::string entry_label(const CertificateEntry& entry, Translate translate = &tr,
                        std::string_view language = current_language());

// The chosen copies of one certificate split by where they lie.
struct RecycleSelection {
    std::vector<Path> folders;  // copies on fixed disks, in chosen order: these go to the Recycle Bin
    bool any_usb = false;       // some chosen copy is on a USB drive and stays where it is
};
RecycleSelection select_for_recycling(const std::vector<CertificateCopy>& copies, const std::vector<size_t>& chosen);

// "Send this certificate folder to the Recycle Bin?", the certificate, its folders, the restore hint
// and, when a chosen copy stays on a USB drive, the line saying so.
std::string recycle_question(const CertificateEntry& entry, const RecycleSelection& selection,
                             Translate translate = &tr, std::string_view language = current_language());

// The notice after recycling: all sent, or some not.
std::string recycled_notice(size_t recycled, size_t attempted, Translate translate = &tr);

// How many expired certificates the clean-up question names one by one; the rest are counted.
inline constexpr size_t k_clean_up_listed = 12;

// What the clean-up acts on at one reading of the clock.
struct CleanUpPlan {
    std::vector<size_t> expired;  // entries whose end has been reached, in list order
    std::vector<Path> folders;    // their copies on fixed disks, entry by entry in copy order
    bool any_usb = false;         // some expired copy is on a USB drive and stays
};
CleanUpPlan plan_clean_up(const std::vector<CertificateEntry>& entries, int64_t now);

// "Send the expired certificates to the Recycle Bin? (certificates: n, folders: m)", a bullet per
// certificate up to k_clean_up_listed and "… and k more", the restore hint, the USB line.
std::string clean_up_question(const std::vector<CertificateEntry>& entries, const CleanUpPlan& plan,
                              Translate translate = &tr, std::string_view language = current_language());

// "Folders sent to the Recycle Bin: n".
std::string cleaned_up_notice(size_t recycled, Translate translate = &tr);
