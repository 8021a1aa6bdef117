#include "gfx/menus.h"

#include "base/numeric.h"

#include "base/handle.h"
#include "base/text.h"

uint32_t popup_menu(HWND owner, float x, float y, const std::vector<MenuItem>& items)
{
    UniqueMenu menu(CreatePopupMenu());
    if (!menu) return 0;
    UINT_PTR id = 1;
    for (const MenuItem& item : items) {
        // A failed append only leaves that item out; its id stays taken so the others keep theirs.
        if (item.separator) {
            AppendMenuW(menu.get(), MF_SEPARATOR, id, nullptr);
        } else {
            AppendMenuW(menu.get(), MF_STRING, id, literal_menu_text(utf16_from_utf8(item.text)).c_str());
        }
        ++id;
    }
    POINT point{saturating_trunc(x), saturating_trunc(y)};  // a client point as TrackPopupMenu takes it
    ClientToScreen(owner, &point);
    const BOOL chosen = TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, point.x, point.y, 0, owner, nullptr);
    return chosen > 0 ? static_cast<uint32_t>(chosen) : 0;
}

std::vector<size_t> choose_places(HWND owner, float x, float y, const std::vector<CertificateCopy>& copies,
                                  bool offer_all)
{
    if (copies.empty()) return {};
    if (copies.size() == 1) return {0};
    return places_for_menu_id(popup_menu(owner, x, y, place_menu_items(copies, offer_all)), copies.size());
}
