#include "fileops/file_ops.h"

// Placeholders until the file operations are built: every command does nothing.

FileOpOutcome recycle_entry(HWND, float, float, const CertificateEntry&) { return {}; }

FileOpOutcome clean_up_expired(HWND, const std::vector<CertificateEntry>&, int64_t) { return {}; }

FileOpOutcome copy_entry(HWND, float, float, const std::vector<CertificateCopy>&, const std::vector<Path>&)
{
    return {};
}

void open_entry_folder(HWND, float, float, const std::vector<CertificateCopy>&) {}

FileOpOutcome add_folder(HWND) { return {}; }

FileOpOutcome remove_added_folder(std::vector<Path>, size_t) { return {}; }
