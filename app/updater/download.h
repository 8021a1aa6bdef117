#pragma once

// Download, verification and start of an offered installer.
//
// The installer is opened before it is read and stays open, with a sharing mode that lets others
// read and execute it but neither write, rename nor delete it, until CreateProcessW has started it.
// What was measured, hashed and verified is therefore what runs, even though the temporary folder
// is writable by anything the user runs: a file checked by path and started by path later would
// leave a window in which it could be swapped.

#include "app/updater/manifest.h"
#include "base/handle.h"
#include "base/path.h"
#include "base/slot.h"

#include <string>
#include <variant>

#include <windows.h>

// An installer that passed every check, still held open so that nobody can change it, in its work
// folder, held too so that nobody can put another folder in its place.
struct VerifiedInstaller {
    Path path;
    UniqueFile file;
    UniqueFile folder;
};
struct DownloadFailed {
    std::string text;  // shown to the user as it is
};
using DownloadOutcome = std::variant<VerifiedInstaller, DownloadFailed>;

// The hand-over slot; a newer outcome replaces one not yet taken (closing its file).
Slot<DownloadOutcome>& pending_installer();

// Fetches the installer into the work folder as "Vessop-Setup-VERSION.exe" and checks, in order, its
// size (when the manifest gave one), its SHA-256 over the one in-memory copy, and its Authenticode
// signature by the maker. A file that fails a check is deleted; one curl could not fetch or that
// cannot be read is left as it is.
DownloadOutcome download_and_verify(const UpdateInfo& info);

// Starts a detached thread that runs download_and_verify, puts the outcome in the slot and then posts
// `message` to `hwnd`. False when no thread could be started.
bool start_download_thread(UpdateInfo info, HWND hwnd, UINT message);

// The text of a failed signature check, also shown for an installer or work folder that was a link or
// was re-pointed: either way the file that would run is not one the maker's signature was checked on.
std::string signature_failure_text();

enum class InstallerStart {
    Started,
    NotStarted,  // CreateProcessW failed; the installer stays in the work folder
    Redirected,  // its path no longer leads to the held file: nothing started, nothing deleted
};

// Starts the installer with "/SILENT /SUPPRESSMSGBOXES /NORESTART /UPDATE=1", not waiting for it,
// while its file is still held and only when its path still leads to that file; the file is let go
// afterwards either way.
InstallerStart start_installer(VerifiedInstaller installer);
