// The UI Automation providers through their COM interfaces, on the real window procedure in a
// message-only window: walking the tree, names, rectangles, runtime ids that survive a new scan
// result, Invoke running the click's command, and calls from other threads. (The end-to-end test
// walks the visible window with UI Automation's own client functions.)

#include "app/messages.h"
#include "app/shell.h"
#include "app/uia_api.h"
#include "app/uia_provider.h"
#include "base/clock.h"
#include "base/text.h"
#include "gfx/detail_pane.h"
#include "gfx/main_view.h"
#include "gfx/view_text.h"
#include "i18n/catalogue.h"
#include "npki/scan_thread.h"
#include "x509/dates.h"
#include "tests/support/main_window.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <windows.h>

using Microsoft::WRL::ComPtr;

// A named namespace, not an anonymous one: the tests below derive from the fixture, and a base of
// internal linkage in a file built together with others (a unity build) is a warning.
namespace uia_provider_test {

constexpr wchar_t k_uia_test_class[] = L"Vessop.UiaProviderTest";

void pump_for(double seconds, const std::function<bool()>& done = [] { return false; })
{
    const double deadline = monotonic_seconds() + seconds;
    while (!done() && monotonic_seconds() < deadline) {
        MSG message{};
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

CertificateEntry uia_entry(std::string name, std::string serial)
{
    CertificateEntry e;
    e.info.subject_cn = std::move(name);
    e.info.issuer_dn = "CN=yessignCA Class 2";
    e.info.issuer_org = "yessign";
    e.info.serial_hex = std::move(serial);
    e.info.not_after = 4'000'000'000;
    e.info.trust = TrustState::Licensed;
    e.copies.push_back(CertificateCopy{L"C:\\NPKI\\yessign\\USER\\a", "yessign", "C:", false, true, false});
    return e;
}

std::string bstr_text(const VARIANT& v)
{
    return v.vt == VT_BSTR && v.bstrVal ? utf8_from_utf16(std::wstring(v.bstrVal, SysStringLen(v.bstrVal))) : "";
}

// A node of the provider tree, seen as a screen reader sees it.
struct Node {
    ComPtr<IRawElementProviderFragment> fragment;

    explicit operator bool() const { return fragment != nullptr; }

    Node go(NavigateDirection direction) const
    {
        Node next;
        EXPECT_EQ(fragment->Navigate(direction, &next.fragment), S_OK);
        return next;
    }

    VARIANT property(PROPERTYID id, HRESULT* hr = nullptr) const
    {
        ComPtr<IRawElementProviderSimple> simple;
        EXPECT_EQ(fragment.As(&simple), S_OK);
        VARIANT v;
        const HRESULT result = simple->GetPropertyValue(id, &v);
        if (hr) *hr = result;
        return v;
    }

    std::string name() const
    {
        VARIANT v = property(uia::k_name);
        std::string text = bstr_text(v);
        VariantClear(&v);
        return text;
    }

    int control_type() const
    {
        VARIANT v = property(uia::k_control_type);
        return v.vt == VT_I4 ? v.lVal : -1;
    }

    std::vector<int> runtime_id() const
    {
        SAFEARRAY* array = nullptr;
        EXPECT_EQ(fragment->GetRuntimeId(&array), S_OK);
        std::vector<int> id;
        if (!array) return id;
        LONG low = 0, high = -1;
        SafeArrayGetLBound(array, 1, &low);
        SafeArrayGetUBound(array, 1, &high);
        for (LONG i = low; i <= high; ++i) {
            int value = 0;
            SafeArrayGetElement(array, &i, &value);
            id.push_back(value);
        }
        SafeArrayDestroy(array);
        return id;
    }

    // The first child, then siblings, whose name is `name`.
    Node child_named(const std::string& wanted) const
    {
        for (Node child = go(NavigateDirection_FirstChild); child; child = child.go(NavigateDirection_NextSibling))
            if (child.name() == wanted) return child;
        return {};
    }
};

class UiaProvider : public testing::Test {
protected:
    void SetUp() override
    {
        hwnd_ = create_message_only_main_window(k_uia_test_class);
        ASSERT_NE(hwnd_, nullptr);
        WindowState state;
        state.hwnd = hwnd_;
        state.dpi = 96;
        state.entries = std::vector<CertificateEntry>{uia_entry("Alpha()0012345678901234", "01"), uia_entry("Beta", "02")};
        state.folders_checked = 2;
        ASSERT_TRUE(window_state_slot().fill(std::move(state)));
        root_ = make_element_provider(hwnd_, ElementRef{});
        ASSERT_TRUE(root_);
        ASSERT_EQ(root_.As(&window_.fragment), S_OK);
    }

    void TearDown() override
    {
        root_.Reset();
        window_.fragment.Reset();
        if (IsWindow(hwnd_)) DestroyWindow(hwnd_);
        window_state_slot().discard();
        pump_for(0);
        pending_scan_result().take();
    }


    HWND hwnd_ = nullptr;
    ComPtr<IRawElementProviderSimple> root_;
    Node window_;
};

}  // namespace uia_provider_test

using namespace uia_provider_test;

TEST_F(UiaProvider, TreeNamesTheToolbarTheSummaryAndEachCardWithItsButtons)
{
    std::vector<std::string> names;
    std::vector<int> types;
    for (Node child = window_.go(NavigateDirection_FirstChild); child; child = child.go(NavigateDirection_NextSibling)) {
        names.push_back(child.name());
        types.push_back(child.control_type());
    }
    const std::string summary = summary_headline(2) + ", " +
                                spoken(summary_second_line(2, ListSummary{}));
    EXPECT_EQ(names, (std::vector<std::string>{std::string(tr({"폴더 추가", "Add folder"})), std::string(tr({"새로 고침", "Refresh"})),
                                               std::string(tr({"메뉴", "Menu"})), summary,
                                               std::string(tr({"공동인증서 목록", "Certificate list"}))}));
    EXPECT_EQ(types, (std::vector<int>{uia::k_button, uia::k_button, uia::k_button, uia::k_text, uia::k_list}));

    const Node list = window_.go(NavigateDirection_LastChild);
    const Node first = list.go(NavigateDirection_FirstChild);
    const CertificateEntry alpha = with_state([](WindowState& s) { return (*s.entries)[0]; });
    EXPECT_EQ(first.name(), card_spoken_name(alpha, now_seconds()));
    EXPECT_EQ(first.name().rfind("Alpha, ", 0), 0u) << "the holder's name comes first, without its identifier";
    EXPECT_EQ(first.control_type(), uia::k_list_item);
    VARIANT position = first.property(uia::k_position_in_set);
    VARIANT size = first.property(uia::k_size_of_set);
    EXPECT_EQ(position.lVal, 1);
    EXPECT_EQ(size.lVal, 2);

    std::vector<std::string> buttons;
    for (Node b = first.go(NavigateDirection_FirstChild); b; b = b.go(NavigateDirection_NextSibling)) {
        buttons.push_back(b.name());
        EXPECT_EQ(b.go(NavigateDirection_Parent).name(), first.name());
    }
    EXPECT_EQ(buttons, (std::vector<std::string>{std::string(tr({"복사", "Copy"})), std::string(tr({"폴더 열기", "Open folder"})),
                                                 std::string(tr({"휴지통", "Recycle"}))}));
    EXPECT_TRUE(list.go(NavigateDirection_Parent));

    // Bounding rectangles are the hit-test rectangles on the screen.
    UiaRect rect{};
    ASSERT_EQ(first.fragment->get_BoundingRectangle(&rect), S_OK);
    const RectF card = with_state([](WindowState& s) { return card_rect(view_metrics_of(s), 0, s.list_scroll); });
    POINT origin{0, 0};
    ClientToScreen(hwnd_, &origin);
    EXPECT_DOUBLE_EQ(rect.left, origin.x + card.x);
    EXPECT_DOUBLE_EQ(rect.top, origin.y + card.y);
    EXPECT_DOUBLE_EQ(rect.width, card.width);
    EXPECT_DOUBLE_EQ(rect.height, card.height);
    // The window's own come from its host.
    ComPtr<IRawElementProviderSimple> host;
    EXPECT_EQ(root_->get_HostRawElementProvider(&host), S_OK);
    EXPECT_TRUE(host);
}

TEST_F(UiaProvider, ElementsKeepTheirIdentityAcrossAScanAndGoWithTheirCertificate)
{
    const Node list = window_.go(NavigateDirection_LastChild);
    const Node beta = list.go(NavigateDirection_LastChild);
    const Node beta_recycle = beta.go(NavigateDirection_LastChild);
    const Node alpha = list.go(NavigateDirection_FirstChild);
    const std::vector<int> beta_id = beta.runtime_id();
    const std::string beta_name = beta.name();
    EXPECT_EQ(beta_id.front(), uia::k_append_runtime_id);
    EXPECT_NE(beta_id, alpha.runtime_id());
    EXPECT_NE(beta_recycle.runtime_id(), beta_id);

    // A new scan: Beta moves to the front, Alpha has gone.
    ScanOutcome outcome;
    outcome.completed = true;
    outcome.inventory.entries = {uia_entry("Beta", "02"), uia_entry("Gamma", "03")};
    pending_scan_result().put(std::move(outcome));
    SendMessageW(hwnd_, WM_APP_SCAN_DONE, 0, 0);

    EXPECT_EQ(beta.runtime_id(), beta_id);
    EXPECT_EQ(beta.name(), beta_name);
    EXPECT_EQ(beta.go(NavigateDirection_PreviousSibling).fragment, nullptr) << "now the first card";
    EXPECT_EQ(beta_recycle.go(NavigateDirection_Parent).runtime_id(), beta_id);
    HRESULT hr = S_OK;
    VARIANT gone = alpha.property(uia::k_name, &hr);
    EXPECT_EQ(hr, uia::k_element_not_available);
    EXPECT_EQ(gone.vt, VT_EMPTY);
    IRawElementProviderFragment* nowhere = nullptr;
    EXPECT_EQ(alpha.fragment->Navigate(NavigateDirection_NextSibling, &nowhere), uia::k_element_not_available);
    EXPECT_EQ(nowhere, nullptr);
}

TEST_F(UiaProvider, InvokeRunsTheClickCommandOnceTheCallHasReturned)
{
    with_state([](WindowState& s) {
        s.selection = 1;
        return 0;
    });
    // The pane stands in for the main view: its rows, then Copy all and Close.
    const Node pane = window_.go(NavigateDirection_FirstChild);
    EXPECT_EQ(pane.control_type(), uia::k_pane);
    EXPECT_EQ(pane.name(), "Beta");
    const Node close = pane.go(NavigateDirection_LastChild);
    EXPECT_EQ(close.name(), std::string(tr({"닫기", "Close"})));
    const Node copy_all = close.go(NavigateDirection_PreviousSibling);
    EXPECT_EQ(copy_all.name(), std::string(tr({"모두 복사", "Copy all"})));
    const Node serial = pane.go(NavigateDirection_FirstChild)
                            .go(NavigateDirection_NextSibling).go(NavigateDirection_NextSibling)
                            .go(NavigateDirection_NextSibling).go(NavigateDirection_NextSibling)
                            .go(NavigateDirection_NextSibling).go(NavigateDirection_NextSibling)
                            .go(NavigateDirection_NextSibling).go(NavigateDirection_NextSibling)
                            .go(NavigateDirection_NextSibling).go(NavigateDirection_NextSibling);
    EXPECT_EQ(serial.name(), std::string(tr({"일련번호", "Serial number"})) + ": 02");

    ComPtr<IRawElementProviderSimple> simple;
    ASSERT_EQ(copy_all.fragment.As(&simple), S_OK);
    ComPtr<IUnknown> pattern;
    ASSERT_EQ(simple->GetPatternProvider(uia::k_invoke_pattern, &pattern), S_OK);
    ComPtr<IInvokeProvider> invoke;
    ASSERT_EQ(pattern.As(&invoke), S_OK);
    OpenClipboard(nullptr);
    EmptyClipboard();
    CloseClipboard();
    EXPECT_EQ(invoke->Invoke(), S_OK);
    EXPECT_FALSE(with_state([](WindowState& s) { return s.notice.has_value(); })) << "not inside the call";
    pump_for(5, [&] { return with_state([](WindowState& s) { return s.notice.has_value(); }); });

    const std::string expected = copy_all_text(with_state([](WindowState& s) { return detail_rows(s, 1); }));
    std::string clipboard;
    if (OpenClipboard(nullptr)) {
        if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
            if (const auto* text = static_cast<const wchar_t*>(GlobalLock(data))) {
                clipboard = utf8_from_utf16(text);
                GlobalUnlock(data);
            }
        }
        CloseClipboard();
    }
    std::string with_crlf;
    for (char c : expected) {
        if (c == '\n') with_crlf += '\r';
        with_crlf += c;
    }
    EXPECT_EQ(clipboard, with_crlf);
    EXPECT_EQ(with_state([](WindowState& s) { return s.notice->text; }),
              std::string(tr({"자세한 정보를 모두 복사했습니다", "Copied all details"})));

    // Texts have no Invoke; Close's closes the pane and the focus goes back to the card.
    ComPtr<IRawElementProviderSimple> pane_simple;
    ASSERT_EQ(pane.fragment.As(&pane_simple), S_OK);
    ComPtr<IUnknown> none;
    EXPECT_EQ(pane_simple->GetPatternProvider(uia::k_invoke_pattern, &none), S_OK);
    EXPECT_FALSE(none);
    ASSERT_EQ(close.fragment.As(&simple), S_OK);
    ASSERT_EQ(simple->GetPatternProvider(uia::k_invoke_pattern, &pattern), S_OK);
    ASSERT_EQ(pattern.As(&invoke), S_OK);
    EXPECT_EQ(invoke->Invoke(), S_OK);
    pump_for(5, [&] { return !with_state([](WindowState& s) { return s.selection.has_value(); }); });
    EXPECT_EQ(with_state([](WindowState& s) { return s.focus; }), (HitTarget{HitKind::Card, CardAction::Copy, 1}));
    EXPECT_EQ(invoke->Invoke(), uia::k_element_not_available) << "the pane has gone";
}

TEST_F(UiaProvider, FocusIsReportedAndSetThroughTheRoot)
{
    ComPtr<IRawElementProviderFragmentRoot> root;
    ASSERT_EQ(root_.As(&root), S_OK);
    Node focused;
    ASSERT_EQ(root->GetFocus(&focused.fragment), S_OK);
    EXPECT_FALSE(focused) << "nothing has the focus yet: the window itself";

    const Node recycle = window_.go(NavigateDirection_LastChild).go(NavigateDirection_LastChild).go(NavigateDirection_LastChild);
    ASSERT_EQ(recycle.fragment->SetFocus(), S_OK);
    EXPECT_EQ(with_state([](WindowState& s) { return s.focus; }), (HitTarget{HitKind::CardButton, CardAction::Recycle, 1}));
    EXPECT_TRUE(with_state([](WindowState& s) { return s.focus_cues; }));
    ASSERT_EQ(root->GetFocus(&focused.fragment), S_OK);
    ASSERT_TRUE(focused);
    EXPECT_EQ(focused.runtime_id(), recycle.runtime_id());
    VARIANT has_focus = recycle.property(uia::k_has_keyboard_focus);
    EXPECT_EQ(has_focus.boolVal, VARIANT_TRUE);
    VARIANT focusable = window_.go(NavigateDirection_LastChild).property(uia::k_is_keyboard_focusable);
    EXPECT_EQ(focusable.boolVal, VARIANT_FALSE) << "the list itself takes no focus";

    // Only the window's provider is a fragment root.
    ComPtr<IRawElementProviderFragmentRoot> not_root;
    EXPECT_EQ(recycle.fragment.As(&not_root), E_NOINTERFACE);
}

TEST_F(UiaProvider, CallsFromOtherThreadsAreServedOnTheWindowThread)
{
    // UI Automation calls from threads of its own; the state is only ever touched on the window thread,
    // which keeps handling messages meanwhile.
    const Node list = window_.go(NavigateDirection_LastChild);
    std::string name;
    std::vector<int> id;
    bool done = false;
    std::thread caller([&] {
        CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        const Node card = list.go(NavigateDirection_LastChild);
        name = card.name();
        id = card.runtime_id();
        CoUninitialize();
        done = true;
    });
    pump_for(10, [&] { return done; });
    caller.join();
    EXPECT_EQ(name, card_spoken_name(uia_entry("Beta", "02"), now_seconds()));
    EXPECT_EQ(id.size(), 5u);

    // Once the window has gone, every element is gone.
    DestroyWindow(hwnd_);
    HRESULT hr = S_OK;
    list.property(uia::k_name, &hr);
    EXPECT_EQ(hr, uia::k_element_not_available);
    // A stray WM_APP_UIA_CALL (any process can send one) is ignored.
    const HWND other = create_message_only_main_window(k_uia_test_class);
    SendMessageW(other, WM_APP_UIA_CALL, 0, 12345);
    DestroyWindow(other);
}

TEST_F(UiaProvider, RootObjectIdGetsTheProvider)
{
    EXPECT_NE(SendMessageW(hwnd_, WM_GETOBJECT, 0, static_cast<LPARAM>(uia::k_root_object_id)), 0);
}
