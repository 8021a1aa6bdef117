#include "app/uia_provider.h"

#include "app/com_object.h"
#include "app/commands.h"
#include "app/messages.h"
#include "app/shell.h"
#include "app/uia_api.h"
#include "app/window_logic.h"
#include "base/text.h"
#include "gfx/hit_test.h"
#include "gfx/view_elements.h"
#include "x509/dates.h"

#include <algorithm>
#include <array>
#include <functional>
#include <mutex>
#include <new>
#include <optional>
#include <utility>
#include <vector>

#include <oleauto.h>

using Microsoft::WRL::ComPtr;

namespace {

// Calls on their way to the window thread. Only these are run when WM_APP_UIA_CALL arrives: another
// process can send the message with any number in lParam.
struct SentCall {
    const std::function<HRESULT()>* body = nullptr;
    HRESULT result = uia::k_element_not_available;
};

std::mutex& sent_calls_mutex()
{
    static std::mutex mutex;
    return mutex;
}

std::vector<SentCall*>& sent_calls()
{
    static std::vector<SentCall*> calls;
    return calls;
}

HRESULT guarded(const std::function<HRESULT()>& body)
{
    // No exception may cross into UI Automation.
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_FAIL;
    }
}

// UI Automation calls a provider from threads of its own (Wine always does, for clients in other
// processes); the state belongs to the window thread, so the call is sent there. SendMessageW waits
// and lets the window thread run it between messages, also inside a modal loop.
HRESULT on_window_thread(HWND hwnd, const std::function<HRESULT()>& body)
{
    const DWORD owner = GetWindowThreadProcessId(hwnd, nullptr);
    if (owner == 0) return uia::k_element_not_available;  // the window has gone
    if (owner == GetCurrentThreadId()) return guarded(body);
    SentCall call{&body};
    {
        std::lock_guard lock(sent_calls_mutex());
        sent_calls().push_back(&call);
    }
    SendMessageW(hwnd, WM_APP_UIA_CALL, 0, reinterpret_cast<LPARAM>(&call));  // not run when the window went meanwhile
    std::lock_guard lock(sent_calls_mutex());
    std::erase(sent_calls(), &call);
    return call.result;
}

CONTROLTYPEID control_type(ElementRole role)
{
    switch (role) {
    case ElementRole::Window: return uia::k_window;
    case ElementRole::Button: return uia::k_button;
    case ElementRole::Text: return uia::k_text;
    case ElementRole::List: return uia::k_list;
    case ElementRole::ListItem: return uia::k_list_item;
    case ElementRole::Pane: return uia::k_pane;
    }
    return uia::k_button;
}

// A name a test script can look for; elements repeated in the list (cards, their buttons, rows) are
// told apart by their names and places instead.
const wchar_t* automation_id(const ElementKey& key)
{
    switch (key.kind) {
    case ElementKind::Menu: return L"Menu";
    case ElementKind::Refresh: return L"Refresh";
    case ElementKind::AddFolder: return L"AddFolder";
    case ElementKind::CleanUp: return L"CleanUp";
    case ElementKind::Scanning: return L"Scanning";
    case ElementKind::Summary: return L"Summary";
    case ElementKind::List: return L"Certificates";
    case ElementKind::Pane: return L"Details";
    case ElementKind::CopyAll: return L"CopyAll";
    case ElementKind::Close: return L"Close";
    case ElementKind::Notice: return L"Notice";
    case ElementKind::CardButton:
        switch (key.action) {
        case CardAction::Copy: return L"Copy";
        case CardAction::OpenFolder: return L"OpenFolder";
        case CardAction::Recycle: return L"Recycle";
        }
        break;
    default: break;
    }
    return nullptr;
}

void set_bstr(VARIANT* out, const std::wstring& text)
{
    if (BSTR value = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {
        out->vt = VT_BSTR;
        out->bstrVal = value;
    }
}

void set_i4(VARIANT* out, int value)
{
    out->vt = VT_I4;
    out->lVal = value;
}

void set_bool(VARIANT* out, bool value)
{
    out->vt = VT_BOOL;
    out->boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
}

void property_value(const WindowState& state, const ViewShape& shape, const ElementKey& key, PROPERTYID id,
                    VARIANT* out)
{
    // The window's own name, type and rectangle come from its host provider.
    if (key.kind == ElementKind::Window) return;
    const std::optional<HitTarget> target = target_of(key);
    switch (id) {
    case uia::k_control_type: set_i4(out, control_type(role_of(key.kind))); break;
    case uia::k_name: set_bstr(out, utf16_from_utf8(element_name(state, shape, key, now_seconds()))); break;
    case uia::k_automation_id:
        if (const wchar_t* name = automation_id(key)) set_bstr(out, name);
        break;
    case uia::k_is_keyboard_focusable: set_bool(out, target.has_value()); break;
    case uia::k_has_keyboard_focus: set_bool(out, state.keyboard_focus && target && *target == state.focus); break;
    case uia::k_is_enabled: set_bool(out, true); break;
    case uia::k_is_offscreen: set_bool(out, element_offscreen(state, shape, key)); break;
    case uia::k_live_setting:
        if (is_live(key.kind)) set_i4(out, uia::k_live_polite);
        break;
    case uia::k_position_in_set:
        if (key.kind == ElementKind::Card) set_i4(out, static_cast<int>(std::min<uint64_t>(key.index + 1, INT32_MAX)));
        break;
    case uia::k_size_of_set:
        if (key.kind == ElementKind::Card) set_i4(out, static_cast<int>(std::min<size_t>(shape.card_count, INT32_MAX)));
        break;
    default: break;
    }
}

// Unique among the window's elements and the same for as long as the element exists: its kind, the
// identity of its certificate and its button or row. The window's own part is added in front by UI
// Automation (UiaAppendRuntimeId).
std::array<int, 5> runtime_id(const ElementKey& key, uint64_t identity)
{
    int detail = 0;
    if (key.kind == ElementKind::CardButton) detail = static_cast<int>(key.action);
    if (key.kind == ElementKind::DetailRow) detail = static_cast<int>(static_cast<uint32_t>(key.index));
    return {uia::k_append_runtime_id, static_cast<int>(key.kind), static_cast<int>(static_cast<uint32_t>(identity >> 32)),
            static_cast<int>(static_cast<uint32_t>(identity)), detail};
}

SAFEARRAY* int_array(const std::array<int, 5>& values)
{
    SAFEARRAY* array = SafeArrayCreateVector(VT_I4, 0, static_cast<ULONG>(values.size()));
    if (!array) return nullptr;
    for (LONG i = 0; i < static_cast<LONG>(values.size()); ++i) {
        int value = values[static_cast<size_t>(i)];
        SafeArrayPutElement(array, &i, &value);
    }
    return array;
}

std::optional<Navigation> navigation_of(NavigateDirection direction)
{
    switch (direction) {
    case NavigateDirection_Parent: return Navigation::Parent;
    case NavigateDirection_NextSibling: return Navigation::NextSibling;
    case NavigateDirection_PreviousSibling: return Navigation::PreviousSibling;
    case NavigateDirection_FirstChild: return Navigation::FirstChild;
    case NavigateDirection_LastChild: return Navigation::LastChild;
    }
    return std::nullopt;
}

class ElementProvider final
    : public ComObject<ElementProvider, IRawElementProviderSimple, IRawElementProviderFragment,
                       IRawElementProviderFragmentRoot, IInvokeProvider> {
public:
    ElementProvider(HWND hwnd, ElementRef element) : hwnd_(hwnd), element_(element) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IRawElementProviderSimple))
            return hand_out(static_cast<IRawElementProviderSimple*>(this), out);
        if (iid == __uuidof(IRawElementProviderFragment))
            return hand_out(static_cast<IRawElementProviderFragment*>(this), out);
        if (iid == __uuidof(IRawElementProviderFragmentRoot) && is_root())
            return hand_out(static_cast<IRawElementProviderFragmentRoot*>(this), out);
        if (iid == __uuidof(IInvokeProvider) && target_of(element_.key))
            return hand_out(static_cast<IInvokeProvider*>(this), out);
        return E_NOINTERFACE;
    }

    // IRawElementProviderSimple

    HRESULT STDMETHODCALLTYPE get_ProviderOptions(ProviderOptions* out) override
    {
        if (!out) return E_POINTER;
        *out = ProviderOptions_ServerSideProvider;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE GetPatternProvider(PATTERNID pattern, IUnknown** out) override
    {
        if (!out) return E_POINTER;
        *out = nullptr;
        return with_element([&](WindowState&, const ViewShape&, const ElementKey& key) {
            if (pattern == uia::k_invoke_pattern && target_of(key)) {
                *out = static_cast<IInvokeProvider*>(this);
                AddRef();
            }
            return S_OK;
        });
    }

    HRESULT STDMETHODCALLTYPE GetPropertyValue(PROPERTYID id, VARIANT* out) override
    {
        if (!out) return E_POINTER;
        VariantInit(out);  // VT_EMPTY: not supported here
        return with_element([&](WindowState& state, const ViewShape& shape, const ElementKey& key) {
            property_value(state, shape, key, id, out);
            return S_OK;
        });
    }

    HRESULT STDMETHODCALLTYPE get_HostRawElementProvider(IRawElementProviderSimple** out) override
    {
        if (!out) return E_POINTER;
        *out = nullptr;
        return is_root() ? UiaHostProviderFromHwnd(hwnd_, out) : S_OK;
    }

    // IRawElementProviderFragment

    HRESULT STDMETHODCALLTYPE Navigate(NavigateDirection direction, IRawElementProviderFragment** out) override
    {
        if (!out) return E_POINTER;
        *out = nullptr;
        const std::optional<Navigation> navigation = navigation_of(direction);
        if (!navigation) return E_INVALIDARG;
        return with_element([&](WindowState& state, const ViewShape& shape, const ElementKey& key) {
            const std::optional<ElementKey> next = navigate(shape, key, *navigation);
            if (!next) return S_OK;
            return hand_out_element(element_ref(shape, state.listed_entries(), *next), out);
        });
    }

    HRESULT STDMETHODCALLTYPE GetRuntimeId(SAFEARRAY** out) override
    {
        if (!out) return E_POINTER;
        *out = nullptr;
        return with_element([&](WindowState&, const ViewShape&, const ElementKey& key) {
            if (key.kind == ElementKind::Window) return S_OK;  // the host's
            *out = int_array(runtime_id(key, element_.identity));
            return *out ? S_OK : E_OUTOFMEMORY;
        });
    }

    HRESULT STDMETHODCALLTYPE get_BoundingRectangle(UiaRect* out) override
    {
        if (!out) return E_POINTER;
        *out = UiaRect{};
        return with_element([&](WindowState& state, const ViewShape& shape, const ElementKey& key) {
            if (key.kind == ElementKind::Window) return S_OK;  // the host's
            const std::optional<RectF> rect = element_rect(state, shape, key);
            POINT origin{0, 0};
            if (!rect || !ClientToScreen(hwnd_, &origin)) return S_OK;
            *out = UiaRect{origin.x + static_cast<double>(rect->x), origin.y + static_cast<double>(rect->y),
                           static_cast<double>(rect->width), static_cast<double>(rect->height)};
            return S_OK;
        });
    }

    HRESULT STDMETHODCALLTYPE GetEmbeddedFragmentRoots(SAFEARRAY** out) override
    {
        if (!out) return E_POINTER;
        *out = nullptr;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE SetFocus() override
    {
        // The window takes the keyboard first (from its search field, say), so that the element then has
        // the keyboard focus in every sense, and the screen reader hears of it.
        on_window_thread(hwnd_, [&]() -> HRESULT {
            if (::GetFocus() != hwnd_) ::SetFocus(hwnd_);
            return S_OK;
        });
        return with_element([&](WindowState& state, const ViewShape& shape, const ElementKey& key) {
            const std::optional<HitTarget> target = target_of(key);
            if (!target || !focusable(shape, *target)) return S_OK;  // nothing to focus
            show_focus_on(state, *target);
            return S_OK;
        });
    }

    HRESULT STDMETHODCALLTYPE get_FragmentRoot(IRawElementProviderFragmentRoot** out) override
    {
        if (!out) return E_POINTER;
        *out = nullptr;
        ComPtr<ElementProvider> root = make(hwnd_, ElementRef{});
        if (!root) return E_OUTOFMEMORY;
        *out = static_cast<IRawElementProviderFragmentRoot*>(root.Detach());
        return S_OK;
    }

    // IRawElementProviderFragmentRoot (the window's provider only)

    HRESULT STDMETHODCALLTYPE ElementProviderFromPoint(double x, double y, IRawElementProviderFragment** out) override
    {
        if (!out) return E_POINTER;
        *out = nullptr;
        return with_element([&](WindowState& state, const ViewShape& shape, const ElementKey&) {
            POINT origin{0, 0};
            if (!ClientToScreen(hwnd_, &origin)) return S_OK;
            const HitTarget hit = hit_test(state, static_cast<float>(x - origin.x), static_cast<float>(y - origin.y));
            const ElementKey key = element_of(hit);
            if (key.kind == ElementKind::Window || !element_exists(shape, key)) return S_OK;  // the window itself
            return hand_out_element(element_ref(shape, state.listed_entries(), key), out);
        });
    }

    HRESULT STDMETHODCALLTYPE GetFocus(IRawElementProviderFragment** out) override
    {
        if (!out) return E_POINTER;
        *out = nullptr;
        return with_element([&](WindowState& state, const ViewShape& shape, const ElementKey&) {
            if (!focusable(shape, state.focus)) return S_OK;  // the window itself
            return hand_out_element(element_ref(shape, state.listed_entries(), element_of(state.focus)), out);
        });
    }

    // IInvokeProvider

    HRESULT STDMETHODCALLTYPE Invoke() override
    {
        return with_element([&](WindowState&, const ViewShape&, const ElementKey& key) {
            const std::optional<HitTarget> target = target_of(key);
            if (!target) return uia::k_element_not_available;
            const bool posted = PostMessageW(hwnd_, WM_APP_INVOKE, static_cast<WPARAM>(invoke_wparam(*target)),
                                             static_cast<LPARAM>(element_.identity));
            return posted ? S_OK : E_FAIL;
        });
    }

private:
    bool is_root() const { return element_.key.kind == ElementKind::Window; }

    // Runs `body` on the window thread with the state taken and this element found in it.
    template <class Body>
    HRESULT with_element(Body&& body)
    {
        const std::function<HRESULT()> call = [&]() -> HRESULT {
            auto state = window_state_slot().take();
            if (state.access() == SlotAccess::Busy) return E_FAIL;  // a handler further up holds it
            if (!state || state->hwnd != hwnd_) return uia::k_element_not_available;
            const ViewShape shape = view_shape(*state);
            const std::optional<ElementKey> key = resolve(shape, state->listed_entries(), element_);
            if (!key) return uia::k_element_not_available;
            return body(*state, shape, *key);
        };
        return on_window_thread(hwnd_, call);
    }

    HRESULT hand_out_element(const ElementRef& element, IRawElementProviderFragment** out)
    {
        ComPtr<ElementProvider> provider = make(hwnd_, element);
        if (!provider) return E_OUTOFMEMORY;
        *out = static_cast<IRawElementProviderFragment*>(provider.Detach());
        return S_OK;
    }

    HWND hwnd_;
    ElementRef element_;
};

using RaiseNotificationFunction = HRESULT(WINAPI*)(IRawElementProviderSimple*, int kind, int processing,
                                                   BSTR display_string, BSTR activity_id);

// Windows 10 1709 and later; absent from older systems and from Wine 8. The DLL is delay-loaded, so
// it may not be loaded yet: it is loaded here, from System32, and stays loaded with the program.
RaiseNotificationFunction raise_notification_function()
{
    static const auto function = reinterpret_cast<RaiseNotificationFunction>(reinterpret_cast<void*>(GetProcAddress(
        LoadLibraryExW(L"uiautomationcore.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32), "UiaRaiseNotificationEvent")));
    return function;
}

// A BSTR owned for the length of a call.
struct OwnedBstr {
    explicit OwnedBstr(const std::wstring& text) : value(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
    OwnedBstr(const OwnedBstr&) = delete;
    OwnedBstr& operator=(const OwnedBstr&) = delete;
    ~OwnedBstr() { SysFreeString(value); }
    BSTR value;
};

void raise_notice(HWND hwnd, const std::string& text)
{
    const ComPtr<IRawElementProviderSimple> notice = make_element_provider(hwnd, ElementRef{{ElementKind::Notice}});
    if (!notice) return;
    if (const RaiseNotificationFunction raise = raise_notification_function()) {
        // Narrator says it at once ("Copied: Serial number"), a newer notice replacing an unsaid one.
        const OwnedBstr display(utf16_from_utf8(text));
        const OwnedBstr activity(L"Vessop.Notice");
        if (display.value && activity.value &&
            SUCCEEDED(raise(notice.Get(), uia::k_notification_action_completed, uia::k_notification_most_recent,
                            display.value, activity.value)))
            return;
    }
    UiaRaiseAutomationEvent(notice.Get(), uia::k_live_region_changed_event);  // the live text says it
}

// Whether UI Automation is loaded in this process. It is loaded the first time a client asks the
// window for its elements; until then no client holds an element of ours to hear about, and loading
// the library and its own dependencies just to learn that nobody listens costs memory for nothing.
bool uia_loaded()
{
    return GetModuleHandleW(L"uiautomationcore.dll") != nullptr;
}

}  // namespace

ComPtr<IRawElementProviderSimple> make_element_provider(HWND hwnd, const ElementRef& element)
{
    ComPtr<ElementProvider> provider = ElementProvider::make(hwnd, element);
    ComPtr<IRawElementProviderSimple> simple;
    if (provider) simple = static_cast<IRawElementProviderSimple*>(provider.Get());
    return simple;
}

LRESULT on_get_object(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam)
{
    // The object id is a DWORD; compared as a signed 32-bit value it matches however it was widened.
    if (static_cast<LONG>(lparam) == uia::k_root_object_id) {
        if (const ComPtr<IRawElementProviderSimple> root = make_element_provider(hwnd, ElementRef{}))
            return UiaReturnRawElementProvider(hwnd, wparam, lparam, root.Get());
    }
    return DefWindowProcW(hwnd, message, wparam, lparam);
}

void release_uia_providers(HWND hwnd)
{
    if (uia_loaded()) UiaReturnRawElementProvider(hwnd, 0, 0, nullptr);
}

void run_sent_uia_call(LPARAM lparam)
{
    auto* call = reinterpret_cast<SentCall*>(lparam);
    {
        std::lock_guard lock(sent_calls_mutex());
        if (std::find(sent_calls().begin(), sent_calls().end(), call) == sent_calls().end()) return;
    }
    call->result = guarded(*call->body);
}

void on_invoke_message(HWND hwnd, WPARAM wparam, LPARAM lparam)
{
    HitTarget target;
    RectF rect;
    {
        auto state = window_state_slot().take();
        if (!state) return;
        // The element is found again by its certificate: the list may have changed since the call.
        const ViewShape shape = view_shape(*state);
        const ElementRef element{element_of(invoke_target(wparam)), static_cast<uint64_t>(lparam)};
        const std::optional<ElementKey> key = resolve(shape, state->listed_entries(), element);
        const std::optional<HitTarget> found = key ? target_of(*key) : std::nullopt;
        if (!found) return;
        target = *found;
        rect = element_rect(*state, shape, *key).value_or(RectF{});
    }
    // Menus and choosers open below the element, as for a key.
    run_command(hwnd, target, rect.x, rect.y + rect.height);
}

void raise_pending_uia_events(HWND hwnd)
{
    UiaEventQueue events;
    {
        auto state = window_state_slot().take();
        if (!state || state->hwnd != hwnd) return;
        events = std::exchange(state->uia_events, UiaEventQueue{});
    }
    if (!events.focus && !events.structure && !events.notice) return;
    if (!uia_loaded() || !UiaClientsAreListening()) return;
    if (events.structure) {
        const auto& [element, change] = *events.structure;
        std::array<int, 5> id = runtime_id(element.key, element.identity);
        if (const ComPtr<IRawElementProviderSimple> provider = make_element_provider(hwnd, element)) {
            UiaRaiseStructureChangedEvent(provider.Get(),
                                          change == UiaEventQueue::Structure::Added ? StructureChangeType_ChildAdded
                                                                                   : StructureChangeType_ChildrenInvalidated,
                                          id.data(), static_cast<int>(id.size()));
        }
    }
    if (events.focus) {
        if (const ComPtr<IRawElementProviderSimple> provider = make_element_provider(hwnd, *events.focus))
            UiaRaiseAutomationEvent(provider.Get(), uia::k_focus_changed_event);
    }
    if (events.notice) raise_notice(hwnd, *events.notice);
}
