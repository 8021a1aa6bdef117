#include "app/search_field.h"

#include "app/scan_control.h"
#include "app/shell.h"
#include "app/window_logic.h"
#include "base/numeric.h"
#include "base/text.h"
#include "gfx/focus.h"
#include "gfx/layout.h"
#include "gfx/main_view.h"
#include "gfx/palette.h"
#include "gfx/view_elements.h"
#include "i18n/catalogue.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>

#include <windows.h>
#include <commctrl.h>
#include <wrl/client.h>
// The dynamic-annotation GUIDs are defined here, once (oleacc.h asks for initguid.h first).
#include <initguid.h>
#include <oleacc.h>

namespace {

constexpr UINT_PTR k_subclass_id = 1;

// A colour channel of 0-1 as a byte; NaN and values outside give the nearest end.
BYTE channel(float value)
{
    return static_cast<BYTE>(std::clamp(saturating_round(value * 255.0), 0, 255));
}

COLORREF colorref_of(Colour colour)
{
    return RGB(channel(colour.r), channel(colour.g), channel(colour.b));
}

std::string field_text(HWND field)
{
    const int length = GetWindowTextLengthW(field);
    if (length <= 0) return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(field, text.data(), length + 1);
    text.resize(static_cast<size_t>(std::max(copied, 0)));
    return utf8_from_utf16(text);
}

// Leaving the field by a key: the list's own focus takes over, with its ring shown.
void leave_field(HWND field, bool backwards, bool to_first_card)
{
    const HWND parent = GetParent(field);
    SetFocus(parent);
    auto state = window_state_slot().take();
    if (!state) return;
    const ViewShape shape = view_shape(*state);
    const std::vector<HitTarget> order = focus_order(shape);
    if (order.empty()) return;
    std::optional<HitTarget> target = backwards ? order.back() : order.front();
    if (to_first_card) {
        if (shape.listed_cards() == 0 || shape.pane) return;
        target = HitTarget{HitKind::Card, CardAction::Copy, 0};
    }
    show_focus_on(*state, *target);
}

// Screen readers name an edit control after the label before it; this one has only its cue, so its
// accessible name is annotated outright, and UI Automation's proxy for the control reads it.
Microsoft::WRL::ComPtr<IAccPropServices> annotation_services()
{
    Microsoft::WRL::ComPtr<IAccPropServices> services;
    if (FAILED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER, IID_IAccPropServices,
                                reinterpret_cast<void**>(services.GetAddressOf()))))
        return nullptr;
    return services;
}

void annotate_name(HWND field, const std::wstring& name)
{
    if (const auto services = annotation_services())
        services->SetHwndPropStr(field, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, PROPID_ACC_NAME, name.c_str());
}

// An annotation outlives its window unless it is cleared.
void clear_annotations(HWND field)
{
    if (const auto services = annotation_services())
        services->ClearHwndProps(field, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, &PROPID_ACC_NAME, 1);
}

// The field's cue, which also names it for screen readers.
std::wstring search_cue()
{
    return utf16_from_utf8(tr({"검색", "Search"}));
}

// The subclass's reference data: whether the accessible name has been annotated yet.
constexpr DWORD_PTR k_not_annotated = 0;
constexpr DWORD_PTR k_annotated = 1;

LRESULT CALLBACK field_proc(HWND field, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR annotated)
{
    switch (message) {
    case WM_GETOBJECT:
        // The name is annotated when an accessibility client first asks the field for its object,
        // before the control's own answer lets the client build its proxy: a session without a screen
        // reader never loads the annotation service.
        if (annotated == k_not_annotated) {
            annotate_name(field, search_cue());
            SetWindowSubclass(field, field_proc, k_subclass_id, k_annotated);
        }
        break;
    case WM_KEYDOWN:
        switch (wparam) {
        case VK_ESCAPE:
            // The first Escape empties the field; the next one gives the list the focus.
            if (GetWindowTextLengthW(field) > 0) SetWindowTextW(field, L"");
            else SetFocus(GetParent(field));
            return 0;
        case VK_TAB: leave_field(field, GetKeyState(VK_SHIFT) < 0, false); return 0;
        case VK_RETURN:
        case VK_DOWN: leave_field(field, false, true); return 0;
        case 'F':
            if (GetKeyState(VK_CONTROL) < 0) {
                focus_search_field(field);
                return 0;
            }
            break;
        default: break;
        }
        break;
    case WM_CHAR:
        // The keys above are handled on their key-down; an edit control would only beep at them.
        if (wparam == L'\t' || wparam == L'\r' || wparam == 0x1B || wparam == 0x06 /* Ctrl+F */) return 0;
        break;
    case WM_NCDESTROY:
        if (annotated == k_annotated) clear_annotations(field);
        RemoveWindowSubclass(field, field_proc, k_subclass_id);
        break;
    default: break;
    }
    return DefSubclassProc(field, message, wparam, lparam);
}

std::optional<HitTarget> focus_kept(const WindowState& state, std::optional<size_t> focus_whole, size_t old_index)
{
    if (!focus_whole) return std::nullopt;
    const HitTarget& focus = state.focus;
    const size_t count = state.listed_count();
    if (const std::optional<size_t> at = listed_index(state.filter, *focus_whole)) {
        HitTarget kept = focus;
        kept.index = *at;
        return kept;
    }
    // Its card is hidden: the card now at its place, or "Add folder" when none is left.
    if (count == 0) return HitTarget{HitKind::AddFolder};
    return HitTarget{HitKind::Card, CardAction::Copy, std::min(old_index, count - 1)};
}

}  // namespace

HWND create_search_field(HWND parent)
{
    // WS_EX_LAYERED: the window's content is a flip-model swap chain, and a child window drawn into
    // the parent's redirection surface would be hidden under it; a layered child (Windows 8 and
    // later) is composed by the desktop window manager on its own, above the swap chain.
    const HWND field =
        CreateWindowExW(WS_EX_LAYERED, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL | ES_LEFT, 0, 0,
                        0, 0, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!field) return nullptr;
    SetLayeredWindowAttributes(field, 0, 255, LWA_ALPHA);
    SetWindowSubclass(field, field_proc, k_subclass_id, k_not_annotated);
    const std::wstring cue = search_cue();
    // TRUE: the cue stays while the field is focused and empty, as the taskbar's search box does.
    SendMessageW(field, EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(cue.c_str()));
    return field;
}

void place_search_field(WindowState& state)
{
    if (!state.search_field) return;
    if (!state.search_font || state.search_font_dpi != state.dpi) {
        LOGFONTW font{};
        font.lfHeight = -saturating_round(13.0 * state.dpi / 96.0);
        font.lfWeight = FW_NORMAL;
        font.lfCharSet = DEFAULT_CHARSET;
        font.lfQuality = CLEARTYPE_QUALITY;
        wcscpy_s(font.lfFaceName, L"Segoe UI");
        UniqueGdiObject made(CreateFontIndirectW(&font));
        if (made) {
            SendMessageW(state.search_field, WM_SETFONT, reinterpret_cast<WPARAM>(made.get()), FALSE);
            state.search_font = std::move(made);  // the old font goes after the control has let go of it
            state.search_font_dpi = state.dpi;
        }
    }
    const RectF edit = search_field_layout(state).edit;
    const RECT wanted{saturating_round(edit.x), saturating_round(edit.y), saturating_round(edit.x + edit.width),
                      saturating_round(edit.y + edit.height)};
    RECT now{};
    if (GetWindowRect(state.search_field, &now)) MapWindowPoints(nullptr, state.hwnd, reinterpret_cast<POINT*>(&now), 2);
    if (EqualRect(&now, &wanted)) return;
    SetWindowPos(state.search_field, nullptr, wanted.left, wanted.top, wanted.right - wanted.left,
                 wanted.bottom - wanted.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT search_field_colours(WindowState& state, HDC dc)
{
    const Palette palette = palette_for(state.dark, state.high_contrast);
    const COLORREF back = colorref_of(palette.surface);
    SetTextColor(dc, colorref_of(palette.text));
    SetBkColor(dc, back);
    if (!state.search_brush || state.search_brush_colour != back) {
        UniqueGdiObject brush(CreateSolidBrush(back));
        if (brush) {
            state.search_brush = std::move(brush);
            state.search_brush_colour = back;
        }
    }
    return reinterpret_cast<LRESULT>(state.search_brush.get());
}

void on_search_field_command(HWND parent, WORD code)
{
    auto state = window_state_slot().take();
    if (!state || !state->search_field) return;
    switch (code) {
    case EN_CHANGE: apply_search_query(*state, field_text(state->search_field)); break;
    case EN_SETFOCUS:
    case EN_KILLFOCUS:
        state->search_focused = code == EN_SETFOCUS;
        if (state->search_focused) state->focus_cues = false;  // the caret shows where the keys go
        repaint(parent);
        break;
    default: break;
    }
}

void focus_search_field(HWND field)
{
    if (!field) return;
    SetFocus(field);
    SendMessageW(field, EM_SETSEL, 0, -1);
}

void clear_search_field(HWND field)
{
    if (!field) return;
    SetWindowTextW(field, L"");  // EN_CHANGE follows and shows the whole list
    SetFocus(field);
}

void apply_search_query(WindowState& state, const std::string& typed)
{
    const bool listed = state.entries.has_value();
    if (!list_search_query(state, typed)) return;
    if (listed) refresh_hover(state);
    repaint(state.hwnd);
}

bool list_search_query(WindowState& state, const std::string& typed)
{
    if (typed == state.filter.query) return false;
    if (!state.entries) {
        state.filter.query = typed;  // applied when the first scan result arrives
        return true;
    }
    const std::optional<ListedEntries> before = state.listed_entries();
    const bool pane_before = pane_was_open(before, state.selection);
    // Whole-list indices survive the change; listed positions do not.
    const std::optional<size_t> keep =
        state.selection ? std::optional(whole_index(state.filter, *state.selection)) : std::nullopt;
    const bool focus_on_card = state.focus.kind == HitKind::Card || state.focus.kind == HitKind::CardButton;
    const std::optional<size_t> focus_whole =
        focus_on_card && state.focus.index < state.listed_count()
            ? std::optional(whole_index(state.filter, static_cast<size_t>(state.focus.index)))
            : std::nullopt;
    const size_t old_focus_index = static_cast<size_t>(state.focus.index);

    set_list_query(state.filter, state.entries->size(), state.search_keys, typed, keep);

    state.selection = keep ? listed_index(state.filter, *keep) : std::nullopt;
    if (const std::optional<HitTarget> focus = focus_kept(state, focus_whole, old_focus_index)) focus_on(state, *focus);
    state.list_scroll = clamp_scroll(state.list_scroll, largest_list_offset(state));
    queue_structure_change(state, view_shape(state), true, pane_before);
    return true;
}
