#pragma once

// What the views draw from and hit-test against: the part of the window's state that belongs to the
// user interface. The shell's own state (app/window_state.h) is this record plus what only the shell
// needs, so the views read the very fields the window procedure updates, without knowing the shell.

#include "base/clock.h"
#include "gfx/direct2d.h"
#include "gfx/hit_target.h"
#include "gfx/palette.h"
#include "gfx/scroll_bar.h"
#include "npki/inventory.h"
#include "npki/search.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <windows.h>

struct Notice {
    std::string text;
    double set_at = 0;  // monotonic seconds
};

struct ViewState {
    std::optional<size_t> selection;  // the entry whose detail pane is open
    // Every certificate of the last scan result, whatever the search shows; absent until the first one.
    std::optional<std::vector<CertificateEntry>> entries;
    // The search field's query and the listed certificates as indices into `entries`, whose
    // `search_keys` these are.
    ListFilter filter;
    std::vector<SearchKey> search_keys;
    HWND search_field = nullptr;  // the edit control; none when it could not be made
    bool search_focused = false;   // it holds the keyboard focus: its frame shows it
    std::optional<Notice> notice;
    std::optional<double> scan_started;  // monotonic seconds; set while a scan runs
    HitTarget hover;
    HWND hwnd = nullptr;
    std::optional<Gfx> gfx;  // absent when the drawing resources could not be made
    std::optional<GfxRetry> gfx_retry;  // set while they are absent and are to be made again
    uint64_t folders_checked = 0;
    bool revocation_checking = false;  // the issuers are being asked about the list
    uint32_t dpi = 96;
    float list_scroll = 0;
    float detail_scroll = 0;
    std::optional<ThumbDrag> thumb_drag;  // while the left button holds a scroll bar's thumb
    bool dark = false;
    // Keyboard focus: the element that Enter and Space act on (kind None for none). The ring around it
    // is drawn only while `focus_cues` is set: after a key moved the focus, until the mouse is used,
    // as Windows shows focus rectangles; nothing at rest looks different.
    HitTarget focus;
    bool focus_cues = false;
    // Present while Windows runs a high-contrast theme: the palette then takes these colours.
    std::optional<SystemColours> high_contrast;
    MonotonicClock clock = &monotonic_seconds;

    // The listed entries, or none before the first scan result.
    std::optional<ListedEntries> listed_entries() const
    {
        if (!entries) return std::nullopt;
        return ListedEntries(*entries, filter);
    }
    // How many are listed (0 before the first scan result), and listed entry `index` (< listed_count()).
    size_t listed_count() const { return entries ? ListedEntries(*entries, filter).size() : 0; }
    const CertificateEntry& listed(size_t index) const { return ListedEntries(*entries, filter)[index]; }
    // Every certificate of the last scan result, whatever the query; none before the first one.
    const std::vector<CertificateEntry>* whole_entries() const { return entries ? &*entries : nullptr; }
};
