#pragma once

// Copying a certificate folder so that the destination never ends up half-written. A certificate is
// only usable with its signCert.der and signPri.key together: a copy that stopped after one file
// would leave a folder that looks whole and cannot sign anyone in, and, when it replaced files of
// another certificate, would have destroyed those for nothing.
//
// So the files are first copied into a staging folder beside the destination (same volume), and
// only when every one of them is there are they moved in, each by a rename. Files of the same name
// already in the destination are moved aside into the staging folder first rather than replaced,
// so that a rename failing halfway can be undone: the new files go back out, the old ones back in,
// and the destination is exactly as it was. The replaced files are deleted only once everything is
// in place.
//
// What is copied: the files of the source folder (not its sub-folders, not links), in listing
// order. Files in the destination that the source does not have stay.

#include "base/path.h"

#include <cstdint>

// Copies the files of `source` into `destination`, creating it and its missing parents. Returns
// ERROR_SUCCESS, or the Win32 error of the step that failed; then the destination and its parents
// are as they were (folders this call created are removed again) and the staging folder is gone.
// A destination whose certificate, USER or CA folder is a symbolic link or junction fails with
// ERROR_CANT_ACCESS_FILE before anything is written. Both paths should be full paths.
uint32_t copy_certificate_folder(const Path& source, const Path& destination);

// Whether a listing entry is copied: a file, not a folder and not a link (a reparse point whose tag
// has the name-surrogate bit).
bool is_copied_entry(uint32_t attributes, uint32_t reparse_tag);

// The name prefix of staging folders; each gets a unique suffix.
inline constexpr wchar_t k_staging_prefix[] = L".vessop-copy-";
