#include "gfx/ui_tree.h"

#include <algorithm>
#include <iterator>

namespace {

ElementKey key(ElementKind kind, uint64_t index = 0, CardAction action = CardAction::Copy)
{
    return ElementKey{kind, index, action};
}

bool belongs_to_entry(ElementKind kind)
{
    return kind == ElementKind::Card || kind == ElementKind::CardButton;
}

bool belongs_to_pane(ElementKind kind)
{
    return kind == ElementKind::Pane || kind == ElementKind::DetailRow || kind == ElementKind::CopyAll ||
           kind == ElementKind::Close;
}

std::vector<ElementKey> window_children(const ViewShape& shape)
{
    std::vector<ElementKey> children;
    if (shape.pane) {
        children.push_back(key(ElementKind::Pane));
    } else {
        for (HitKind kind : toolbar_left_to_right(shape)) children.push_back(element_of(HitTarget{kind}));
        if (shape.listed) {
            children.push_back(key(ElementKind::Summary));
            children.push_back(key(ElementKind::List));
        } else {
            children.push_back(key(ElementKind::Scanning));
        }
    }
    if (shape.notice) children.push_back(key(ElementKind::Notice));
    return children;
}

std::optional<ElementKey> parent_of(const ElementKey& k)
{
    switch (k.kind) {
    case ElementKind::Window: return std::nullopt;
    case ElementKind::Card: return key(ElementKind::List);
    case ElementKind::CardButton: return key(ElementKind::Card, k.index);
    case ElementKind::DetailRow:
    case ElementKind::CopyAll:
    case ElementKind::Close: return key(ElementKind::Pane);
    default: return key(ElementKind::Window);
    }
}

}  // namespace

ElementRole role_of(ElementKind kind)
{
    switch (kind) {
    case ElementKind::Window: return ElementRole::Window;
    case ElementKind::Scanning:
    case ElementKind::Summary:
    case ElementKind::Notice: return ElementRole::Text;
    case ElementKind::List: return ElementRole::List;
    case ElementKind::Card: return ElementRole::ListItem;
    case ElementKind::Pane: return ElementRole::Pane;
    default: return ElementRole::Button;
    }
}

bool is_live(ElementKind kind)
{
    return kind == ElementKind::Scanning || kind == ElementKind::Notice;
}

std::optional<HitTarget> target_of(const ElementKey& k)
{
    switch (k.kind) {
    case ElementKind::Menu: return HitTarget{HitKind::Menu};
    case ElementKind::Refresh: return HitTarget{HitKind::Refresh};
    case ElementKind::AddFolder: return HitTarget{HitKind::AddFolder};
    case ElementKind::CleanUp: return HitTarget{HitKind::CleanUp};
    case ElementKind::Card: return HitTarget{HitKind::Card, CardAction::Copy, k.index};
    case ElementKind::CardButton: return HitTarget{HitKind::CardButton, k.action, k.index};
    case ElementKind::DetailRow: return HitTarget{HitKind::DetailRow, CardAction::Copy, k.index};
    case ElementKind::CopyAll: return HitTarget{HitKind::CopyAll};
    case ElementKind::Close: return HitTarget{HitKind::Close};
    default: return std::nullopt;
    }
}

ElementKey element_of(const HitTarget& t)
{
    switch (t.kind) {
    case HitKind::Menu: return key(ElementKind::Menu);
    case HitKind::Refresh: return key(ElementKind::Refresh);
    case HitKind::AddFolder: return key(ElementKind::AddFolder);
    case HitKind::CleanUp: return key(ElementKind::CleanUp);
    case HitKind::Card: return key(ElementKind::Card, t.index);
    case HitKind::CardButton: return key(ElementKind::CardButton, t.index, t.action);
    case HitKind::DetailRow: return key(ElementKind::DetailRow, t.index);
    case HitKind::CopyAll: return key(ElementKind::CopyAll);
    case HitKind::Close: return key(ElementKind::Close);
    case HitKind::Pane: return key(ElementKind::Pane);
    case HitKind::None:
    case HitKind::ClearSearch:  // the field is a window of its own, known to screen readers as such
    case HitKind::ScrollBar:    // a pointer's way to scroll; the keys scroll the same views
    case HitKind::Outside: break;
    }
    return key(ElementKind::Window);
}

bool element_exists(const ViewShape& shape, const ElementKey& k)
{
    const bool main = !shape.pane;
    switch (k.kind) {
    case ElementKind::Window: return true;
    case ElementKind::Menu:
    case ElementKind::Refresh:
    case ElementKind::AddFolder: return main;
    case ElementKind::CleanUp: return main && shape.listed && shape.clean_up;
    case ElementKind::Scanning: return main && !shape.listed;
    case ElementKind::Summary:
    case ElementKind::List: return main && shape.listed;
    case ElementKind::Card:
    case ElementKind::CardButton: return main && k.index < shape.listed_cards();
    case ElementKind::Pane:
    case ElementKind::CopyAll:
    case ElementKind::Close: return shape.pane.has_value();
    case ElementKind::DetailRow: return shape.pane.has_value() && k.index < shape.row_count;
    case ElementKind::Notice: return shape.notice;
    }
    return false;
}

std::vector<ElementKey> children_of(const ViewShape& shape, const ElementKey& k)
{
    std::vector<ElementKey> children;
    if (!element_exists(shape, k)) return children;
    switch (k.kind) {
    case ElementKind::Window: return window_children(shape);
    case ElementKind::List:
        for (size_t i = 0; i < shape.listed_cards(); ++i) children.push_back(key(ElementKind::Card, i));
        break;
    case ElementKind::Card:
        for (CardAction action : k_card_buttons_left_to_right) children.push_back(key(ElementKind::CardButton, k.index, action));
        break;
    case ElementKind::Pane:
        for (size_t r = 0; r < shape.row_count; ++r) children.push_back(key(ElementKind::DetailRow, r));
        children.push_back(key(ElementKind::CopyAll));
        children.push_back(key(ElementKind::Close));
        break;
    default: break;
    }
    return children;
}

std::optional<ElementKey> navigate(const ViewShape& shape, const ElementKey& k, Navigation direction)
{
    if (!element_exists(shape, k)) return std::nullopt;
    const size_t cards = shape.listed_cards();
    switch (direction) {
    case Navigation::Parent: return parent_of(k);
    case Navigation::FirstChild:
    case Navigation::LastChild: {
        // The list answers by arithmetic: a screen reader walks thousands of cards one step at a time.
        if (k.kind == ElementKind::List) {
            if (cards == 0) return std::nullopt;
            return key(ElementKind::Card, direction == Navigation::FirstChild ? 0 : cards - 1);
        }
        const std::vector<ElementKey> children = children_of(shape, k);
        if (children.empty()) return std::nullopt;
        return direction == Navigation::FirstChild ? children.front() : children.back();
    }
    case Navigation::NextSibling:
    case Navigation::PreviousSibling: {
        const bool next = direction == Navigation::NextSibling;
        if (k.kind == ElementKind::Card) {
            if (next) return k.index + 1 < cards ? std::optional(key(ElementKind::Card, k.index + 1)) : std::nullopt;
            return k.index > 0 ? std::optional(key(ElementKind::Card, k.index - 1)) : std::nullopt;
        }
        const std::optional<ElementKey> parent = parent_of(k);
        if (!parent) return std::nullopt;
        const std::vector<ElementKey> siblings = children_of(shape, *parent);
        const auto at = std::find(siblings.begin(), siblings.end(), k);
        if (at == siblings.end()) return std::nullopt;
        if (next) return std::next(at) == siblings.end() ? std::nullopt : std::optional(*std::next(at));
        return at == siblings.begin() ? std::nullopt : std::optional(*std::prev(at));
    }
    }
    return std::nullopt;
}

uint64_t entry_identity(const CertificateInfo& info)
{
    // FNV-1a over issuer_dn, a NUL (which neither part holds) and serial_hex.
    uint64_t hash = 14695981039346656037ull;
    const auto mix = [&hash](unsigned char byte) {
        hash ^= byte;
        hash *= 1099511628211ull;
    };
    for (char c : info.issuer_dn) mix(static_cast<unsigned char>(c));
    mix(0);
    for (char c : info.serial_hex) mix(static_cast<unsigned char>(c));
    return hash;
}

ElementRef element_ref(const ViewShape& shape, std::optional<ListedEntries> entries, const ElementKey& k)
{
    ElementRef ref{k, 0};
    std::optional<uint64_t> entry;
    if (belongs_to_entry(k.kind)) entry = k.index;
    if (belongs_to_pane(k.kind) && shape.pane) entry = *shape.pane;
    if (entry && entries && *entry < entries->size()) ref.identity = entry_identity((*entries)[*entry].info);
    return ref;
}

std::optional<ElementKey> resolve(const ViewShape& shape, std::optional<ListedEntries> entries,
                                  const ElementRef& ref)
{
    ElementKey k = ref.key;
    const auto identity_at = [&](uint64_t index) {
        return entries && index < entries->size() ? std::optional(entry_identity((*entries)[index].info)) : std::nullopt;
    };
    if (belongs_to_entry(k.kind)) {
        if (identity_at(k.index) != ref.identity) {
            // Moved in the new list: look for it (the index it had is tried first, above).
            const size_t count = entries ? entries->size() : 0;
            std::optional<size_t> found;
            for (size_t i = 0; i < count && !found; ++i)
                if (identity_at(i) == ref.identity) found = i;
            if (!found) return std::nullopt;
            k.index = *found;
        }
    } else if (belongs_to_pane(k.kind)) {
        if (!shape.pane || identity_at(*shape.pane) != ref.identity) return std::nullopt;
    }
    if (!element_exists(shape, k)) return std::nullopt;
    return k;
}
