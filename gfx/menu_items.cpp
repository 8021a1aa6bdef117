#include "gfx/menu_items.h"

#include "base/text.h"
#include "x509/policy.h"

#include <cmath>
#include <limits>
#include <numeric>

std::wstring literal_menu_text(std::wstring_view text)
{
    std::wstring literal;
    literal.reserve(text.size());
    for (wchar_t c : text) {
        literal += c;
        if (c == L'&') literal += L'&';
    }
    return literal;
}

std::vector<MenuItem> place_menu_items(const std::vector<CertificateCopy>& copies, bool offer_all, Translate translate)
{
    std::vector<MenuItem> items;
    items.reserve(copies.size() + 2);
    for (const CertificateCopy& copy : copies)
        items.push_back({place_label(copy, translate) + " \xE2\x80\x94 " + utf8_from_utf16(copy.folder)});  // em dash
    if (offer_all) {
        items.push_back(menu_separator());
        items.push_back({fill_placeholders(translate({"모든 곳 ({0})", "All places ({0})"}),
                                           {std::to_string(copies.size())})});
    }
    return items;
}

std::vector<size_t> places_for_menu_id(uint32_t id, size_t copy_count)
{
    if (id == 0) return {};
    if (id <= copy_count) return {id - 1};
    std::vector<size_t> all(copy_count);
    std::iota(all.begin(), all.end(), size_t{0});
    return all;
}
