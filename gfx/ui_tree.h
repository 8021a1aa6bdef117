#pragma once

// The window's elements as a screen reader sees them, as plain values: what they are (role), where
// they hang (parent and children in reading order), which click target each one stands for, and how
// an element keeps its identity while the list changes under it. The COM objects that UI Automation
// talks to (app/uia_provider.h) are thin wrappers around these answers.
//
// The tree:
//   Window
//     the toolbar's buttons, left to right (Button)
//     "Looking for certificates" (Text, live) before the first scan result; afterwards
//     the summary (Text) and the list (List) with one ListItem per card, each with its Copy, Open
//     folder and Recycle buttons (Button)
//     the status notice (Text, live) while one is shown
// While the detail pane is open it stands in for the main view, which cannot be used meanwhile:
//   Window
//     the pane (Pane): its rows (Button, "label: value"), Copy all and Close (Button)
//     the status notice

#include "gfx/focus.h"
#include "gfx/hit_target.h"
#include "npki/inventory.h"
#include "npki/search.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

enum class ElementKind : uint8_t {
    Window,
    Menu,
    Refresh,
    AddFolder,
    CleanUp,
    Scanning,
    Summary,
    List,
    Card,
    CardButton,
    Pane,
    DetailRow,
    CopyAll,
    Close,
    Notice,
};

// What a screen reader announces an element as.
enum class ElementRole : uint8_t { Window, Button, Text, List, ListItem, Pane };

struct ElementKey {
    ElementKind kind = ElementKind::Window;
    uint64_t index = 0;                    // the entry for cards and card buttons, the row for rows
    CardAction action = CardAction::Copy;  // card buttons
    bool operator==(const ElementKey&) const = default;
};

enum class Navigation : uint8_t { Parent, NextSibling, PreviousSibling, FirstChild, LastChild };

ElementRole role_of(ElementKind kind);
// Texts that change while the user waits (the scanning line, the notice): read out when they change.
bool is_live(ElementKind kind);

// The click target an element stands for: what Invoke runs and where the keyboard focus can be. None
// for the window, texts, the list and the pane itself.
std::optional<HitTarget> target_of(const ElementKey& key);
// The element of a focus or hover target; the window for targets that are no element.
ElementKey element_of(const HitTarget& target);

bool element_exists(const ViewShape& shape, const ElementKey& key);
std::vector<ElementKey> children_of(const ViewShape& shape, const ElementKey& key);
std::optional<ElementKey> navigate(const ViewShape& shape, const ElementKey& key, Navigation direction);

// A certificate's identity as one number: issuer_dn and serial_hex byte for byte (the rule that keeps
// the open pane on its certificate), hashed. Runtime ids and late commands find their entry by it.
uint64_t entry_identity(const CertificateInfo& info);

// An element as a screen reader holds on to it across changes of the list: the key as it was, plus
// the identity of the certificate it belongs to (cards and their buttons: their own; the pane and
// its parts: the open one; 0 for the rest).
struct ElementRef {
    ElementKey key;
    uint64_t identity = 0;
    bool operator==(const ElementRef&) const = default;
};
ElementRef element_ref(const ViewShape& shape, std::optional<ListedEntries> entries, const ElementKey& key);
// Where that element is now, or none when it has gone (its certificate left the list, the pane closed
// or shows another certificate).
std::optional<ElementKey> resolve(const ViewShape& shape, std::optional<ListedEntries> entries,
                                  const ElementRef& ref);
